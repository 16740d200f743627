#pragma once

// Which decoder a picture file goes to, by its extension (any letter case):
// the setup and the packer's check must agree on it.

#include <optional>
#include <string>

enum class TPictureKind { Bitmap, Icon, Metafile, Jpeg, Gif };

// None for an extension the setup reads no picture from.
std::optional<TPictureKind> PictureKindOf(const std::string& path);

// ".png" for "Graphics\skin.png"; empty without an extension.
std::string LowerExtension(const std::string& path);
