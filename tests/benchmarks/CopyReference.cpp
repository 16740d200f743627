// The reference for the setup's Copy page and for the uninstaller: copies
// every file of SOURCE into TARGET with CopyFileA, one after the other as the
// Copy page does but without a window to repaint, then deletes the copies and
// TARGET again. Prints the milliseconds of each pass, timed inside the
// process so that Wine's start does not count.
// Usage: copy_reference SOURCE TARGET

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "utilities/FileSystem.h"

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: copy_reference SOURCE TARGET\n");
        return 2;
    }
    const std::string source = argv[1], target = argv[2];
    const std::vector<files::FolderEntry> entries = files::ListFolder(source);
    LARGE_INTEGER start, copied, removed;
    QueryPerformanceCounter(&start);
    CreateDirectoryA(target.c_str(), nullptr);
    for (const files::FolderEntry& entry : entries)
        if (!entry.IsFolder && !CopyFileA((source + "\\" + entry.Name).c_str(), (target + "\\" + entry.Name).c_str(), FALSE))
            return 1;
    QueryPerformanceCounter(&copied);
    for (const files::FolderEntry& entry : entries)
        if (!entry.IsFolder) DeleteFileA((target + "\\" + entry.Name).c_str());
    if (!RemoveDirectoryA(target.c_str())) return 1;
    QueryPerformanceCounter(&removed);
    std::printf("copy %.0f\nremove %.0f\n", Milliseconds(start, copied), Milliseconds(copied, removed));
    return 0;
}
