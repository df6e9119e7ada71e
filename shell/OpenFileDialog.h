#pragma once
#include <string>
#include <vector>
#include "platform/FileSystem.h"

// The open-file dialog for a replay without its face: browses this host's folders
// (absolute host paths, "/home/me/rec"), lists the sub-folders and the files that
// match the chosen filter, and takes a typed path, absolute, relative to the folder
// shown, or from "~". As with the handheld's dialog, the folder of a typed path must
// exist, the file need not.
class OpenFileDialog {
public:
    struct Row {
        std::wstring name;
        bool folder;
    };
    // What an opening step did: nothing but perhaps a message, entered a folder (the
    // rows are new), or chose a file (Chosen() has it).
    enum class Step { Stayed, Entered, Chosen };

    explicit OpenFileDialog(FileSystem& files);

    // Starts with the NMEA filter in start, or in current when start is empty, gone or
    // unreadable. home stands for "~" (empty: "~" is a name like any other). pathChars
    // is the room of the caller's buffer for the chosen path, its NUL included.
    void Open(const std::wstring& start, const std::wstring& home, const std::wstring& current, int pathChars);

    // ".." first unless at "/", then the sub-folders, then the matching files, each
    // group in ascending order with case ignored; hidden names are left out.
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const Row& RowAt(int row) const { return rows_[static_cast<size_t>(row)]; }

    // A folder row is entered, ".." goes up, a file row is chosen.
    Step OpenRow(int row);
    // A typed path: a folder is entered; anything else is chosen when its folder exists.
    Step OpenTyped(const std::wstring& typed);
    // Switches to the next filter and lists the folder again.
    void NextFilter();

    const wchar_t* FilterName() const;
    const std::wstring& Folder() const { return folder_; }
    // Why the last step went nowhere; empty when it did not fail.
    const std::wstring& Message() const { return message_; }
    void ClearMessage() { message_.clear(); }
    const std::wstring& Chosen() const { return chosen_; }

private:
    // The absolute, folded form of a path typed in the folder shown.
    std::wstring Resolve(const std::wstring& typed) const;
    // Shows the folder when it exists; true when it was entered.
    bool Browse(const std::wstring& folder);
    void Load();
    Step Choose(const std::wstring& path);

    FileSystem& files_;
    std::vector<Row> rows_;
    std::wstring folder_ = L"/";
    std::wstring home_;
    std::wstring message_;
    std::wstring chosen_;
    int pathChars_ = 0;
    int filter_ = 0;
};
