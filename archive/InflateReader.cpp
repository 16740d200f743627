#include "archive/InflateReader.h"

#include "archive/ArchiveFormat.h"
#include "utilities/SetupError.h"

TInflateReader::TInflateReader(files::TFile& source) : Source(source), Input(kInflateBlockSize)
{
    if (inflateInit(&Stream) != Z_OK) throw ESetupError("Unable to initialise inflate");
}

TInflateReader::~TInflateReader()
{
    inflateEnd(&Stream);
}

size_t TInflateReader::Read(void* buffer, size_t count)
{
    Stream.next_out = static_cast<Bytef*>(buffer);
    Stream.avail_out = static_cast<uInt>(count);
    while (Stream.avail_out > 0 && !Ended && !Failed) {
        if (Stream.avail_in == 0) {
            Stream.avail_in = static_cast<uInt>(Source.Read(Input.data(), Input.size()));
            Stream.next_in = Input.data();
            if (Stream.avail_in == 0) break;
        }
        const int result = inflate(&Stream, Z_NO_FLUSH);
        if (result == Z_STREAM_END) Ended = true;
        else if (result != Z_OK) Failed = true;
    }
    return count - Stream.avail_out;
}
