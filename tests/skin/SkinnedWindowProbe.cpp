// A skinned window with bitmap buttons for the GUI tests, which drive it with
// real mouse input and read what it reports in its log file:
//   ready <left> <top> <right> <bottom>     the window's screen rectangle
//   region <left> <top> <right> <bottom>    each rectangle of its window region
//   button <name> <left> <top> <right> <bottom>
//   state <name> <picture file name>        a button showed another picture
//   size <name> <width>x<height>            a button took a new size
//   click <name>
//   doubleclick <milliseconds>              the double-click time
//   question <x> <y>                        the button "asks" opened its modal question;
//                                           the screen centre of its OK button
//   answered                                the question closed
// The question closes on its OK button, or when the file "answer" appears
// beside the log. The probe ends when the file "quit" appears, or after a minute.
// Usage: skinned_window_probe.exe FOLDER (pictures in, log written to FOLDER\probe.log)

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "skin/Picture.h"
#include "skin/Skinned.h"
#include "tests/RegionRects.h"
#include "utilities/FileSystem.h"
#include "utilities/KMediaList.h"

namespace {

constexpr COLORREF kInvisible = RGB(255, 0, 255);
constexpr UINT kPollMs = 100;
constexpr DWORD kLifetimeMs = 60000;

std::string Folder;
FILE* Log = nullptr;

void Report(const std::string& line)
{
    std::fputs((line + "\n").c_str(), Log);
    std::fflush(Log);
}

std::string RectText(const RECT& r)
{
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
           std::to_string(r.bottom);
}

std::string BaseName(const std::string& path)
{
    return path.substr(path.find_last_of('\\') + 1);
}

// A button that reports its pictures, sizes and clicks.
class TReportingButton : public TZupButton {
public:
    TReportingButton(HWND parent, const std::string& label, POINT position) : TZupButton(parent, position), Label(label)
    {
        OnClick = [this](TImageWindow&) { Report("click " + Label); };
    }
    void ShowState(int state) override
    {
        const std::string before = Skin.FileName();
        const int width = Width(), height = Height();
        TZupButton::ShowState(state);
        if (Skin.FileName() != before) Report("state " + Label + " " + BaseName(Skin.FileName()));
        if (Width() != width || Height() != height)
            Report("size " + Label + " " + std::to_string(Width()) + "x" + std::to_string(Height()));
    }
    void Prepare(const std::string& normal, const std::string& over, const std::string& pressed,
                 const std::string& disabled)
    {
        ImageNormal = normal.empty() ? "" : Folder + normal;
        ImageOver = over.empty() ? "" : Folder + over;
        ImagePressed = pressed.empty() ? "" : Folder + pressed;
        ImageDisabled = disabled.empty() ? "" : Folder + disabled;
        Skin.SetInvisibleColor(kInvisible);
        Skin.SetAlphaMode(amInvisibleColor);
        SetRegionThreshold(100);
        SetButtonEnabled(true);
        SetShapeMode(shAlphaMask);
    }
    void ReportPlace() const
    {
        RECT bounds;
        GetWindowRect(Handle(), &bounds);
        Report("button " + Label + " " + RectText(bounds));
    }

private:
    std::string Label;
};

// A modal dialog opened from a button's click handler, as the wizard's
// Cancel asks for confirmation; away from the window, so that a screenshot
// shows the button beneath.
class TQuestion : public TDialog {
public:
    explicit TQuestion(HWND owner)
    {
        CreateForm("ZorevaProbeQuestion", "Probe question", WS_POPUP | WS_CAPTION, 160, 60, true,
                   GetSysColor(COLOR_BTNFACE), owner);
        OK.Create(*this, RECT{40, 18, 115, 43}, "OK");
        OK.OnClick = [this] { SetModalResult(kModalOK); };
        SetWindowPos(Handle(), nullptr, 600, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    TPushButton OK;
};

TQuestion* OpenQuestion = nullptr;

void Ask(HWND owner)
{
    TQuestion question(owner);
    RECT client{};
    GetClientRect(question.OK.Handle(), &client);
    POINT centre{client.right / 2, client.bottom / 2};
    ClientToScreen(question.OK.Handle(), &centre);
    Report("question " + std::to_string(centre.x) + " " + std::to_string(centre.y));
    OpenQuestion = &question;
    question.ShowModal();
    OpenQuestion = nullptr;
    Report("answered");
}

void ReportRegion(HWND window)
{
    for (const RECT& rect : WindowRegionRects(window)) Report("region " + RectText(rect));
}

void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD)
{
    static const DWORD started = GetTickCount();
    if (OpenQuestion && files::FileExists(Folder + "answer")) {
        DeleteFileA((Folder + "answer").c_str());
        OpenQuestion->SetModalResult(kModalOK);
    }
    if (files::FileExists(Folder + "quit") || GetTickCount() - started > kLifetimeMs) PostQuitMessage(0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    Folder = std::string(argv[1]) + "\\";
    Log = std::fopen((Folder + "probe.log").c_str(), "wb");
    if (!Log) return 2;
    TGdiplusSession gdiplus;
    KMediaList media(gdiplus);

    TZupForm form;
    SetWindowTextA(form.Handle(), "Zoreva skin probe");
    form.Skin.SetFileName(Folder + "skin.bmp");
    form.Skin.SetInvisibleColor(kInvisible);
    form.Skin.SetAlphaMode(amInvisibleColor);
    form.SetRegionThreshold(100);
    form.SetShapeMode(shAlphaMask);
    TBitmap32& skin = form.Skin.GetBitmap();
    form.SetBounds(100, 80, skin.Width(), skin.Height());

    TReportingButton main(form.Handle(), "main", POINT{20, 20});
    main.Prepare("normal.bmp", "over.bmp", "pressed.bmp", "disabled.bmp");
    TReportingButton off(form.Handle(), "off", POINT{20, 90});
    off.Prepare("normal.bmp", "over.bmp", "pressed.bmp", "disabled.bmp");
    off.SetButtonEnabled(false);
    TReportingButton missing(form.Handle(), "missing", POINT{250, 20});
    missing.Prepare("absent.bmp", "", "", "");
    TReportingButton asks(form.Handle(), "asks", POINT{120, 20});
    asks.Prepare("normal.bmp", "over.bmp", "pressed.bmp", "disabled.bmp");
    asks.OnClick = [&form](TImageWindow&) { Ask(form.Handle()); };

    ShowWindow(form.Handle(), SW_SHOWNORMAL);
    UpdateWindow(form.Handle());
    RECT bounds;
    GetWindowRect(form.Handle(), &bounds);
    ReportRegion(form.Handle());
    main.ReportPlace();
    off.ReportPlace();
    missing.ReportPlace();
    asks.ReportPlace();
    Report("doubleclick " + std::to_string(GetDoubleClickTime()));
    Report("ready " + RectText(bounds));
    SetTimer(nullptr, 0, kPollMs, &Poll);
    RunMessageLoop();
    std::fclose(Log);
    return 0;
}
