// Shows one folder dialog for a test script that drives it with real input:
//   folders_probe confirm LANGUAGE MESSAGE     prints the buttons' screen centres, then "result N"
//   folders_probe chooser PATH                 prints the controls' centres, then "result True|False PATH"
//   folders_probe drives                       a tree with every drive type; on each stdin line "change",
//                                              "define X: TARGET" or "remove X:" the owner gets the
//                                              device-change message; prints the drives
// Output lines are flushed at once, so the script can wait for them.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "folders/ConfirmationForm.h"
#include "folders/FolderMan.h"
#include "tests/folders/TestHost.h"

namespace {

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

POINT CentreOf(HWND wnd, const RECT& client)
{
    POINT centre{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
    ClientToScreen(wnd, &centre);
    return centre;
}

void SayCentre(const std::string& name, HWND wnd, const RECT& client)
{
    const POINT centre = CentreOf(wnd, client);
    Say(name + " " + std::to_string(centre.x) + " " + std::to_string(centre.y));
}

void SayControl(const std::string& name, const TControl& control)
{
    RECT client{};
    GetClientRect(control.Handle(), &client);
    SayCentre(name, control.Handle(), client);
}

// Runs a report once the modal loop is running, that is once the dialog is on screen.
class TReporter : public TWindow {
public:
    explicit TReporter(std::function<void()> report) : Report(std::move(report))
    {
        CreateHandle("ZorevaProbeReporter", 0, WS_POPUP, nullptr, RECT{0, 0, 1, 1});
        PostMessageA(Handle(), WM_APP, 0, 0);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP) Report();
        return DefaultHandling(message, wParam, lParam);
    }

private:
    std::function<void()> Report;
};

int Confirm(const std::string& language, const std::string& message)
{
    TConfirmationForm form;
    TReporter reporter([&form] {
        SayControl("yes", form.YesButton());
        SayControl("no", form.NoButton());
        Say("shown");
    });
    Say("result " + std::to_string(form.Confirm(message, language)));
    return 0;
}

int Choose(const std::string& path)
{
    TFolderMan chooser;
    chooser.SetPath(path);
    TReporter reporter([&chooser] {
        TDirTree& tree = chooser.Tree();
        HTREEITEM selected = tree.Selected();
        tree.MakeVisible(tree.ParentOf(selected));
        tree.MakeVisible(selected);
        SayCentre("selected", tree.Handle(), tree.ItemRect(selected));
        SayCentre("parent", tree.Handle(), tree.ItemRect(tree.ParentOf(selected)));
        Say("parentpath " + tree.EntryOf(tree.ParentOf(selected))->Path);
        SayControl("edit", chooser.Edit());
        SayControl("ok", chooser.OKButton());
        SayControl("cancel", chooser.CancelButton());
        Say("shown");
    });
    const bool chosen = chooser.Execute();
    Say(std::string("result ") + (chosen ? "True " : "False ") + chooser.Path());
    return 0;
}

void SayDrives(TDirTree& tree, int changes)
{
    std::string line = "drives";
    for (HTREEITEM drive = tree.FirstTopLevel(); drive; drive = tree.NextSibling(drive))
        line += " " + tree.EntryOf(drive)->Path;
    Say(line + " changes " + std::to_string(changes));
}

int WatchDrives()
{
    TTestHost host;
    TDirTree tree;
    int changes = 0;
    tree.OnChange = [&changes](HTREEITEM) { ++changes; };
    tree.CreateHandle(host, RECT{0, 0, 280, 380});
    SayDrives(tree, changes);
    char line[MAX_PATH + 16];
    while (std::fgets(line, sizeof line, stdin)) {
        std::string command(line);
        while (!command.empty() && (command.back() == '\n' || command.back() == '\r')) command.pop_back();
        // "define X: TARGET" and "remove X:" change the drives of this session through the system.
        if (command.rfind("define ", 0) == 0 && command.size() > 10)
            DefineDosDeviceA(0, command.substr(7, 2).c_str(), command.substr(10).c_str());
        else if (command.rfind("remove ", 0) == 0 && command.size() >= 9)
            DefineDosDeviceA(DDD_REMOVE_DEFINITION, command.substr(7, 2).c_str(), nullptr);
        else if (command != "change")
            break;
        SendMessageA(host.Handle(), 0x0219, 0, 0);
        SayDrives(tree, changes);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    TComApartment com;
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "confirm" && argc == 4) return Confirm(argv[2], argv[3]);
        if (mode == "chooser" && argc == 3) return Choose(argv[2]);
        if (mode == "drives") return WatchDrives();
    } catch (const std::exception& error) {
        Say(std::string("error ") + error.what());
        return 1;
    }
    Say("usage: folders_probe confirm LANGUAGE MESSAGE | chooser PATH | drives");
    return 2;
}
