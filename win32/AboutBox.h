#pragma once
#include <windows.h>

// About box 103: icon, maker and product with its version, and what the program does.
class AboutBox {
public:
    static void Show(HINSTANCE instance, HWND owner);

private:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};
