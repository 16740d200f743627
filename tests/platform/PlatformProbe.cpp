// The controls of the wizard in the wizard's kind of host, for a script that
// drives them with real input: a skinned form (skin pixels 1:1) holding a
// coloured panel, an anchored panel inside it, a client-filling page with
// top rows, a hidden strip, a bottom group, a list box on the right and a
// memo filling the rest, and a button that opens an owned modal dialog.
// It prints, flushed at once:
//   rect NAME L T R B     where the layout put a control, in its host's client area
//   at NAME X Y           a control's centre on the screen
//   colour R G B          the panel's colour
//   event ...             what a control told its handler
//   report TEXT           an error report on the screen (a message box's text),
//                         after "at reportokN X Y" for the button of the N-th report
//   done                  the message loop ended

#include <windows.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "skin/Skinned.h"
#include "utilities/SetupError.h"

namespace {

constexpr COLORREF kPanelColour = RGB(30, 110, 190);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchMilliseconds = 100;

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void SayRect(const std::string& name, const TControl& control)
{
    const RECT r = control.BoundsRect();
    Say("rect " + name + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
        " " + std::to_string(r.bottom));
}

void SayCentreOf(const std::string& name, HWND wnd, const RECT& client)
{
    POINT centre{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
    ClientToScreen(wnd, &centre);
    Say("at " + name + " " + std::to_string(centre.x) + " " + std::to_string(centre.y));
}

void SayCentre(const std::string& name, const TControl& control)
{
    RECT client{};
    GetClientRect(control.Handle(), &client);
    SayCentreOf(name, control.Handle(), client);
}

void SayScreenRect(const std::string& name, const TControl& control)
{
    RECT r{};
    GetWindowRect(control.Handle(), &r);
    Say("screen " + name + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
        std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top));
}

// Watches for message boxes of this thread and prints their text once each.
class TReportWatcher : public TWindow {
public:
    TReportWatcher()
    {
        CreateHandle("ZorevaProbeWatcher", 0, WS_POPUP, nullptr, RECT{0, 0, 1, 1});
        SetTimer(Handle(), kWatchTimer, kWatchMilliseconds, nullptr);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_TIMER) EnumThreadWindows(GetCurrentThreadId(), &TReportWatcher::Inspect, LPARAM(this));
        return DefaultHandling(message, wParam, lParam);
    }

private:
    static BOOL CALLBACK Inspect(HWND wnd, LPARAM self)
    {
        auto* watcher = reinterpret_cast<TReportWatcher*>(self);
        char className[32] = {};
        GetClassNameA(wnd, className, sizeof className);
        if (std::string(className) == "#32770" && IsWindowVisible(wnd) && watcher->Seen.insert(wnd).second) {
            std::string text;
            EnumChildWindows(wnd, &TReportWatcher::CollectStatic, reinterpret_cast<LPARAM>(&text));
            if (HWND ok = FindWindowExA(wnd, nullptr, "Button", nullptr)) {
                RECT client{};
                GetClientRect(ok, &client);
                SayCentreOf("reportok" + std::to_string(watcher->Seen.size()), ok, client);
            }
            Say("report " + text);
        }
        return TRUE;
    }

    static BOOL CALLBACK CollectStatic(HWND wnd, LPARAM text)
    {
        char className[32] = {}, caption[256] = {};
        GetClassNameA(wnd, className, sizeof className);
        GetWindowTextA(wnd, caption, sizeof caption);
        if (_stricmp(className, "Static") == 0 && caption[0]) *reinterpret_cast<std::string*>(text) += caption;
        return TRUE;
    }

    std::set<HWND> Seen;
};

class TProbeDialog : public TDialog {
public:
    explicit TProbeDialog(HWND owner)
    {
        CreateForm("ZorevaProbeDialog", "Probe dialog", WS_POPUP | WS_CAPTION, 240, 80, true,
                   GetSysColor(COLOR_BTNFACE), owner);
        OK.Create(*this, RECT{20, 30, 95, 55}, "OK");
        Fail.Create(*this, RECT{120, 30, 195, 55}, "Fail");
        OK.SetDefault(true);
        // Away from the screen's centre, where the error report appears.
        SetWindowPos(Handle(), nullptr, 600, 520, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        OK.OnClick = [this] { SetModalResult(kModalOK); };
        Fail.OnClick = [] { throw ESetupError("Probe failure in a dialog"); };
    }

    TPushButton OK;
    TPushButton Fail;
};

class TProbe {
public:
    TProbe()
    {
        SetWindowTextA(Form.Handle(), "Platform probe");
        Form.SetBounds(100, 100, 480, 400);
        BuildPanels();
        BuildPage();
        DialogButton.Create(Form, RECT{20, 350, 120, 375}, "Dialog");
        DialogButton.OnClick = [this] { OpenDialog(); };
        Wire();
        // The text panel grows by 40 in both directions, as a skin's Toolweb block may do.
        MainPanel.SetBounds(RECT{20, 20, 460, 340});
    }

    void Show()
    {
        ShowWindow(Form.Handle(), SW_SHOW);
        SetForegroundWindow(Form.Handle());
        UpdateWindow(Form.Handle());
        for (const auto& [name, control] : Named()) SayRect(name, *control);
        for (const char* name : {"check", "fail", "dialog"}) SayCentre(name, *Named().at(name));
        RECT item{};
        SendMessageA(List.Handle(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
        SayCentreOf("beta", List.Handle(), item);
        SayScreenRect("head", Head);
        Say("colour " + std::to_string(GetRValue(kPanelColour)) + " " + std::to_string(GetGValue(kPanelColour)) + " " +
            std::to_string(GetBValue(kPanelColour)));
    }

private:
    void BuildPanels()
    {
        MainPanel.Create(Form, RECT{20, 20, 420, 300});
        MainPanel.SetBackgroundColor(kPanelColour);
        TFontAttributes white = MessageFontAttributes();
        white.Color = kWhite;
        MainPanel.SetFont(white);
        TextBox.Create(MainPanel, RECT{12, 14, 388, 266});
        TextBox.SetAnchors(layout::kAnchorAll);
        Page.Create(TextBox, RECT{0, 0, 376, 252});
        Page.SetAlign(layout::TAlign::alClient);
    }

    void BuildPage()
    {
        Head.Create(Page, RECT{0, 0, 376, 24}, "Probe heading", SS_CENTER);
        TFontAttributes heading = Head.Font().Attributes();
        heading.Face.lfWeight = FW_BOLD;
        SetFontPointSize(heading, FontPointSize(heading) + 2);
        Head.SetFont(heading);
        Spacer.Create(Page, RECT{0, 0, 376, 13}, "");
        HiddenStrip.Create(Page, RECT{0, 0, 376, 20});
        HiddenStrip.SetVisible(false);
        CheckStrip.Create(Page, RECT{0, 0, 376, 20});
        Check.Create(CheckStrip, RECT{8, 2, 208, 18}, "Probe check");
        Fail.Create(CheckStrip, RECT{210, 0, 255, 20}, "Fail");
        Progress.Create(CheckStrip, RECT{260, 4, 360, 16});
        Progress.SetAnchors(layout::kAnchorTopRight);
        Progress.SetPosition(140);
        Group.Create(Page, RECT{0, 0, 376, 50}, "Probe group");
        Edit.Create(Group, RECT{12, 17, 212, 38});
        TFontAttributes black = Edit.Font().Attributes();
        black.Color = RGB(0, 0, 0);
        Edit.SetFont(black);
        Go.Create(Group, RECT{285, 17, 360, 42}, "Go");
        Go.SetAnchors(layout::kAnchorTopRight);
        Go.SetDefault(true);
        List.Create(Page, RECT{0, 0, 120, 100});
        List.SetFont(black);
        for (const char* item : {"Alpha", "Beta", "Gamma"}) List.AddItem(item);
        Memo.Create(Page, RECT{0, 0, 100, 100});
        Memo.SetLines({"First line of the memo", "", "Third line, long enough to need the horizontal scroll bar"});
        for (TControl* row : {static_cast<TControl*>(&Head), static_cast<TControl*>(&Spacer),
                              static_cast<TControl*>(&HiddenStrip), static_cast<TControl*>(&CheckStrip)})
            row->SetAlign(layout::TAlign::alTop);
        Group.SetAlign(layout::TAlign::alBottom);
        List.SetAlign(layout::TAlign::alRight);
        Memo.SetAlign(layout::TAlign::alClient);
    }

    void Wire()
    {
        Check.OnClick = [this] { Say("event check " + std::to_string(Check.Checked())); };
        Edit.OnChange = [this] { Say("event edit " + Edit.Text()); };
        Go.OnClick = [] { Say("event go"); };
        List.OnClick = [this] {
            Say("event list " + std::to_string(List.ItemIndex()) + " " + List.Items()[List.ItemIndex()]);
        };
        Fail.OnClick = [] { throw ESetupError("Probe failure in a panel"); };
    }

    void OpenDialog()
    {
        TProbeDialog dialog(Form.Handle());
        SayCentre("dialogok", dialog.OK);
        SayCentre("dialogfail", dialog.Fail);
        const int result = dialog.ShowModal();
        Say("event modal " + std::to_string(result) + " owned " +
            std::to_string(GetWindow(dialog.Handle(), GW_OWNER) == Form.Handle()) + " lines " +
            std::to_string(Memo.Lines().size()) + " progress " + std::to_string(Progress.Position()));
        PostQuitMessage(0);
    }

    std::map<std::string, const TControl*> Named() const
    {
        return {{"textbox", &TextBox},
                {"page", &Page},
                {"head", &Head},
                {"spacer", &Spacer},
                {"checkstrip", &CheckStrip},
                {"check", &Check},
                {"fail", &Fail},
                {"progress", &Progress},
                {"group", &Group},
                {"edit", &Edit},
                {"go", &Go},
                {"list", &List},
                {"memo", &Memo},
                {"dialog", &DialogButton}};
    }

    THostWindow<TZupForm> Form;
    TPanel MainPanel, TextBox, Page, HiddenStrip, CheckStrip;
    TLabel Head, Spacer;
    TCheckBox Check;
    TPushButton Fail, Go, DialogButton;
    TProgressBar Progress;
    TGroupBox Group;
    TEdit Edit;
    TListBox List;
    TMemo Memo;
};

}  // namespace

int main()
{
    try {
        TReportWatcher watcher;
        TProbe probe;
        probe.Show();
        RunMessageLoop();
        Say("done");
        return 0;
    } catch (const std::exception& error) {
        ShowError(error.what());
        return 1;
    }
}
