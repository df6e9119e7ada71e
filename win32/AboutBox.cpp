#include "win32/AboutBox.h"

#include "shell/resources/Resources.h"
#include "win32/ResourceIds.h"

void AboutBox::Show(HINSTANCE instance, HWND owner) {
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, Proc, 0);
}

INT_PTR CALLBACK AboutBox::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            // The texts live with the other faces' in Resources.h, so that all say the same.
            // (SHInitDialog's full-screen sizing has no desktop equivalent: the box is centred.)
            SetDlgItemTextW(dialog, IDC_ABOUT_PRODUCT, kAboutProduct);
            SetDlgItemTextW(dialog, IDC_ABOUT_TEXT, kAboutText);
            return TRUE;
        case WM_COMMAND:
            // IDCANCEL: the close box and Esc, which the handheld's box did not have.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDOK);
            return TRUE;
        default:
            return FALSE;
    }
}
