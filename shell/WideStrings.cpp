#include "shell/WideStrings.h"

#include <cstring>
#include <cwchar>

#include "platform/Utf8.h"

std::string ToUtf8(const std::wstring& text) {
    std::string out(text.size() * 4 + 1, '\0');
    WideToUtf8(text.c_str(), &out[0], static_cast<int>(out.size()));
    out.resize(strlen(out.c_str()));
    return out;
}

std::wstring ToWide(const std::string& text) {
    std::wstring out(text.size() + 1, L'\0');
    Utf8ToWide(text.c_str(), &out[0], static_cast<int>(out.size()));
    out.resize(wcslen(out.c_str()));
    return out;
}
