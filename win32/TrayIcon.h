#pragma once
#include <windows.h>

// Notification icon 5000: a click on it brings the main window back.
class TrayIcon {
public:
    void Add(HINSTANCE instance, HWND window);
    // Nothing when it was never added.
    void Remove();

private:
    HWND window_ = nullptr;
};
