// The smallest program that reaches a delay-loaded function only through its
// __imp_ pointer, as callers of the SDK's dllimport declarations do. Built
// twice: with our delay library, whose slot must be filled, and with
// dlltool's library as it comes, whose slot the linker leaves null on i686;
// the import-slot test must see the difference.

#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_PROGRESS_CLASS};
    return InitCommonControlsEx(&init) ? 0 : 1;
}
