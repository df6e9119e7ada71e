#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "platform/FileSystem.h"
#include "shell/Settings.h"

// The "Select output folder" dialog without its face: browses the device's folders
// from the root (the empty path), shows the folder that OK will take in the path box,
// creates sub-folders, and hands the choice to both writers and the settings.
class FolderDialog {
public:
    static constexpr int kPathChars = 260;   // path box and browse path, without the NUL
    static constexpr int kNameChars = 254;   // a folder name, without the NUL
    static constexpr int kDepthEntries = 100;

    FolderDialog(FileSystem& files, TrackWriter& track, RouteWriter& route, Settings& settings);

    // Each opening starts at the root with the path box showing the current folder.
    void Open();

    // The rows of the list: ".." first when not at the root, then the sub-folders in
    // ascending order. A row index below 0 means no row is selected.
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const std::wstring& RowName(int row) const { return rows_[static_cast<size_t>(row)]; }
    // "Folder", or nothing for the ".." row.
    const wchar_t* RowType(int row) const;

    // Shows the tapped sub-folder in the path box without entering it (".." shows
    // the folder being browsed).
    void Tap(int row);
    // Enters the row's folder, or goes up on "..".
    void DoubleTap(int row);
    // Creates nameBox inside the folder being browsed; the name box is emptied. A
    // failure is silent, as the user sees the list unchanged.
    void Create();
    // Hands the path box to both writers and stores it; false, with the refusal
    // saying why, when it holds no folder (then nothing is stored).
    bool Ok();

    const wchar_t* PathBox() const { return pathBox_; }
    const wchar_t* BrowsePath() const { return browsePath_; }
    int Depth() const { return depth_; }
    // Why the last step was refused (too deep, too long); empty when it was not.
    const std::wstring& Refusal() const { return refusal_; }

    // The name box; the face writes into it.
    std::wstring nameBox;

private:
    void FillList();
    bool IsUpRow(int row) const { return row == 0 && depth_ > 0; }
    // browsePath + "\" + name into out, refused when longer than kPathChars.
    bool Compose(const std::wstring& name, wchar_t* out);
    void ShowInPathBox(const wchar_t* text);
    // The folder being browsed, "\" at the root.
    void ShowBrowsedFolder();

    FileSystem& files_;
    TrackWriter& track_;
    RouteWriter& route_;
    Settings& settings_;
    std::vector<std::wstring> rows_;
    wchar_t browsePath_[kPathChars + 1] = {};
    wchar_t pathBox_[kPathChars + 1] = {};
    int32_t depth_ = 0;
    int16_t depthStack_[kDepthEntries] = {};
    std::wstring refusal_;
};
