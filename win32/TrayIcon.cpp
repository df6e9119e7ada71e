#include "win32/TrayIcon.h"

#include <shellapi.h>
#include <cwchar>

#include "shell/resources/Resources.h"
#include "win32/ResourceIds.h"

void TrayIcon::Add(HINSTANCE instance, HWND window) {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = ID_TRAY_ICON;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAY_CALLBACK;
    data.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KESTRAVE), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED));
    wcsncpy(data.szTip, kWindowTitle, sizeof data.szTip / sizeof data.szTip[0] - 1);
    if (Shell_NotifyIconW(NIM_ADD, &data)) window_ = window;
}

void TrayIcon::Remove() {
    if (window_ == nullptr) return;
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = ID_TRAY_ICON;
    Shell_NotifyIconW(NIM_DELETE, &data);
    window_ = nullptr;
}

void TrayIcon::SetTip(const wchar_t* state) {
    if (window_ == nullptr) return;
    wchar_t tip[sizeof tip_ / sizeof tip_[0]];
    swprintf(tip, sizeof tip / sizeof tip[0], L"%ls: %ls", kWindowTitle, state);
    tip[sizeof tip / sizeof tip[0] - 1] = L'\0';
    if (wcscmp(tip, tip_) == 0) return;
    wcscpy(tip_, tip);
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = ID_TRAY_ICON;
    data.uFlags = NIF_TIP;
    wcsncpy(data.szTip, tip_, sizeof data.szTip / sizeof data.szTip[0] - 1);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}
