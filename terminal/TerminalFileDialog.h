#pragma once
#include <string>
#include "platform/FileSystem.h"
#include "shell/OpenFileDialog.h"
#include "terminal/TerminalEditBox.h"
#include "terminal/TerminalEvents.h"
#include "terminal/TerminalListView.h"
#include "terminal/TerminalScreen.h"

// The face of the open-file dialog for a replay: "Look in:" with the folder, the list
// of sub-folders and files, the file name box, "Files of type:", Open and Cancel.
// Every browsing decision is the OpenFileDialog's.
class TerminalFileDialog : public TerminalLayer {
public:
    // folder: the host folder to start in; it keeps the one the user ended in.
    TerminalFileDialog(FileSystem& files, std::string& folder)
        : model_(files), folder_(folder), nameBox_(name_, 1024) {}

    // True with the chosen path in path (chars characters with the NUL); false when
    // cancelled or when the program stops.
    bool Run(TerminalScreen& screen, TerminalEvents& events, wchar_t* path, int chars);
    void Draw(TerminalScreen& screen) override;

private:
    enum Focus { List, NameBox, TypeBox, OpenButton, CancelButton, kFocusCount };

    // 1: a file was chosen; -1: cancelled; 0: keep going.
    int Handle(const TerminalEvent& event);
    int Click(const TerminalEvent& event);
    int OpenSelected();
    int OpenTyped();
    // The list starts afresh in a folder entered; a chosen file ends the dialog.
    int Follow(OpenFileDialog::Step step);
    // A file selected in the list becomes the file name, as in the handheld's dialog.
    void TakeSelectedName();
    void NextFilter();
    int Count() const { return model_.RowCount(); }

    OpenFileDialog model_;
    std::string& folder_;
    std::wstring name_;
    TerminalEditBox nameBox_;
    int focus_ = List;
    TerminalListView list_;
    TerminalRect type_;
    TerminalRect buttons_[kFocusCount];
};
