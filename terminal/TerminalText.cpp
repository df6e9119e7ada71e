#include "terminal/TerminalText.h"

#include <cwchar>
#include <cwctype>

wchar_t ShownCharacter(wchar_t c) {
    if (c == L'\t') return L' ';
    return std::iswprint(static_cast<wint_t>(c)) && wcwidth(c) >= 0 ? c : L'?';
}

int CellWidth(wchar_t c) {
    int width = wcwidth(ShownCharacter(c));
    return width < 0 ? 1 : width;
}

int CellWidth(const std::wstring& text) {
    int width = 0;
    for (wchar_t c : text) width += CellWidth(c);
    return width;
}

std::wstring FitText(const std::wstring& text, int width) {
    std::wstring shown;
    int used = 0;
    for (wchar_t c : text) {
        int cells = CellWidth(c);
        if (used + cells > width) break;
        shown += ShownCharacter(c);
        used += cells;
    }
    return shown;
}

std::wstring FitTail(const std::wstring& text, int width) {
    size_t start = text.size();
    int used = 0;
    while (start > 0 && used + CellWidth(text[start - 1]) <= width) used += CellWidth(text[--start]);
    return FitText(text.substr(start), width);
}

std::vector<std::wstring> WrapText(const wchar_t* text, size_t length, int width) {
    std::vector<std::wstring> lines;
    if (width < 1) width = 1;
    std::wstring line;
    int used = 0;
    for (size_t i = 0; i < length; ++i) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < length && text[i + 1] == L'\n') ++i;
            lines.push_back(line);
            line.clear();
            used = 0;
            continue;
        }
        int cells = CellWidth(c);
        if (used + cells > width) {
            // Break after the last blank when there is one, else in the middle of the word.
            size_t blank = line.find_last_of(L' ');
            std::wstring rest;
            if (blank != std::wstring::npos && blank + 1 < line.size()) {
                rest = line.substr(blank + 1);
                line.erase(blank + 1);
            }
            lines.push_back(line);
            line = rest;
            used = CellWidth(line);
        }
        line += ShownCharacter(c);
        used += cells;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}
