#pragma once

// What the setup would make of a picture file: each host decodes it with the
// decoders at hand (on Windows the setup's own), so that the packer warns
// about a picture the setup would replace by its placeholder, and about
// buttons whose pictures do not fit the skin or each other.

#include <cstdint>
#include <optional>
#include <string>

struct TPictureSize {
    int32_t Width = 0, Height = 0;
};

struct TPictureVerdict {
    bool Shown = false;  // false: the setup shows its placeholder picture instead
    // In pixels; none for a metafile, whose size in pixels GDI+ works out on
    // the user's machine, and for a picture not shown.
    std::optional<TPictureSize> Size;
};

// Not shown also for an extension the setup reads no picture from.
TPictureVerdict ProbePicture(const std::string& path);
