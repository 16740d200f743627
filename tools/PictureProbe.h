#pragma once

// Whether the setup could show a picture file: each host decodes it with the
// decoders at hand (on Windows the setup's own), so that the packer warns
// about a picture the setup would replace by its placeholder.

#include <string>

// False also for an extension the setup reads no picture from.
bool CanDecodePicture(const std::string& path);
