#include "shell/OpenFileDialog.h"

#include <algorithm>
#include <cwchar>

#include "shell/CaselessNames.h"
#include "shell/resources/Resources.h"

namespace {

struct Filter {
    const wchar_t* name;
    const wchar_t* pattern;
};
constexpr Filter kFilters[] = {{kNmeaFilterName, kNmeaFilterPattern}, {kAllFilterName, kAllFilterPattern}};
constexpr int kFilterCount = sizeof kFilters / sizeof kFilters[0];

// "*.*" takes every file, as it does on the handheld, names without a dot included;
// "*.ext" takes the names ending in ".ext", case ignored.
bool Matches(const wchar_t* pattern, const std::wstring& name) {
    if (wcscmp(pattern, L"*.*") == 0) return true;
    return pattern[0] == L'*' && CaselessEndsWith(name, pattern + 1);
}

// The path with "." and ".." folded away and doubled slashes dropped, by its text
// alone; ".." never climbs above "/". A relative path is taken from "/".
std::wstring Folded(const std::wstring& path) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = std::min(path.find(L'/', start), path.size());
        std::wstring part = path.substr(start, end - start);
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::wstring folded;
    for (const std::wstring& part : parts) folded += L"/" + part;
    return folded.empty() ? L"/" : folded;
}

// Both take folded paths.
std::wstring Child(const std::wstring& folder, const std::wstring& name) {
    return folder + (folder == L"/" ? L"" : L"/") + name;
}

std::wstring Parent(const std::wstring& path) {
    size_t slash = path.find_last_of(L'/');
    return slash == 0 ? L"/" : path.substr(0, slash);
}

class RowCollector : public FolderVisitor {
public:
    RowCollector(std::vector<OpenFileDialog::Row>& folders, std::vector<OpenFileDialog::Row>& files,
                 const wchar_t* pattern)
        : folders_(folders), files_(files), pattern_(pattern) {}

    void OnEntry(const wchar_t* name, bool isFolder) override {
        // Hidden entries are left out, as file dialogs do.
        if (name[0] == L'.') return;
        if (isFolder) {
            folders_.push_back({name, true});
        } else if (Matches(pattern_, name)) {
            files_.push_back({name, false});
        }
    }

private:
    std::vector<OpenFileDialog::Row>& folders_;
    std::vector<OpenFileDialog::Row>& files_;
    const wchar_t* pattern_;
};

bool Before(const OpenFileDialog::Row& a, const OpenFileDialog::Row& b) { return CaselessBefore(a.name, b.name); }

}  // namespace

OpenFileDialog::OpenFileDialog(FileSystem& files) : files_(files) {}

void OpenFileDialog::Open(const std::wstring& start, const std::wstring& home, const std::wstring& current,
                          int pathChars) {
    home_ = home;
    pathChars_ = pathChars;
    filter_ = 0;
    chosen_.clear();
    message_.clear();
    rows_.clear();
    const std::wstring here = Folded(current);
    folder_ = here;
    // The folder of the last opening may be gone by now; then the current one is shown.
    if (start.empty() || !Browse(Resolve(start)) || !message_.empty()) Browse(here);
}

const wchar_t* OpenFileDialog::FilterName() const { return kFilters[filter_].name; }

std::wstring OpenFileDialog::Resolve(const std::wstring& typed) const {
    std::wstring path = typed;
    if (!home_.empty() && path[0] == L'~' && (path.size() == 1 || path[1] == L'/')) path = home_ + path.substr(1);
    return Folded(path[0] == L'/' ? path : folder_ + L"/" + path);
}

bool OpenFileDialog::Browse(const std::wstring& folder) {
    if (!files_.FolderExists(folder.c_str())) {
        message_ = L"Cannot open the folder " + folder + L".";
        return false;
    }
    folder_ = folder;
    message_.clear();
    Load();
    return true;
}

void OpenFileDialog::Load() {
    std::vector<Row> folders;
    std::vector<Row> files;
    RowCollector collect(folders, files, kFilters[filter_].pattern);
    rows_.clear();
    if (files_.ListEntries(folder_.c_str(), collect)) {
        std::sort(folders.begin(), folders.end(), Before);
        std::sort(files.begin(), files.end(), Before);
        rows_ = folders;
        rows_.insert(rows_.end(), files.begin(), files.end());
    } else {
        message_ = L"Cannot read the folder " + folder_ + L".";
    }
    if (folder_ != L"/") rows_.insert(rows_.begin(), {L"..", true});
}

OpenFileDialog::Step OpenFileDialog::OpenRow(int row) {
    message_.clear();
    if (row < 0 || row >= RowCount()) return Step::Stayed;
    // Folding takes ".." up.
    const std::wstring path = Folded(Child(folder_, RowAt(row).name));
    if (!RowAt(row).folder) return Choose(path);
    return Browse(path) ? Step::Entered : Step::Stayed;
}

OpenFileDialog::Step OpenFileDialog::OpenTyped(const std::wstring& typed) {
    message_.clear();
    if (typed.empty()) return Step::Stayed;
    const std::wstring path = Resolve(typed);
    if (files_.FolderExists(path.c_str())) return Browse(path) ? Step::Entered : Step::Stayed;
    // A trailing slash names a folder, not a file in one.
    const std::wstring folder = typed.back() == L'/' ? path : Parent(path);
    if (!files_.FolderExists(folder.c_str())) {
        message_ = L"The folder " + folder + L" does not exist.";
        return Step::Stayed;
    }
    return Choose(path);
}

OpenFileDialog::Step OpenFileDialog::Choose(const std::wstring& path) {
    if (static_cast<int>(path.size()) >= pathChars_) {
        message_ = L"That path is longer than " + std::to_wstring(pathChars_ - 1) +
                   L" characters; choose a file with a shorter path.";
        return Step::Stayed;
    }
    chosen_ = path;
    return Step::Chosen;
}

void OpenFileDialog::NextFilter() {
    message_.clear();
    filter_ = (filter_ + 1) % kFilterCount;
    Load();
}
