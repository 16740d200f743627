#pragma once

// Reads the inflated bytes of one zlib stream that starts at the archive
// file's current position, taking input in blocks of kInflateBlockSize.

#include <zlib.h>

#include <vector>

#include "utilities/FileSystem.h"

class TInflateReader {
public:
    explicit TInflateReader(files::TFile& source);
    ~TInflateReader();
    TInflateReader(const TInflateReader&) = delete;
    TInflateReader& operator=(const TInflateReader&) = delete;

    // Fills up to count bytes; fewer where the stream or the file ends or the
    // stream turns out not to inflate (then Broken() is true).
    size_t Read(void* buffer, size_t count);
    bool Broken() const { return Failed; }

private:
    files::TFile& Source;
    z_stream Stream{};
    std::vector<Bytef> Input;
    bool Ended = false;
    bool Failed = false;
};
