#pragma once

// Icon files (.ico) and the icon resources made from them. A file starts with
// a directory (ICONDIR) whose entries give each image's size and where it
// lies in the file; in a program the images are RT_ICON resources of their
// own and an RT_GROUP_ICON resource lists them by resource id instead.

#include <cstdint>
#include <string>
#include <vector>

constexpr uint16_t kRtIcon = 3;
constexpr uint16_t kRtGroupIcon = 14;

struct TIconImage {
    uint8_t Width = 0, Height = 0, ColorCount = 0, Reserved = 0;
    uint16_t Planes = 0, BitCount = 0;
    uint32_t Size = 0, Offset = 0;
};

// The images of an icon file given its first bytes (at least the whole
// directory) and its length. Raises ESetupError saying what is wrong: not an
// icon file, no image, or an image that does not lie within the file.
std::vector<TIconImage> IconImages(const std::vector<uint8_t>& head, uint64_t fileSize);

// The images of the icon file at path; raises as IconImages does, or when it
// cannot be read.
std::vector<TIconImage> ReadIconFile(const std::string& path);

// Whether a name ends in ".ico", in any letter case.
bool IsIconFileName(const std::string& name);

// An icon group naming the images by the resource ids given, one for each image.
std::vector<uint8_t> IconGroupBytes(const std::vector<TIconImage>& images, const std::vector<uint16_t>& ids);

// The resource ids an icon group names, as far as its bytes hold entries.
std::vector<uint16_t> IconGroupIds(const std::vector<uint8_t>& group);
