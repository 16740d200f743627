// Feeds arbitrary bytes to OpenArchive and ExtractAll. The trailer CRC-32 is
// made to fit first, as random bytes would almost never pass it and the
// interesting code lies behind it. Two trailer bytes the reader ignores pick
// the options, so one corpus covers them all.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "archive/ZLIBArchive.h"
#include "utilities/SetupError.h"

namespace fs = std::filesystem;

namespace {

const fs::path& WorkFolder()
{
    static const fs::path folder = [] {
        fs::path made = fs::temp_directory_path() / ("zoreva-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(made);
        return made;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> archive(data, data + size);
    bool withPath = false, checkCrc = false;
    if (archive.size() >= kTrailerSize) {
        const size_t covered = archive.size() - kTrailerSize;
        WriteUInt32LE(&archive[covered], UpdateCrc32(0, archive.data(), covered));
        withPath = archive[covered + 8] & 1;
        checkCrc = archive[covered + 9] & 1;
    }
    const fs::path file = WorkFolder() / "input.x";
    // Deep enough that a member climbing out would still land inside WorkFolder.
    const fs::path dest = WorkFolder() / "up" / "up" / "dest";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
    }
    fs::create_directories(dest);

    TZLBArchive reader;
    reader.ExtractWithPath = withPath;
    reader.CheckCRC = checkCrc;
    int reports = 0;
    reader.OnProgress = [&reports](const std::string&, int percentage) {
        if (percentage < 0 || percentage > 100) __builtin_trap();
        ++reports;
    };
    try {
        if (reader.OpenArchive(file.string())) reader.ExtractAll((dest / "").string());
    } catch (const ESetupError&) {
    }
    // Nothing may land outside the destination folder.
    for (const auto& item : fs::recursive_directory_iterator(WorkFolder())) {
        const auto inside = item.path().lexically_relative(dest);
        const bool isOwn = item.path() == file || inside.empty() || *inside.begin() != "..";
        if (!isOwn && !item.is_directory()) __builtin_trap();
    }
    fs::remove_all(dest);
    return 0;
}
