// Drives the running window program from outside, for tools/windows-e2e.sh: finds its
// windows, sends menu commands, presses buttons and reads the text boxes. Each call does
// one thing, prints what it found on stdout and exits 0 on success, 1 otherwise.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "win32/ResourceIds.h"

namespace {

constexpr int kPollMs = 100;

void PrintUtf8(const std::wstring& text) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], bytes, nullptr, nullptr);
    fwrite(out.data(), 1, out.size(), stdout);
}

int Say(const std::wstring& what, int result = 0) {
    PrintUtf8(what + L"\n");
    return result;
}

int Fail(const wchar_t* what) { return Say(what, 1); }

HWND MainWindow() { return FindWindowW(L"KESTRAVE", L"Kestrave"); }

// A dialog box or message box of the program, by its caption.
HWND Dialog(const wchar_t* caption) { return FindWindowW(L"#32770", caption); }

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK TakeIfItHolds(HWND child, LPARAM search) {
    auto* s = reinterpret_cast<ChildSearch*>(search);
    if (GetDlgItem(child, s->id) == nullptr) return TRUE;
    s->found = child;
    return FALSE;
}

// The status dialog has no caption: it is the main window's child that holds the status box.
HWND StatusDialog() {
    HWND main = MainWindow();
    if (main == nullptr) return nullptr;
    ChildSearch search{IDC_STATUS_BOX, nullptr};
    EnumChildWindows(main, TakeIfItHolds, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TextOf(HWND control) {
    // WM_GETTEXT is copied between processes by the system, unlike most control messages.
    auto length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    auto got = SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(got));
    return text;
}

// Polls until ready() holds or the seconds are over.
template <typename Ready>
bool WaitFor(double seconds, Ready ready) {
    DWORD start = GetTickCount();
    for (;;) {
        if (ready()) return true;
        if (GetTickCount() - start > static_cast<DWORD>(seconds * 1000)) return false;
        Sleep(kPollMs);
    }
}

// List view messages carry pointers, which mean nothing in another process: the
// structures are placed in the program's own memory and read back from there.
class RemoteBlock {
public:
    explicit RemoteBlock(HWND window) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_ != nullptr)
            base_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteBlock() {
        if (base_ != nullptr) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        if (process_ != nullptr) CloseHandle(process_);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    bool Ok() const { return base_ != nullptr; }
    char* At(size_t offset) const { return base_ + offset; }
    bool Put(size_t offset, const void* data, size_t size) const {
        return WriteProcessMemory(process_, base_ + offset, data, size, nullptr) != 0;
    }
    bool Get(size_t offset, void* data, size_t size) const {
        return ReadProcessMemory(process_, base_ + offset, data, size, nullptr) != 0;
    }

    static constexpr size_t kSize = 4096;

private:
    HANDLE process_ = nullptr;
    char* base_ = nullptr;
};

bool RowText(HWND list, int row, std::wstring& text) {
    RemoteBlock block(list);
    if (!block.Ok()) return false;
    constexpr size_t kTextAt = 512;
    constexpr int kChars = 256;
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = reinterpret_cast<LPWSTR>(block.At(kTextAt));
    item.cchTextMax = kChars;
    if (!block.Put(0, &item, sizeof item)) return false;
    auto length = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(block.At(0)));
    text.assign(static_cast<size_t>(length), L'\0');
    return length == 0 || block.Get(kTextAt, &text[0], static_cast<size_t>(length) * sizeof(wchar_t));
}

// The middle of a list row, in screen coordinates, for a real mouse click.
bool RowPoint(HWND list, int row, POINT& point) {
    RemoteBlock block(list);
    if (!block.Ok()) return false;
    RECT rect{};
    rect.left = LVIR_LABEL;
    if (!block.Put(0, &rect, sizeof rect)) return false;
    if (SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(block.At(0))) == 0) return false;
    if (!block.Get(0, &rect, sizeof rect)) return false;
    point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    return ClientToScreen(list, &point) != 0;
}

struct MenuArea {
    RECT rect;
    int menus;
};

BOOL CALLBACK AddIfMenu(HWND window, LPARAM area) {
    auto* a = reinterpret_cast<MenuArea*>(area);
    wchar_t name[16];
    RECT r{};
    if (IsWindowVisible(window) && GetClassNameW(window, name, 16) > 0 && wcscmp(name, L"#32768") == 0 &&
        GetWindowRect(window, &r)) {
        UnionRect(&a->rect, &a->rect, &r);
        ++a->menus;
    }
    return TRUE;
}

HWND ControlOf(const wchar_t* caption, const wchar_t* id) {
    HWND dialog = Dialog(caption);
    return dialog == nullptr ? nullptr : GetDlgItem(dialog, _wtoi(id));
}

int Usage() {
    fputs("usage: kestrave_window_driver COMMAND ...\n"
          "  wait-window SECONDS | wait-exit SECONDS | command ID\n"
          "  text ID | clear ID | wait-text ID SUBSTRING[|SUBSTRING] SECONDS | watch ID SECONDS | click ID   (status dialog)\n"
          "  wait-dialog CAPTION SECONDS | wait-gone CAPTION SECONDS | rect CAPTION | rect-menus\n"
          "  dialog-text CAPTION ID | set-text CAPTION ID TEXT | dialog-click CAPTION ID\n"
          "  rows CAPTION ID | row-point CAPTION ID ROW | answer-yes SECONDS\n",
          stderr);
    return 2;
}

int Run(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    std::wstring verb = argv[1];
    const wchar_t* a = argc > 2 ? argv[2] : L"";
    const wchar_t* b = argc > 3 ? argv[3] : nullptr;
    const wchar_t* c = argc > 4 ? argv[4] : nullptr;

    if (verb == L"wait-window") {
        if (!WaitFor(_wtof(a), [] { return MainWindow() != nullptr; })) return Fail(L"no window KESTRAVE/Kestrave");
        return Say(L"window");
    }
    if (verb == L"wait-exit") {
        if (!WaitFor(_wtof(a), [] { return MainWindow() == nullptr; })) return Fail(L"the main window is still there");
        return Say(L"gone");
    }
    if (verb == L"command") {
        HWND main = MainWindow();
        if (main == nullptr || !PostMessageW(main, WM_COMMAND, _wtoi(a), 0)) return Fail(L"no main window");
        return Say(L"posted");
    }
    if (verb == L"text" || verb == L"click" || verb == L"clear") {
        HWND dialog = StatusDialog();
        HWND control = dialog == nullptr ? nullptr : GetDlgItem(dialog, _wtoi(a));
        if (control == nullptr) return Fail(L"no status dialog control with that id");
        if (verb == L"click") {
            SendMessageW(control, BM_CLICK, 0, 0);
            return Say(L"clicked");
        }
        // As a user may clear the box: the next replacement of its text can then be seen.
        if (verb == L"clear") {
            SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
            return Say(L"cleared");
        }
        return Say(TextOf(control));
    }
    if (verb == L"wait-text" && c != nullptr) {
        std::wstring seen;
        bool found = WaitFor(_wtof(c), [&] {
            HWND dialog = StatusDialog();
            HWND control = dialog == nullptr ? nullptr : GetDlgItem(dialog, _wtoi(a));
            if (control != nullptr) seen = TextOf(control);
            // "A|B" waits for either.
            std::wstring wanted = b;
            for (size_t at = 0; at <= wanted.size();) {
                size_t bar = wanted.find(L'|', at);
                if (bar == std::wstring::npos) bar = wanted.size();
                if (seen.find(wanted.substr(at, bar - at)) != std::wstring::npos) return true;
                at = bar + 1;
            }
            return false;
        });
        return Say(seen, found ? 0 : 1);
    }
    if (verb == L"watch" && b != nullptr) {
        // Every text the box shows, each once, as it changes: the script reads the
        // sequence of messages from it.
        std::wstring last;
        WaitFor(_wtof(b), [&] {
            HWND dialog = StatusDialog();
            HWND control = dialog == nullptr ? nullptr : GetDlgItem(dialog, _wtoi(a));
            std::wstring now = control == nullptr ? L"" : TextOf(control);
            if (now != last) PrintUtf8(now + L"\n----\n");
            last = now;
            return false;
        });
        return 0;
    }
    if (verb == L"wait-dialog" || verb == L"wait-gone") {
        bool present = verb == L"wait-dialog";
        if (!WaitFor(b == nullptr ? 5 : _wtof(b), [&] { return (Dialog(a) != nullptr) == present; }))
            return Fail(present ? L"no such dialog" : L"the dialog is still there");
        return Say(present ? L"dialog" : L"gone");
    }
    if (verb == L"rect") {
        HWND window = Dialog(a);
        if (window == nullptr) window = FindWindowW(nullptr, a);
        RECT r{};
        if (window == nullptr || !GetWindowRect(window, &r)) return Fail(L"no such window");
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (verb == L"rect-menus") {
        // The main window together with its open menus (popup menus are windows of their own).
        MenuArea area{};
        HWND main = MainWindow();
        if (main == nullptr || !GetWindowRect(main, &area.rect)) return Fail(L"no main window");
        EnumWindows(AddIfMenu, reinterpret_cast<LPARAM>(&area));
        if (area.menus == 0) return Fail(L"no menu is open");
        const RECT& r = area.rect;
        printf("%d %ld %ld %ld %ld\n", area.menus, r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (verb == L"dialog-text" && b != nullptr) {
        HWND control = ControlOf(a, b);
        if (control == nullptr) return Fail(L"no such control");
        return Say(TextOf(control));
    }
    if (verb == L"set-text" && c != nullptr) {
        HWND control = ControlOf(a, b);
        if (control == nullptr || !SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c)))
            return Fail(L"no such control");
        return Say(L"set");
    }
    if (verb == L"dialog-click" && b != nullptr) {
        HWND control = ControlOf(a, b);
        if (control == nullptr) return Fail(L"no such control");
        // Posted, not sent: a button that ends the dialog would otherwise hold this call.
        PostMessageW(control, BM_CLICK, 0, 0);
        return Say(L"clicked");
    }
    if (verb == L"rows" && b != nullptr) {
        HWND list = ControlOf(a, b);
        if (list == nullptr) return Fail(L"no such list");
        auto count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
        for (int row = 0; row < count; ++row) {
            std::wstring text;
            if (!RowText(list, row, text)) return Fail(L"cannot read the list's rows from this process");
            PrintUtf8(text + L"\n");
        }
        return 0;
    }
    if (verb == L"row-point" && c != nullptr) {
        HWND list = ControlOf(a, b);
        POINT point{};
        if (list == nullptr || !RowPoint(list, _wtoi(c), point)) return Fail(L"no such row");
        printf("%ld %ld\n", point.x, point.y);
        return 0;
    }
    if (verb == L"answer-yes") {
        HWND box = nullptr;
        if (!WaitFor(_wtof(a), [&] { return (box = Dialog(L"Exit")) != nullptr; })) return Fail(L"no Exit question");
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDYES)));
        return Say(L"yes");
    }
    return Usage();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int result = Run(argc, argv);
    fflush(stdout);
    return result;
}
