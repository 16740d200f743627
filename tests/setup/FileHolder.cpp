// Stands in for a program that has an installed file open: it opens the file
// named first without letting others delete it, creates the file named second
// to say so, and waits until it is ended. Started without arguments (as the
// setup launches a program), it stands in for a program the user has not
// closed yet: it only keeps the folder it was started in as its current one.

#include <windows.h>

int main(int argc, char** argv)
{
    if (argc == 1) {
        Sleep(INFINITE);
        return 0;
    }
    if (argc != 3) return 2;
    const HANDLE held = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 2;
    const HANDLE ready = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (ready == INVALID_HANDLE_VALUE) return 2;
    CloseHandle(ready);
    Sleep(INFINITE);
    return 0;
}
