#pragma once

// Wide text to and from UTF-8, independent of the locale.

#include <cstdint>

// Appends one code point as UTF-8 at out + *used, keeping room for a terminator;
// false when it does not fit. Code points beyond Unicode become '?'.
bool AppendUtf8(uint32_t codePoint, char* out, int outBytes, int* used);
// The whole text, NUL-terminated; false when it was cut to fit.
bool WideToUtf8(const wchar_t* text, char* out, int outBytes);
// Decodes UTF-8; a malformed byte becomes U+FFFD. False when it was cut to fit.
bool Utf8ToWide(const char* text, wchar_t* out, int outChars);
