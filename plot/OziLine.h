#pragma once
#include <string>
#include <vector>

// The text of the OziExplorer files, read back: lines of comma-separated fields.

// The lines of a file's text, without their CR LF (or LF); a last line without its
// line end (a file cut short) is kept, for its reader to judge.
std::vector<std::string> SplitLines(const std::string& text);

// The fields between the commas of one line, as they are (blanks kept).
std::vector<std::string> SplitFields(const std::string& line);

// A decimal field such as " 55.75000000" or "-79.2083": blanks around it allowed, nothing
// else. False for an empty field, an exponent, "nan", or any stray character.
bool ReadDecimalField(const std::string& field, double* value);

// The field without the blanks around it.
std::string TrimBlanks(const std::string& field);

// True when the text begins with start.
bool StartsWith(const std::string& text, const char* start);

// The lines of a file's body that could not be read whole, which are skipped, never
// guessed at.
struct SkippedLines {
    int count = 0;
    int first = 0;  // its number in the file, counting from 1; 0 when none
};

// Hands readLine each line after the header but the blank ones; the lines it returns
// false for are counted in *skipped.
template <typename ReadLine>
void ReadBody(const std::string& text, size_t headerLines, SkippedLines* skipped, ReadLine readLine) {
    const std::vector<std::string> lines = SplitLines(text);
    for (size_t i = headerLines; i < lines.size(); ++i) {
        if (lines[i].empty() || readLine(lines[i])) continue;
        if (skipped->count++ == 0) skipped->first = static_cast<int>(i + 1);
    }
}
