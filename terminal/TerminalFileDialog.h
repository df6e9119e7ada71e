#pragma once
#include <string>
#include <vector>
#include "terminal/TerminalEditBox.h"
#include "terminal/TerminalEvents.h"
#include "terminal/TerminalListView.h"
#include "terminal/TerminalScreen.h"

// The open-file dialog for a replay: browses this host's folders, lists the
// sub-folders and the files that match the chosen filter ("NMEA Files (*.nmea)" or
// "All Files (*.*)"), and takes a typed path, absolute or relative to the folder shown.
// As with the handheld's dialog, the folder of the path must exist, the file need not.
class TerminalFileDialog : public TerminalLayer {
public:
    // folder: the host folder to start in; it keeps the one the user ended in.
    explicit TerminalFileDialog(std::string& folder) : folder_(folder), nameBox_(name_, 1024) {}

    // True with the chosen path in path (chars characters with the NUL); false when
    // cancelled or when the program stops.
    bool Run(TerminalScreen& screen, TerminalEvents& events, wchar_t* path, int chars);
    void Draw(TerminalScreen& screen) override;

private:
    enum Focus { List, NameBox, TypeBox, OpenButton, CancelButton, kFocusCount };
    struct Entry {
        std::wstring name;
        bool folder;
    };

    // 1: a file was chosen; -1: cancelled; 0: keep going.
    int Handle(const TerminalEvent& event);
    int Click(const TerminalEvent& event);
    int OpenSelected();
    int OpenTyped();
    int Choose(const std::string& hostPath);
    void Browse(const std::string& folder);
    void Load();
    // A file selected in the list becomes the file name, as in the handheld's dialog.
    void TakeSelectedName();
    void NextFilter();
    int Count() const { return static_cast<int>(entries_.size()); }

    std::string& folder_;
    std::wstring name_;
    TerminalEditBox nameBox_;
    std::vector<Entry> entries_;
    std::wstring message_;
    std::wstring chosen_;
    int pathChars_ = 0;  // the room of the caller's buffer, its NUL included
    int filter_ = 0;
    int focus_ = List;
    TerminalListView list_;
    TerminalRect type_;
    TerminalRect buttons_[kFocusCount];
};
