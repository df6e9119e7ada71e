#include "win32/FolderBrowser.h"

#include <commctrl.h>

#include "win32/ResourceIds.h"

namespace {

constexpr const wchar_t* kCaption = L"Select output folder";

void AddColumn(HWND list, int index, const wchar_t* title, int width) {
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(title);
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

}  // namespace

void FolderBrowser::Show(HINSTANCE instance, HWND owner, FolderDialog& folders) {
    FolderBrowser browser(folders);
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_FOLDER), owner, Proc, reinterpret_cast<LPARAM>(&browser));
}

INT_PTR CALLBACK FolderBrowser::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
        reinterpret_cast<FolderBrowser*>(lParam)->Start(dialog);
        return TRUE;
    }
    auto* browser = reinterpret_cast<FolderBrowser*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    if (browser == nullptr) return FALSE;
    if (message == WM_COMMAND) {
        browser->OnCommand(LOWORD(wParam));
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        browser->OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        return TRUE;
    }
    return FALSE;
}

// The handheld's SHInitDialog made the dialog full-screen with a Done button; on a
// desktop it is an ordinary centred dialog whose OK button does the same.
void FolderBrowser::Start(HWND dialog) {
    dialog_ = dialog;
    list_ = GetDlgItem(dialog, IDC_FOLDER_LIST);
    folders_.Open();
    AddColumn(list_, 0, L"Name", 135);
    AddColumn(list_, 1, L"Type", 60);
    FillList();
    ShowPathAndRefusal();
}

void FolderBrowser::OnCommand(int command) {
    switch (command) {
        case IDC_CREATE: {
            wchar_t name[FolderDialog::kNameChars + 1] = {};
            GetDlgItemTextW(dialog_, IDC_NAME_BOX, name, FolderDialog::kNameChars + 1);
            SetDlgItemTextW(dialog_, IDC_NAME_BOX, L"");
            folders_.nameBox = name;
            folders_.Create();
            FillList();
            ShowPathAndRefusal();
            break;
        }
        case IDOK:
        case IDC_FOLDER_OK:
            // A refused OK keeps the dialog open.
            if (folders_.Ok()) EndDialog(dialog_, command);
            break;
        // IDCANCEL is Esc, which a desktop user expects to cancel.
        case IDCANCEL:
        case IDC_FOLDER_CANCEL:
            EndDialog(dialog_, IDC_FOLDER_CANCEL);
            break;
        default:
            break;
    }
}

void FolderBrowser::OnNotify(const NMHDR& header) {
    if (header.idFrom != IDC_FOLDER_LIST) return;
    if (header.code != NM_CLICK && header.code != NM_DBLCLK) return;
    const int row = RowOf(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
    if (header.code == NM_CLICK) {
        folders_.Tap(row);
    } else {
        folders_.DoubleTap(row);
        FillList();
    }
    ShowPathAndRefusal();
}

int FolderBrowser::RowOf(int item) const {
    if (item < 0) return -1;
    LVITEMW entry = {};
    entry.mask = LVIF_PARAM;
    entry.iItem = item;
    if (!SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&entry))) return -1;
    return static_cast<int>(entry.lParam);
}

void FolderBrowser::FillList() {
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    for (int row = 0; row < folders_.RowCount(); ++row) {
        LVITEMW entry = {};
        entry.mask = LVIF_TEXT | LVIF_PARAM;
        entry.iItem = row;
        entry.pszText = const_cast<wchar_t*>(folders_.RowName(row).c_str());
        entry.lParam = row;
        const int item = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry)));
        if (item < 0) continue;
        LVITEMW type = {};
        type.iSubItem = 1;
        type.pszText = const_cast<wchar_t*>(folders_.RowType(row));
        SendMessageW(list_, LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&type));
    }
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void FolderBrowser::ShowPathAndRefusal() {
    SetDlgItemTextW(dialog_, IDC_PATH_BOX, folders_.PathBox());
    if (!folders_.Refusal().empty()) {
        MessageBoxW(dialog_, folders_.Refusal().c_str(), kCaption, MB_OK | MB_ICONWARNING);
    }
}
