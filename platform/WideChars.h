#pragma once
#include <cstdint>

// Code points in wide text, whatever the width of wchar_t: one unit each where it is
// 32 bits (Linux), a surrogate pair beyond U+FFFF where it is 16 bits (Windows).

// The code point at *text, moving past it; a lone surrogate comes as itself.
inline uint32_t NextWideCodePoint(const wchar_t** text) {
    // wchar_t may be signed: the cast keeps negative values out of range.
    const uint32_t unit = static_cast<uint32_t>(**text);
    ++*text;
    if (sizeof(wchar_t) == 2 && unit >= 0xD800 && unit < 0xDC00) {
        const uint32_t low = static_cast<uint32_t>(**text) & 0xFFFF;
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++*text;
            return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    return sizeof(wchar_t) == 2 ? unit & 0xFFFF : unit;
}

// Writes one code point at out + *used, keeping room for a terminator; false when it
// does not fit.
inline bool PutWideCodePoint(uint32_t codePoint, wchar_t* out, int outChars, int* used) {
    if (sizeof(wchar_t) == 2 && codePoint >= 0x10000) {
        if (*used + 2 >= outChars) return false;
        const uint32_t offset = codePoint - 0x10000;
        out[(*used)++] = static_cast<wchar_t>(0xD800 | (offset >> 10));
        out[(*used)++] = static_cast<wchar_t>(0xDC00 | (offset & 0x3FF));
        return true;
    }
    if (*used + 1 >= outChars) return false;
    out[(*used)++] = static_cast<wchar_t>(codePoint);
    return true;
}
