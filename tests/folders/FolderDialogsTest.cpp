#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

#include "folders/ConfirmationForm.h"
#include "folders/FolderMan.h"
#include "tests/TestSupport.h"
#include "utilities/SetupError.h"

// The dialogs run their real modal loops; what a user would do is posted
// before they start, so the loop itself delivers it.

namespace {

std::string WindowText(HWND wnd)
{
    char text[512] = {};
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}

void PostClick(const TControl& button)
{
    PostMessageA(button.Handle(), BM_CLICK, 0, 0);
}

TEST(ConfirmationForm, TextsByLanguageAndResultsByButton)
{
    TConfirmationForm form;
    PostClick(form.YesButton());
    EXPECT_EQ(form.Confirm("Wirklich abbrechen?", "German"), 6);
    EXPECT_EQ(WindowText(form.Handle()), "Best\xE4tigung!");
    EXPECT_EQ(form.YesButton().Text(), "Ja");
    EXPECT_EQ(form.NoButton().Text(), "Nein");
    EXPECT_EQ(form.Message().Text(), "Wirklich abbrechen?");
    EXPECT_FALSE(IsWindowVisible(form.Handle()));

    PostClick(form.NoButton());
    EXPECT_EQ(form.Confirm("Really cancel?", "german"), 7);
    EXPECT_EQ(WindowText(form.Handle()), "Confirmation!");
    EXPECT_EQ(form.YesButton().Text(), "Yes");
    EXPECT_EQ(form.NoButton().Text(), "No");

    PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form.Confirm("Closed?", "French"), 2);
}

// Window captions of every frame taller while it lives, as on newer Windows.
class TTallerCaptions {
public:
    TTallerCaptions()
    {
        Saved.cbSize = sizeof Saved;
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof Saved, &Saved, 0);
        NONCLIENTMETRICSA taller = Saved;
        taller.iCaptionHeight += 16;
        SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof taller, &taller, 0);
    }
    ~TTallerCaptions() { SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof Saved, &Saved, 0); }
    TTallerCaptions(const TTallerCaptions&) = delete;
    TTallerCaptions& operator=(const TTallerCaptions&) = delete;

    int CaptionHeight() const { return Saved.iCaptionHeight + 16; }

private:
    NONCLIENTMETRICSA Saved{};
};

TEST(ConfirmationForm, ClientAreaKeepsItsSizeWhateverTheFrame)
{
    for (const bool taller : {false, true}) {
        SCOPED_TRACE(taller ? "taller captions" : "the system's frame");
        std::optional<TTallerCaptions> captions;
        if (taller) captions.emplace();
        TConfirmationForm form;
        PostClick(form.NoButton());
        EXPECT_EQ(form.Confirm("Sized?", "English"), 7);
        const RECT client = form.ClientRect();
        EXPECT_EQ(client.right, 344);
        EXPECT_EQ(client.bottom, 102);
        if (taller) {
            EXPECT_GE(form.Height() - client.bottom, captions->CaptionHeight());
        }
    }
}

class FolderManTest : public ::testing::Test {
protected:
    TComApartment Com;
    TTempFolder Temp;
    TFolderMan Chooser;
};

TEST_F(FolderManTest, ExistingFolderSelectedAndReturnedUnchanged)
{
    ASSERT_TRUE(CreateDirectoryA((Temp / "Target").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((Temp / "Target\\below").c_str(), nullptr));
    Chooser.SetPath(Temp / "Target");
    PostClick(Chooser.OKButton());
    EXPECT_TRUE(Chooser.Execute());
    EXPECT_EQ(Chooser.Path(), Temp / "Target");
    EXPECT_EQ(Chooser.Edit().Text(), Temp / "Target");
    EXPECT_EQ(Chooser.Tree().GetDirectory(), Temp / "Target\\");
    EXPECT_FALSE(Chooser.Tree().IsExpanded(Chooser.Tree().Selected()));
    EXPECT_EQ(WindowText(Chooser.Handle()), "Choose Folder");
}

TEST_F(FolderManTest, MissingFolderShowsProgramFilesExpandedAndCancelGivesFalse)
{
    const std::string missing = Temp / "not\\there";
    Chooser.SetPath(missing);
    PostClick(Chooser.CancelButton());
    EXPECT_FALSE(Chooser.Execute());
    EXPECT_EQ(Chooser.Edit().Text(), missing);
    EXPECT_EQ(Chooser.Tree().GetDirectory(), GetProgramFilesFolder(nullptr) + "\\");
    EXPECT_TRUE(Chooser.Tree().IsExpanded(Chooser.Tree().Selected()));

    PostMessageA(Chooser.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(Chooser.Execute());
}

TEST_F(FolderManTest, EditedTextComesBackAsTyped)
{
    Chooser.SetPath(Temp.Text());
    PostMessageA(Chooser.Edit().Handle(), EM_SETSEL, 0, -1);
    for (char typed : std::string("c:\\foo")) PostMessageA(Chooser.Edit().Handle(), WM_CHAR, typed, 1);
    PostClick(Chooser.OKButton());
    EXPECT_TRUE(Chooser.Execute());
    EXPECT_EQ(Chooser.Path(), "c:\\foo");
}

TEST_F(FolderManTest, NewFolderJoinsWithOneBackslashAndStopsWhenThePathIsMissing)
{
    ASSERT_TRUE(CreateDirectoryA((Temp / "New Folder").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((Temp / "New Folder 2").c_str(), nullptr));
    // The process works in a folder of its own, so that a folder made in the wrong place shows.
    const std::string working = Temp / "working";
    ASSERT_TRUE(CreateDirectoryA(working.c_str(), nullptr));
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof before, before);
    ASSERT_TRUE(SetCurrentDirectoryA(working.c_str()));

    // A picked folder ends with a backslash; the wizard's destination does not.
    struct Case {
        std::string Path, Created;
    };
    const std::string withBackslash = Temp.Text();
    const std::string without = withBackslash.substr(0, withBackslash.size() - 1);
    for (const Case& folder : {Case{withBackslash, Temp / "New Folder 3"}, Case{without, Temp / "New Folder 4"}}) {
        SCOPED_TRACE(folder.Path);
        Chooser.SetPath(folder.Path);
        Chooser.Tree().SetDirectory(folder.Path);
        Chooser.NewButClick();
        EXPECT_EQ(Chooser.Path(), folder.Created);
        EXPECT_TRUE(DirExists(folder.Created));
        EXPECT_EQ(Chooser.Tree().GetDirectory(), folder.Created + "\\");
        char current[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof current, current);
        EXPECT_EQ(current, working);
    }

    const std::string missing = Temp / "missing";
    Chooser.SetPath(missing);
    EXPECT_THROW(Chooser.NewButClick(), ESetupError);
    EXPECT_EQ(Chooser.Path(), missing);
    EXPECT_FALSE(DirExists(working + "\\New Folder"));
    EXPECT_FALSE(DirExists(missing));

    SetCurrentDirectoryA(before);
}

}  // namespace
