#pragma once
#include <string>

// Whole strings between UTF-8 and wide text, for the program's edges (the command line,
// the console, the dialogs), where a text is as long as it is. A malformed byte becomes
// U+FFFD.
std::string ToUtf8(const std::wstring& text);
std::wstring ToWide(const std::string& text);
