#pragma once
#include <windows.h>

// Notification icon 5000: a click on it brings the main window back; its tooltip
// tells the recording state.
class TrayIcon {
public:
    void Add(HINSTANCE instance, HWND window);
    // Nothing when it was never added.
    void Remove();
    // "Kestrave: " and the recording state, cut to what the tooltip holds; the shell
    // hears only of a change.
    void SetTip(const wchar_t* state);

private:
    HWND window_ = nullptr;
    wchar_t tip_[128] = {};
};
