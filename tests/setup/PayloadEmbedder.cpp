// payload_embedder STUB.exe ARCHIVE SETUP.exe: a setup program carrying a
// hand-made payload archive, for the scripts that need a payload the packer
// refuses to make (an upper-case ".X" member below Additional, for one).

#include <cstdio>
#include <exception>

#include "tools/SetupPayload.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("Usage: payload_embedder STUB.exe ARCHIVE SETUP.exe\n", stderr);
        return 2;
    }
    try {
        const pe::TPeFile stub(argv[1]);
        stub.CheckRewritable();
        EmbedPayload(stub, argv[2], argv[3]);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "payload_embedder: %s\n", error.what());
        return 1;
    }
}
