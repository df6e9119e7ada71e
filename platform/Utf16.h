#pragma once
#include <cstdint>

// Wide text to and from the registry's UTF-16LE bytes.
// Code points that cannot be UTF-16 (lone surrogates, beyond U+10FFFF) become U+FFFD.

// Appends one code point at out + *used (2 or 4 bytes); false when it does not fit.
bool AppendUtf16Le(uint32_t codePoint, uint8_t* out, uint32_t outBytes, uint32_t* used);
// The whole text with its terminating NUL; the number of bytes, or -1 when it does not fit.
int32_t WideToUtf16Le(const wchar_t* text, uint8_t* out, uint32_t outBytes);
// The code point at data + *pos (which needs two bytes left) and moves past it; a
// surrogate pair is joined. False for a lone surrogate, given as U+FFFD.
bool NextUtf16Le(const uint8_t* data, uint32_t size, uint32_t* pos, uint32_t* codePoint);
// The text up to the first NUL or the end of the data (an odd last byte is ignored),
// NUL-terminated and cut to fit outChars.
void Utf16LeToWide(const uint8_t* data, uint32_t size, wchar_t* out, int outChars);
