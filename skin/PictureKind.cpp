#include "skin/PictureKind.h"

std::string LowerExtension(const std::string& path)
{
    const size_t dot = path.rfind('.');
    const size_t slash = path.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string extension = path.substr(dot);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

std::optional<TPictureKind> PictureKindOf(const std::string& path)
{
    const std::string extension = LowerExtension(path);
    if (extension == ".bmp") return TPictureKind::Bitmap;
    if (extension == ".ico") return TPictureKind::Icon;
    if (extension == ".emf" || extension == ".wmf") return TPictureKind::Metafile;
    if (extension == ".jpg" || extension == ".jpeg") return TPictureKind::Jpeg;
    if (extension == ".gif") return TPictureKind::Gif;
    return std::nullopt;
}
