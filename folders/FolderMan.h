#pragma once

// TFolderMan: the modal "Choose Folder" dialog. An edit box shows the path,
// a directory tree below it lets the user pick a folder; the caller reads
// Path afterwards.

#include <string>

#include "folders/DirTree.h"
#include "platform/Controls.h"
#include "platform/Dialog.h"

class TFolderMan : public TDialog {
public:
    explicit TFolderMan(HWND owner = nullptr);

    void SetPath(const std::string& path) { FolderPath = path; }
    const std::string& Path() const { return FolderPath; }
    // True when closed with OK. A picked folder ends with a backslash; typed text comes back as typed.
    bool Execute();

    void NewButClick();

    // For tests that drive the dialog.
    TDirTree& Tree() { return DirTree; }
    TEdit& Edit() { return PathEdit; }
    TPushButton& OKButton() { return OKBut; }
    TPushButton& CancelButton() { return CancelBut; }

private:
    void PathEditChange() { FolderPath = PathEdit.Text(); }
    void DirTreeClick();

    std::string FolderPath;
    TLabel Head;
    TLabel PathLabel;
    TEdit PathEdit;
    TLabel DirLabel;
    TDirTree DirTree;
    TPushButton OKBut;
    TPushButton CancelBut;
    TPushButton NewBut;
};
