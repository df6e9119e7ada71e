#pragma once
#include <windows.h>

#include "shell/FolderDialog.h"

// Output folder dialog 108 drawn with a real list view: the brain's FolderDialog
// decides, this face shows its rows and path box and passes on the taps.
class FolderBrowser {
public:
    static void Show(HINSTANCE instance, HWND owner, FolderDialog& folders);

private:
    explicit FolderBrowser(FolderDialog& folders) : folders_(folders) {}
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void Start(HWND dialog);
    void OnCommand(int command);
    void OnNotify(const NMHDR& header);
    // The brain's row behind a list item: the list sorts by itself, the brain's rows
    // keep their own order, so each item carries its row number.
    int RowOf(int item) const;
    void FillList();
    void ShowPathAndRefusal();

    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
    FolderDialog& folders_;
};
