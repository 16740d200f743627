// Stands in for an installed program that the setup launches: it writes the
// folder it was started in to "launched.txt" beside itself, so a script can
// see that it ran and with which current folder.

#include <windows.h>

#include <cstdio>
#include <string>

int main()
{
    char self[MAX_PATH] = {};
    char current[MAX_PATH] = {};
    const DWORD selfLength = GetModuleFileNameA(nullptr, self, MAX_PATH);
    const DWORD currentLength = GetCurrentDirectoryA(MAX_PATH, current);
    if (selfLength == 0 || selfLength >= MAX_PATH || currentLength == 0 || currentLength >= MAX_PATH) return 2;
    std::string report(self, selfLength);
    report = report.substr(0, report.find_last_of('\\') + 1) + "launched.txt";
    FILE* file = std::fopen(report.c_str(), "wb");
    if (!file) return 2;
    std::fputs(current, file);
    std::fclose(file);
    return 0;
}
