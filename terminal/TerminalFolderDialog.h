#pragma once
#include "shell/FolderDialog.h"
#include "terminal/TerminalEditBox.h"
#include "terminal/TerminalEvents.h"
#include "terminal/TerminalListView.h"
#include "terminal/TerminalScreen.h"

// The face of the "Select output folder" dialog: the path box, the name box with
// Create, the list with its "Name" and "Type" columns, OK and Cancel. A click or
// Space on a row is a tap, a double click or Enter a double tap; every decision
// is the FolderDialog's.
class TerminalFolderDialog : public TerminalLayer {
public:
    // reason: why the dialog opened by itself, shown until a step is refused; may be null.
    TerminalFolderDialog(FolderDialog& model, const wchar_t* reason)
        : model_(model), reason_(reason), nameBox_(model.nameBox, FolderDialog::kNameChars) {}

    // Opens the model and runs until OK, Cancel, Esc or the program stops.
    void Run(TerminalScreen& screen, TerminalEvents& events);
    void Draw(TerminalScreen& screen) override;

private:
    enum Focus { List, NameBox, CreateButton, OkButton, CancelButton, kFocusCount };

    // Returns the button that closed the dialog, or 0.
    int Handle(const TerminalEvent& event);
    int Click(const TerminalEvent& event);
    int Press(int button);
    void DoubleTap(int row);

    FolderDialog& model_;
    const wchar_t* reason_;
    TerminalEditBox nameBox_;
    TerminalListView list_;
    int focus_ = List;
    TerminalRect buttons_[kFocusCount];
};
