#include "win32/NmeaFileChooser.h"

#include <cderr.h>
#include <commdlg.h>
#include <cwchar>
#include <initializer_list>
#include <string>

#include "shell/resources/Resources.h"

namespace {

// The filter pairs, each NUL-terminated, closed by a second NUL.
std::wstring Filter() {
    std::wstring filter;
    for (const wchar_t* part : {kNmeaFilterName, kNmeaFilterPattern, kAllFilterName, kAllFilterPattern}) {
        filter += part;
        filter += L'\0';
    }
    filter += L'\0';
    return filter;
}

}  // namespace

bool ChooseNmeaFile(HWND owner, wchar_t* path, int chars) {
    const std::wstring filter = Filter();
    path[0] = L'\0';
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = static_cast<DWORD>(chars);
    dialog.Flags = OFN_PATHMUSTEXIST;
    if (GetOpenFileNameW(&dialog)) return true;
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
        wchar_t message[256];
        swprintf(message, sizeof message / sizeof message[0],
                 L"The path of that file is longer than %d characters, which is all Kestrave can replay from. "
                 L"Copy the file to a folder with a shorter path (for example C:\\nmea) and choose it there.",
                 chars - 1);
        MessageBoxW(owner, message, L"Read NMEA file", MB_OK | MB_ICONWARNING);
    }
    return false;
}
