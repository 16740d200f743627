#include <gtest/gtest.h>
#include <windows.h>

#include "folders/ConfirmationForm.h"
#include "folders/FolderMan.h"
#include "tests/TestSupport.h"

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
    EXPECT_EQ(form.Height(), form.Scale(126));
    EXPECT_FALSE(IsWindowVisible(form.Handle()));

    PostClick(form.NoButton());
    EXPECT_EQ(form.Confirm("Really cancel?", "german"), 7);
    EXPECT_EQ(WindowText(form.Handle()), "Confirmation!");
    EXPECT_EQ(form.YesButton().Text(), "Yes");
    EXPECT_EQ(form.NoButton().Text(), "No");

    PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form.Confirm("Closed?", "French"), 2);
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

TEST_F(FolderManTest, NewFolderTakesTheFirstFreeNumber)
{
    ASSERT_TRUE(CreateDirectoryA((Temp / "New Folder").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((Temp / "New Folder 2").c_str(), nullptr));
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof before, before);
    Chooser.SetPath(Temp.Text());
    Chooser.Tree().SetDirectory(Temp.Text());
    Chooser.NewButClick();
    EXPECT_EQ(Chooser.Path(), Temp / "New Folder 3");
    EXPECT_EQ(GetFileAttributesA((Temp / "New Folder 3").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(Chooser.Tree().GetDirectory(), Temp / "New Folder 3\\");
    char after[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof after, after);
    EXPECT_STREQ(after, before);
}

}  // namespace
