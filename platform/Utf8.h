#pragma once

// Wide text (one code point per wchar_t) to and from UTF-8, independent of the locale.

// Appends one character as UTF-8 at out + *used, keeping room for a terminator;
// false when it does not fit. Characters beyond Unicode become '?'.
bool AppendUtf8(wchar_t wide, char* out, int outBytes, int* used);
// The whole text, NUL-terminated; false when it was cut to fit.
bool WideToUtf8(const wchar_t* text, char* out, int outBytes);
// Decodes UTF-8; a malformed byte becomes U+FFFD. False when it was cut to fit.
bool Utf8ToWide(const char* text, wchar_t* out, int outChars);
