// Feeds arbitrary bytes to the BMP reader the packer's check judges skin
// pictures with. The first bytes are made a plausible file and info header
// half of the time, so that the checks behind them are reached.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "skin/BmpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    if (bytes.size() > 18 && (bytes[2] & 1)) {
        bytes[0] = 'B';
        bytes[1] = 'M';
        bytes[14] = bytes[3] & 2 ? 12 : 40;
        bytes[15] = bytes[16] = bytes[17] = 0;
    }
    const auto layout = ReadBmpLayout(bytes.data(), bytes.size());
    if (layout && (layout->Width <= 0 || layout->Height <= 0)) std::abort();
    return 0;
}
