// The program the demo setup installs: one window that greets the user and
// names the folder it runs from, so a look at it shows where the setup put it.

#include <windows.h>

#include <string>

#include "utilities/Handles.h"

namespace {

constexpr char kClassName[] = "ZorevaDemoWindow";
constexpr char kTitle[] = "Zoreva Demo";
constexpr char kGreeting[] = "Hello! Zoreva installed this program.";
constexpr int kClientWidth = 440, kClientHeight = 150, kMargin = 24, kBandHeight = 6;
constexpr COLORREF kBackground = RGB(0xF5, 0xF8, 0xFC), kBand = RGB(0x2B, 0x6C, 0xAB), kInk = RGB(0x1E, 0x2B, 0x3C), kQuiet = RGB(0x5B, 0x6B, 0x80);

using TGdiObject = TUniqueHandle<handles::TGdiObjectTraits>;

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    const size_t cut = folder.find_last_of('\\');
    return cut == std::string::npos ? folder : folder.substr(0, cut);
}

TGdiObject MessageFont(int pointsAbove, bool bold)
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTA face = metrics.lfMessageFont;
    const int height = face.lfHeight < 0 ? -face.lfHeight : 13;
    face.lfHeight = -(height + pointsAbove);
    if (bold) face.lfWeight = FW_BOLD;
    return TGdiObject(CreateFontIndirectA(&face));
}

void DrawLine(HDC dc, HGDIOBJ font, COLORREF colour, RECT box, const std::string& text)
{
    SelectObject(dc, font);
    SetTextColor(dc, colour);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_LEFT | DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_NOPREFIX);
}

void Paint(HWND window)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const TGdiObject background(CreateSolidBrush(kBackground));
    FillRect(dc, &client, static_cast<HBRUSH>(background.Get()));
    const TGdiObject band(CreateSolidBrush(kBand));
    const RECT bandBox{0, 0, client.right, kBandHeight};
    FillRect(dc, &bandBox, static_cast<HBRUSH>(band.Get()));
    SetBkMode(dc, TRANSPARENT);
    const TGdiObject heading = MessageFont(5, true), body = MessageFont(0, false);
    const HGDIOBJ original = SelectObject(dc, heading.Get());
    const int width = client.right - kMargin, top = kBandHeight + kMargin;
    DrawLine(dc, heading.Get(), kInk, RECT{kMargin, top, width, top + 30}, kGreeting);
    DrawLine(dc, body.Get(), kQuiet, RECT{kMargin, top + 50, width, top + 70}, "It runs from:");
    DrawLine(dc, body.Get(), kInk, RECT{kMargin, top + 72, width, top + 92}, ProgramFolder());
    SelectObject(dc, original);
    EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: Paint(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass)) return 1;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const HWND window = CreateWindowA(kClassName, kTitle, style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                      (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                      instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
