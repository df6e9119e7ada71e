#include "shell/FolderDialog.h"

#include <algorithm>
#include <cwchar>

#include "shell/CaselessNames.h"

namespace {

class RowCollector : public FolderVisitor {
public:
    explicit RowCollector(std::vector<std::wstring>& rows) : rows_(rows) {}
    void OnEntry(const wchar_t* name, bool isFolder) override {
        if (isFolder && wcslen(name) <= static_cast<size_t>(FolderDialog::kNameChars)) rows_.push_back(name);
    }

private:
    std::vector<std::wstring>& rows_;
};

}  // namespace

FolderDialog::FolderDialog(FileSystem& files, TrackWriter& track, RouteWriter& route, Settings& settings)
    : files_(files), track_(track), route_(route), settings_(settings) {}

void FolderDialog::Open() {
    wchar_t folder[kFolderChars];
    track_.GetFolder(folder);
    ShowInPathBox(folder);
    browsePath_[0] = L'\0';
    depthStack_[0] = 0;
    depth_ = 0;
    nameBox.clear();
    refusal_.clear();
    FillList();
}

const wchar_t* FolderDialog::RowType(int row) const { return IsUpRow(row) ? L"" : L"Folder"; }

void FolderDialog::FillList() {
    rows_.clear();
    RowCollector collect(rows_);
    files_.ListEntries(browsePath_, collect);
    std::sort(rows_.begin(), rows_.end(), CaselessBefore);
    if (depth_ > 0) rows_.insert(rows_.begin(), L"..");
}

void FolderDialog::ShowInPathBox(const wchar_t* text) {
    wcsncpy(pathBox_, text, kPathChars);
    pathBox_[kPathChars] = L'\0';
}

bool FolderDialog::Compose(const std::wstring& name, wchar_t* out) {
    int length = swprintf(out, kPathChars + 1, L"%ls\\%ls", browsePath_, name.c_str());
    if (length < 0 || length > kPathChars) {
        refusal_ = L"That path would be longer than 260 characters.";
        return false;
    }
    return true;
}

// The root is the empty browse path, which as a folder reads "\"; an empty path box
// would store no folder at all.
void FolderDialog::ShowBrowsedFolder() { ShowInPathBox(browsePath_[0] == L'\0' ? L"\\" : browsePath_); }

void FolderDialog::Tap(int row) {
    refusal_.clear();
    if (row < 0 || row >= RowCount()) return;
    if (IsUpRow(row)) {
        ShowBrowsedFolder();
        return;
    }
    wchar_t path[kPathChars + 1];
    if (Compose(RowName(row), path)) ShowInPathBox(path);
}

void FolderDialog::DoubleTap(int row) {
    refusal_.clear();
    if (row < 0 || row >= RowCount()) {
        ShowBrowsedFolder();
        return;
    }
    if (IsUpRow(row)) {
        --depth_;
        browsePath_[depthStack_[depth_]] = L'\0';
    } else {
        if (depth_ + 1 >= kDepthEntries) {
            refusal_ = L"Folders nested this deep cannot be entered.";
            return;
        }
        wchar_t path[kPathChars + 1];
        if (!Compose(RowName(row), path)) return;
        wcscpy(browsePath_, path);
        ++depth_;
        depthStack_[depth_] = static_cast<int16_t>(wcslen(browsePath_));
    }
    FillList();
    ShowBrowsedFolder();
}

void FolderDialog::Create() {
    refusal_.clear();
    std::wstring name = nameBox.substr(0, kNameChars);
    nameBox.clear();
    wchar_t path[kPathChars + 1];
    if (!Compose(name, path)) return;
    if (files_.CreateFolder(path)) FillList();
}

bool FolderDialog::Ok() {
    if (pathBox_[0] != L'\\') {
        refusal_ = L"Choose a folder first: select one in the list, or create one.";
        return false;
    }
    wchar_t folder[kPathChars] = {};
    wcsncpy(folder, pathBox_, kPathChars - 1);
    track_.SetFolder(folder);
    route_.SetFolder(folder);
    settings_.SaveOutputDir(folder);
    return true;
}
