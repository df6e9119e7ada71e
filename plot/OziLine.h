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

// The lines of an open file, one at a time, in bounded memory: as SplitLines cuts them,
// and a line past kMaxLineBytes is cut there, read as one without its line end.
class FileLines {
public:
    static constexpr size_t kMaxLineBytes = 4096;

    explicit FileLines(int fd) : fd_(fd) {}
    // The next line; false at the end of the file, or on a read error, which Error() tells.
    // *ended is false for a last line without its line end (a file cut short).
    bool Next(std::string* line, bool* ended);
    int Error() const { return error_; }

private:
    bool Fill();

    int fd_;
    char chunk_[65536];
    size_t at_ = 0;
    size_t size_ = 0;
    bool end_ = false;
    int error_ = 0;
};

// Hands readLine(line, ended) each line after the header but the blank ones, as
// next(&line, &ended) gives them; the lines it returns false for are counted in *skipped.
template <typename NextLine, typename ReadLine>
void ReadBodyLines(NextLine next, size_t headerLines, SkippedLines* skipped, ReadLine readLine) {
    std::string line;
    bool ended = false;
    for (int number = 1; next(&line, &ended); ++number) {
        if (static_cast<size_t>(number) <= headerLines || line.empty() || readLine(line, ended)) continue;
        if (skipped->count++ == 0) skipped->first = number;
    }
}

// ReadBodyLines over a whole file's text.
template <typename ReadLine>
void ReadBody(const std::string& text, size_t headerLines, SkippedLines* skipped, ReadLine readLine) {
    const std::vector<std::string> lines = SplitLines(text);
    const bool lastEnded = !text.empty() && (text.back() == '\n' || text.back() == '\r');
    size_t i = 0;
    ReadBodyLines(
        [&](std::string* line, bool* ended) {
            if (i == lines.size()) return false;
            *line = lines[i++];
            *ended = i < lines.size() || lastEnded;
            return true;
        },
        headerLines, skipped, readLine);
}
