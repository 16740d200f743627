// Shows one folder dialog for a test script that drives it with real input:
//   folders_probe confirm LANGUAGE MESSAGE     prints the buttons' screen centres, then "result N"
//   folders_probe chooser PATH                 prints the controls' centres, then "result True|False PATH"
//   folders_probe drives                       a shown tree with every drive type; prints "volume X: SERIAL"
//                                              for each drive, then the drives. Commands on stdin, one a line:
//                                                map X: V:   drive X: stands for the volume of drive V:
//                                                unmap X:    drive X: goes
//                                                change      the owner gets the device-change message;
//                                                            prints the drives
//                                                where P     prints "at X Y", the screen centre of P's node
//                                                sync        prints "sync"
//                                              The tree's selection changes print "changed PATH", its
//                                              clicks "clicked PATH".
// Output lines are flushed at once, so the script can wait for them.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "folders/ConfirmationForm.h"
#include "folders/FolderMan.h"
#include "tests/folders/TestHost.h"
#include "utilities/BackgroundTask.h"

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

void SayVolumes()
{
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (!((drives >> (letter - 'A')) & 1u)) continue;
        const std::string root = std::string(1, letter) + ":\\";
        DWORD serial = 0;
        char hex[16] = "none";
        if (GetVolumeInformationA(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
            std::snprintf(hex, sizeof hex, "%08lx", static_cast<unsigned long>(serial));
        Say("volume " + std::string(1, letter) + ": " + hex);
    }
}

// Lines of stdin, read on a thread of their own and handed to the window's
// thread one message at a time, each line travelling in its message, so that
// the tree keeps taking real input.
class TCommandQueue {
public:
    explicit TCommandQueue(HWND target) : Reader([target] { Read(target); }) {}

    static constexpr UINT kCommand = WM_APP + 1;
    static constexpr UINT kEnd = WM_APP + 2;

    // The line a kCommand message carries.
    static std::string Line(LPARAM message)
    {
        return *std::unique_ptr<std::string>(reinterpret_cast<std::string*>(message));
    }

private:
    static void Read(HWND target)
    {
        char line[MAX_PATH + 16];
        while (std::fgets(line, sizeof line, stdin)) {
            auto command = std::make_unique<std::string>(line);
            while (!command->empty() && (command->back() == '\n' || command->back() == '\r')) command->pop_back();
            PostMessageA(target, kCommand, 0, reinterpret_cast<LPARAM>(command.release()));
        }
        PostMessageA(target, kEnd, 0, 0);
    }

    TBackgroundTask Reader;
};

class TDriveWatch {
public:
    TDriveWatch()
    {
        Tree.OnChange = [this](HTREEITEM node) {
            ++Changes;
            Say("changed " + PathOf(node));
        };
        Tree.OnClick = [this] { Say("clicked " + Tree.GetDirectory()); };
        Tree.CreateHandle(Host, RECT{0, 0, 280, 380});
        ShowWindow(Host.Handle(), SW_SHOW);
        Hook.Install(Host.Handle(), [this](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
            if (message == TCommandQueue::kEnd) PostQuitMessage(0);
            else if (message == TCommandQueue::kCommand) Run(TCommandQueue::Line(lParam));
            else return false;
            result = 0;
            return true;
        });
    }
    ~TDriveWatch()
    {
        while (!Mapped.empty()) Unmap(*Mapped.begin());
    }

    int Watch()
    {
        SayVolumes();
        SayDrives(Tree, Changes);
        return RunMessageLoop();
    }

private:
    std::string PathOf(HTREEITEM node) const
    {
        const TDirEntry* entry = Tree.EntryOf(node);
        return entry ? entry->Path : "none";
    }

    void Unmap(char letter)
    {
        DefineDosDeviceA(DDD_REMOVE_DEFINITION, (std::string(1, letter) + ":").c_str(), nullptr);
        Mapped.erase(letter);
    }

    void Run(const std::string& line)
    {
        std::istringstream words(line);
        std::string verb, first, second;
        words >> verb >> first >> second;
        if (verb == "map" && first.size() == 2 && second.size() == 2) {
            if (Mapped.count(first[0])) Unmap(first[0]);
            if (DefineDosDeviceA(DDD_RAW_TARGET_PATH, first.c_str(), ("\\??\\" + second).c_str()))
                Mapped.insert(first[0]);
        } else if (verb == "unmap" && first.size() == 2 && Mapped.count(first[0])) {
            Unmap(first[0]);
        } else if (verb == "change") {
            SendMessageA(Host.Handle(), WM_DEVICECHANGE, 0, 0);
            SayDrives(Tree, Changes);
        } else if (verb == "where") {
            HTREEITEM node = Tree.FindNode(first);
            Tree.MakeVisible(node);
            SayCentre("at", Tree.Handle(), Tree.ItemRect(node));
        } else if (verb == "sync") {
            Say("sync");
        } else {
            Say("unknown " + line);
        }
    }

    TTestHost Host;
    TDirTree Tree;
    TWindowHook Hook;
    TCommandQueue Commands{Host.Handle()};
    std::set<char> Mapped;
    int Changes = 0;
};

int WatchDrives()
{
    TDriveWatch watch;
    return watch.Watch();
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
