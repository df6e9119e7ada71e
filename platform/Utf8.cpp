#include "platform/Utf8.h"

#include <cstdint>

#include "platform/WideChars.h"

bool AppendUtf8(uint32_t c, char* out, int outBytes, int* used) {
    char bytes[4];
    int n;
    if (c < 0x80) {
        bytes[0] = static_cast<char>(c);
        n = 1;
    } else if (c < 0x800) {
        bytes[0] = static_cast<char>(0xC0 | (c >> 6));
        bytes[1] = static_cast<char>(0x80 | (c & 0x3F));
        n = 2;
    } else if (c < 0x10000) {
        bytes[0] = static_cast<char>(0xE0 | (c >> 12));
        bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | (c & 0x3F));
        n = 3;
    } else if (c < 0x110000) {
        bytes[0] = static_cast<char>(0xF0 | (c >> 18));
        bytes[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes[3] = static_cast<char>(0x80 | (c & 0x3F));
        n = 4;
    } else {
        bytes[0] = '?';
        n = 1;
    }
    if (*used + n >= outBytes) return false;
    for (int i = 0; i < n; ++i) out[*used + i] = bytes[i];
    *used += n;
    return true;
}

bool WideToUtf8(const wchar_t* text, char* out, int outBytes) {
    int used = 0;
    bool whole = true;
    while (*text != L'\0') {
        if (!AppendUtf8(NextWideCodePoint(&text), out, outBytes, &used)) {
            whole = false;
            break;
        }
    }
    if (outBytes > 0) out[used] = '\0';
    return whole;
}

bool Utf8ToWide(const char* text, wchar_t* out, int outChars) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    int used = 0;
    while (*p != 0) {
        if (used + 1 >= outChars) {
            if (outChars > 0) out[used] = L'\0';
            return false;
        }
        uint32_t c = *p++;
        int more = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (c >= 0x80 && more == 0) {
            c = 0xFFFD;  // a stray continuation byte or an invalid lead byte
        } else if (more > 0) {
            c &= 0x3Fu >> more;
            for (; more > 0; --more) {
                if ((*p & 0xC0) != 0x80) {
                    c = 0xFFFD;
                    break;
                }
                c = (c << 6) | (*p++ & 0x3F);
            }
        }
        if (!PutWideCodePoint(c, out, outChars, &used)) {
            out[used] = L'\0';
            return false;
        }
    }
    if (outChars > 0) out[used] = L'\0';
    return true;
}
