#include "platform/win32/Win32ErrorText.h"

#include <windows.h>

#include <cwchar>

void SystemErrorText(uint32_t error, wchar_t* out, int outChars) {
    if (outChars <= 0) return;
    // Into the caller's buffer: no FORMAT_MESSAGE_ALLOCATE_BUFFER, no heap.
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, out,
                                  static_cast<DWORD>(outChars), nullptr);
    while (length > 0 && (out[length - 1] == L'\r' || out[length - 1] == L'\n' || out[length - 1] == L' ' ||
                          out[length - 1] == L'.')) {
        --length;
    }
    if (length == 0) {
        swprintf(out, static_cast<size_t>(outChars), L"error %lu", static_cast<unsigned long>(error));
        return;
    }
    out[length] = L'\0';
}
