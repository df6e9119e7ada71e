#include "terminal/TerminalFileDialog.h"

#include <curses.h>
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "platform/Utf8.h"
#include "terminal/TerminalText.h"
#include "shell/resources/Resources.h"

namespace {

constexpr const wchar_t* kCaption = L"Open";
constexpr int kWidth = 76;
constexpr int kHeight = 24;

struct Filter {
    const wchar_t* name;
    const wchar_t* pattern;
};
constexpr Filter kFilters[] = {{kNmeaFilterName, kNmeaFilterPattern}, {kAllFilterName, kAllFilterPattern}};
constexpr int kFilterCount = sizeof kFilters / sizeof kFilters[0];

std::string ToUtf8(const std::wstring& text) {
    std::string out(text.size() * 4 + 1, '\0');
    WideToUtf8(text.c_str(), &out[0], static_cast<int>(out.size()));
    out.resize(strlen(out.c_str()));
    return out;
}

std::wstring ToWide(const std::string& text) {
    std::wstring out(text.size() + 1, L'\0');
    Utf8ToWide(text.c_str(), &out[0], static_cast<int>(out.size()));
    out.resize(wcslen(out.c_str()));
    return out;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// "*.*" takes every file, as it does on the handheld, names without a dot included.
bool Matches(const wchar_t* pattern, const char* name) {
    if (wcscmp(pattern, L"*.*") == 0) return true;
    return fnmatch(ToUtf8(pattern).c_str(), name, FNM_CASEFOLD) == 0;
}

std::string Parent(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool TerminalFileDialog::Run(TerminalScreen& screen, TerminalEvents& events, wchar_t* path, int chars) {
    pathChars_ = chars;
    // The folder of the last opening may be gone by now; then the current one is shown.
    Browse(folder_.empty() ? "." : folder_);
    if (!message_.empty()) Browse(".");
    ScopedLayer layer(screen, this);
    for (;;) {
        screen.Redraw();
        TerminalEvent event = events.Next();
        if (event.kind == TerminalEvent::Stop) return false;
        int result = Handle(event);
        if (result < 0) return false;
        if (result > 0) {
            swprintf(path, static_cast<size_t>(chars), L"%ls", chosen_.c_str());
            return true;
        }
    }
}

int TerminalFileDialog::Handle(const TerminalEvent& event) {
    if (event.kind == TerminalEvent::Mouse) return Click(event);
    if (event.kind != TerminalEvent::Key) return 0;
    if (event.IsEscape()) return -1;
    message_.clear();
    focus_ = CycleFocus(event, focus_, kFocusCount);
    // Typing in the list starts a new file name.
    if (focus_ == List && !event.function && !event.alt && event.key != ' ' && std::iswprint(static_cast<wint_t>(event.key))) {
        focus_ = NameBox;
        name_.clear();
    }
    switch (focus_) {
        case List:
            if (event.IsEnter()) return OpenSelected();
            if (list_.HandleKey(event, Count())) TakeSelectedName();
            return 0;
        case NameBox:
            if (event.IsEnter()) return OpenTyped();
            nameBox_.Handle(event);
            return 0;
        case TypeBox:
            if (event.IsEnter() || event.IsChar(' ') || event.IsKey(KEY_LEFT) || event.IsKey(KEY_RIGHT)) NextFilter();
            return 0;
        default:
            if (!event.IsEnter() && !event.IsChar(' ')) return 0;
            return focus_ == OpenButton ? OpenTyped() : -1;
    }
}

int TerminalFileDialog::Click(const TerminalEvent& event) {
    if (event.wheel != 0) {
        list_.Scroll(event.wheel, Count());
        return 0;
    }
    if (!event.click && !event.doubleClick) return 0;
    if (list_.Rect().Contains(event.y, event.x)) {
        focus_ = List;
        int row = list_.RowAt(event.y, event.x, Count());
        if (row < 0) return 0;
        list_.Select(row, Count());
        TakeSelectedName();
        return event.doubleClick ? OpenSelected() : 0;
    }
    if (nameBox_.rect.Contains(event.y, event.x)) focus_ = NameBox;
    if (type_.Contains(event.y, event.x)) {
        focus_ = TypeBox;
        NextFilter();
    }
    if (buttons_[OpenButton].Contains(event.y, event.x)) return OpenTyped();
    if (buttons_[CancelButton].Contains(event.y, event.x)) return -1;
    return 0;
}

int TerminalFileDialog::OpenSelected() {
    if (list_.Selected() < 0) return OpenTyped();
    const Entry& entry = entries_[static_cast<size_t>(list_.Selected())];
    std::string path = folder_ + (folder_ == "/" ? "" : "/") + ToUtf8(entry.name);
    if (entry.folder) {
        Browse(path);
        return 0;
    }
    return Choose(path);
}

// The name box: a folder is browsed, anything else is taken when its folder exists.
int TerminalFileDialog::OpenTyped() {
    if (name_.empty()) return list_.Selected() >= 0 ? OpenSelected() : 0;
    std::string typed = ToUtf8(name_);
    const char* home = getenv("HOME");
    if (typed[0] == '~' && (typed.size() == 1 || typed[1] == '/') && home != nullptr) {
        typed = home + typed.substr(1);
    }
    std::string path = typed[0] == '/' ? typed : folder_ + (folder_ == "/" ? "" : "/") + typed;
    if (IsFolder(path)) {
        name_.clear();
        Browse(path);
        return 0;
    }
    if (!IsFolder(Parent(path))) {
        message_ = L"The folder " + ToWide(Parent(path)) + L" does not exist.";
        return 0;
    }
    return Choose(path);
}

int TerminalFileDialog::Choose(const std::string& hostPath) {
    std::wstring path = ToWide(hostPath);
    if (static_cast<int>(path.size()) >= pathChars_) {
        message_ = L"That path is longer than " + std::to_wstring(pathChars_ - 1) +
                   L" characters; choose a file with a shorter path.";
        return 0;
    }
    chosen_ = path;
    return 1;
}

void TerminalFileDialog::Browse(const std::string& folder) {
    char real[PATH_MAX];
    if (realpath(folder.c_str(), real) == nullptr || !IsFolder(real)) {
        message_ = L"Cannot open the folder " + ToWide(folder) + L".";
        return;
    }
    folder_ = real;
    message_.clear();
    Load();
}

void TerminalFileDialog::Load() {
    entries_.clear();
    list_.Reset();
    DIR* folder = opendir(folder_.c_str());
    if (folder == nullptr) {
        message_ = L"Cannot read the folder " + ToWide(folder_) + L".";
    } else {
        std::vector<Entry> folders, files;
        while (const dirent* entry = readdir(folder)) {
            // Hidden entries are left out, as file dialogs do.
            if (entry->d_name[0] == '.') continue;
            bool isFolder = IsFolder(folder_ + "/" + entry->d_name);
            if (!isFolder && !Matches(kFilters[filter_].pattern, entry->d_name)) continue;
            (isFolder ? folders : files).push_back({ToWide(entry->d_name), isFolder});
        }
        closedir(folder);
        auto byName = [](const Entry& a, const Entry& b) { return wcscasecmp(a.name.c_str(), b.name.c_str()) < 0; };
        std::sort(folders.begin(), folders.end(), byName);
        std::sort(files.begin(), files.end(), byName);
        entries_ = folders;
        entries_.insert(entries_.end(), files.begin(), files.end());
    }
    if (folder_ != "/") entries_.insert(entries_.begin(), {L"..", true});
}

void TerminalFileDialog::TakeSelectedName() {
    if (list_.Selected() < 0) return;
    const Entry& entry = entries_[static_cast<size_t>(list_.Selected())];
    if (entry.folder) return;
    name_ = entry.name;
    nameBox_.MoveToEnd();
}

void TerminalFileDialog::NextFilter() {
    filter_ = (filter_ + 1) % kFilterCount;
    Load();
}

void TerminalFileDialog::Draw(TerminalScreen& screen) {
    TerminalRect box;
    box.width = std::min(kWidth, screen.Columns());
    box.height = std::min(kHeight, screen.Rows());
    box.y = (screen.Rows() - box.height) / 2;
    box.x = (screen.Columns() - box.width) / 2;
    screen.Frame(box, kCaption);
    int left = box.x + 2;
    int width = box.width - 4;
    int bottom = box.y + box.height - 1;

    std::wstring lookIn = L"Look in: ";
    int used = screen.Text(box.y + 1, left, width, lookIn);
    screen.Text(box.y + 1, left + used, width - used, FitTail(ToWide(folder_), width - used), TerminalScreen::Bold);

    list_.Place({box.y + 2, left, bottom - 5 - (box.y + 2), width}, Count());
    for (int row = 0; row < list_.Rows() && list_.First() + row < Count(); ++row) {
        int index = list_.First() + row;
        const Entry& entry = entries_[static_cast<size_t>(index)];
        std::wstring text = entry.name + (entry.folder ? L"/" : L"");
        screen.Line(list_.Rect().y + row, left, width, text,
                    index == list_.Selected() ? TerminalScreen::Reverse : TerminalScreen::Plain);
    }
    if (list_.Selected() < 0 && focus_ == List) screen.PlaceCursor(list_.Rect().y, left);
    screen.ScrollBar(list_.Rect().y, box.x + box.width - 1, list_.Rows(), list_.First(), list_.Rows(), Count());

    screen.Text(bottom - 4, left, width, message_, TerminalScreen::Bold);
    const std::wstring labels[2] = {L"File name:     ", L"Files of type: "};
    int labelWidth = CellWidth(labels[0]);
    screen.Text(bottom - 3, left, width, labels[0]);
    nameBox_.Draw(screen, bottom - 3, left + labelWidth, width - labelWidth, focus_ == NameBox);
    screen.Text(bottom - 2, left, width, labels[1]);
    type_ = {bottom - 2, left + labelWidth, 1,
             screen.Text(bottom - 2, left + labelWidth, width - labelWidth,
                         std::wstring(L"< ") + kFilters[filter_].name + L" >",
                         focus_ == TypeBox ? TerminalScreen::Reverse : TerminalScreen::Plain)};
    buttons_[OpenButton] = screen.Button(bottom - 1, left + width - 22, L"Open", focus_ == OpenButton);
    buttons_[CancelButton] = screen.Button(bottom - 1, left + width - 10, L"Cancel", focus_ == CancelButton);
}
