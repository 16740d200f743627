#include "tools/IconFile.h"

#include "tools/LittleEndian.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

namespace {

constexpr size_t kDirectoryHeaderSize = 6;
constexpr size_t kFileEntrySize = 16;
constexpr size_t kGroupEntrySize = 14;
constexpr uint16_t kIconType = 1;

void PutDirectoryHeader(std::vector<uint8_t>& bytes, size_t count)
{
    le::Append16(bytes, 0);
    le::Append16(bytes, kIconType);
    le::Append16(bytes, static_cast<uint32_t>(count));
}

// The header and entries of the directory; none when the file is too short for one.
size_t DirectoryBytes(const std::vector<uint8_t>& head)
{
    if (head.size() < kDirectoryHeaderSize) return 0;
    return kDirectoryHeaderSize + kFileEntrySize * le::Get16(head, 4);
}

}  // namespace

std::vector<TIconImage> IconImages(const std::vector<uint8_t>& head, uint64_t fileSize)
{
    if (head.size() < kDirectoryHeaderSize || le::Get16(head, 0) != 0 || le::Get16(head, 2) != kIconType)
        throw ESetupError("it is not an icon file");
    const size_t count = le::Get16(head, 4);
    if (count == 0) throw ESetupError("it holds no image");
    if (head.size() < DirectoryBytes(head)) throw ESetupError("its list of images is cut off");
    std::vector<TIconImage> images;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = kDirectoryHeaderSize + kFileEntrySize * i;
        TIconImage image;
        image.Width = head[at];
        image.Height = head[at + 1];
        image.ColorCount = head[at + 2];
        image.Reserved = head[at + 3];
        image.Planes = le::Get16(head, at + 4);
        image.BitCount = le::Get16(head, at + 6);
        image.Size = le::Get32(head, at + 8);
        image.Offset = le::Get32(head, at + 12);
        if (image.Size == 0 || image.Offset < DirectoryBytes(head) || uint64_t{image.Offset} + image.Size > fileSize)
            throw ESetupError("its image " + std::to_string(i + 1) + " does not lie within the file");
        images.push_back(image);
    }
    return images;
}

std::vector<TIconImage> ReadIconFile(const std::string& path)
{
    files::TFile file;
    if (!file.OpenForReading(path)) throw ESetupError("it cannot be opened: " + files::LastSystemError());
    std::vector<uint8_t> head(kDirectoryHeaderSize);
    head.resize(file.Read(head.data(), head.size()));
    const size_t directory = DirectoryBytes(head);
    if (directory > head.size()) {
        head.resize(directory);
        file.Seek(0);
        head.resize(file.Read(head.data(), head.size()));
    }
    return IconImages(head, static_cast<uint64_t>(file.Size()));
}

bool IsIconFileName(const std::string& name)
{
    static const std::string kExtension = ".ico";
    if (name.size() < kExtension.size()) return false;
    for (size_t i = 0; i < kExtension.size(); ++i) {
        const char c = name[name.size() - kExtension.size() + i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kExtension[i]) return false;
    }
    return true;
}

std::vector<uint8_t> IconGroupBytes(const std::vector<TIconImage>& images, const std::vector<uint16_t>& ids)
{
    std::vector<uint8_t> bytes;
    PutDirectoryHeader(bytes, images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const TIconImage& image = images[i];
        for (const uint8_t field : {image.Width, image.Height, image.ColorCount, image.Reserved})
            bytes.push_back(field);
        le::Append16(bytes, image.Planes);
        le::Append16(bytes, image.BitCount);
        le::Append32(bytes, image.Size);
        le::Append16(bytes, ids.at(i));
    }
    return bytes;
}

std::vector<uint16_t> IconGroupIds(const std::vector<uint8_t>& group)
{
    std::vector<uint16_t> ids;
    if (group.size() < kDirectoryHeaderSize) return ids;
    const size_t count = le::Get16(group, 4);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = kDirectoryHeaderSize + kGroupEntrySize * i;
        if (at + kGroupEntrySize > group.size()) break;
        ids.push_back(le::Get16(group, at + 12));
    }
    return ids;
}
