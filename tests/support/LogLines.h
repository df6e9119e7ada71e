#pragma once
#include <string>
#include <vector>

// The log box's text as its lines, each with its CR LF.
inline std::vector<std::wstring> LogLines(const std::wstring& log) {
    std::vector<std::wstring> lines;
    for (size_t start = 0; start < log.size();) {
        const size_t end = log.find(L"\r\n", start);
        const size_t next = end == std::wstring::npos ? log.size() : end + 2;
        lines.push_back(log.substr(start, next - start));
        start = next;
    }
    return lines;
}

// Only the numbered messages, "(n) ...", of the log, as one text.
inline std::wstring NumberedMessages(const std::wstring& log) {
    std::wstring numbered;
    for (const std::wstring& line : LogLines(log)) {
        if (!line.empty() && line[0] == L'(') numbered += line;
    }
    return numbered;
}
