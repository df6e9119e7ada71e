#include "win32/StatusPane.h"

#include <cwchar>
#include <initializer_list>

#include "win32/ResourceIds.h"

bool StatusPane::Create(HINSTANCE instance, HWND parent) {
    window_ = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_STATUS), parent, Proc,
                                 reinterpret_cast<LPARAM>(this));
    if (window_ == nullptr) return false;
    RECT rect;
    GetWindowRect(window_, &rect);
    naturalSize_ = {rect.right - rect.left, rect.bottom - rect.top};
    for (int control : {IDC_STATUS_BOX, IDC_LOG_BOX}) {
        HWND box = GetDlgItem(window_, control);
        // The brain's box holds up to 30000 characters plus a message; the control's
        // default limit is barely above that.
        SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
        // Whatever was said before the window existed (the settings' loading) shows too.
        ShowWhole(box, control);
    }
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    return true;
}

void StatusPane::Destroy() {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
}

// A desktop window can be resized, unlike the handheld's screen: the pane follows the
// client area (its controls keep their places).
void StatusPane::Fill(int width, int height) {
    if (window_ != nullptr) MoveWindow(window_, 0, 0, width, height, TRUE);
}

void StatusPane::OnText(int control, const wchar_t* text, bool replaced) {
    if (window_ == nullptr) return;
    HWND box = GetDlgItem(window_, control);
    if (box == nullptr) return;
    if (replaced) {
        SetWindowTextW(box, text);
    } else {
        Append(box, control, text);
    }
}

void StatusPane::ShowState(const wchar_t* line, RecordingState::Level level) {
    HWND control = window_ == nullptr ? nullptr : GetDlgItem(window_, IDC_STATE_LINE);
    if (control == nullptr) return;
    // Set only on a change, so that a line that stays does not flicker every second.
    wchar_t shown[RecordingState::kLineChars];
    GetWindowTextW(control, shown, RecordingState::kLineChars);
    if (wcscmp(shown, line) == 0 && level == level_) return;
    level_ = level;
    SetWindowTextW(control, line);
    InvalidateRect(control, nullptr, TRUE);
}

void StatusPane::Append(HWND box, int control, const wchar_t* text) {
    const int length = GetWindowTextLengthW(box);
    const bool clear = static_cast<size_t>(length) > TextBox::kClearAbove;
    SendMessageW(box, EM_SETSEL, clear ? 0 : length, clear ? -1 : length);
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
    const int expected = (clear ? 0 : length) + static_cast<int>(wcslen(text));
    if (GetWindowTextLengthW(box) != expected) {
        ShowWhole(box, control);
        return;
    }
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

void StatusPane::ShowWhole(HWND box, int control) {
    SetWindowTextW(box, dialog_.Box(control).Text());
    const int length = GetWindowTextLengthW(box);
    SendMessageW(box, EM_SETSEL, length, length);
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

INT_PTR CALLBACK StatusPane::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
        return TRUE;
    }
    auto* pane = reinterpret_cast<StatusPane*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    if (message == WM_CTLCOLORSTATIC && pane != nullptr &&
        reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_STATE_LINE)) {
        // Green, a yellow dark enough to read on the dialog's grey, red.
        static const COLORREF kColours[] = {RGB(0, 128, 0), RGB(160, 110, 0), RGB(192, 0, 0)};
        HDC context = reinterpret_cast<HDC>(wParam);
        SetTextColor(context, kColours[static_cast<int>(pane->level_)]);
        SetBkColor(context, GetSysColor(COLOR_3DFACE));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_3DFACE));
    }
    if (message != WM_COMMAND) return FALSE;
    // The two "None" buttons do nothing, as on the handheld.
    if (LOWORD(wParam) == IDC_FLUSH && pane != nullptr) pane->dialog_.PressFlush();
    return TRUE;
}
