#include "plot/OziLine.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "nmea/DecimalParser.h"

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    // CR LF, LF or a CR alone ends a line, as a replay reads them: a file that went
    // through an old Mac tool keeps its lines.
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        const bool ended = end != std::string::npos;
        lines.push_back(text.substr(start, (ended ? end : text.size()) - start));
        start = !ended ? text.size() : text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
    }
    return lines;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        if (comma == std::string::npos) break;
        fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

std::string TrimBlanks(const std::string& field) {
    const size_t first = field.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return field.substr(first, field.find_last_not_of(' ') - first + 1);
}

bool StartsWith(const std::string& text, const char* start) { return text.compare(0, strlen(start), start) == 0; }

bool ReadDecimalField(const std::string& field, double* value) {
    const std::string number = TrimBlanks(field);
    size_t i = number.empty() || (number[0] != '-' && number[0] != '+') ? 0 : 1;
    size_t digits = 0;
    bool point = false;
    for (; i < number.size(); ++i) {
        if (number[i] >= '0' && number[i] <= '9') {
            ++digits;
        } else if (number[i] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    // Only signs, digits and one point are left, which the parser reads whole.
    const char* rest = nullptr;
    *value = nmea::ParseDecimal(number.c_str(), rest);
    return true;
}

bool FileLines::Fill() {
    at_ = 0;
    size_ = 0;
    while (!end_) {
        const ssize_t got = read(fd_, chunk_, sizeof chunk_);
        if (got > 0) {
            size_ = static_cast<size_t>(got);
            return true;
        }
        if (got == 0 || errno != EINTR) {
            if (got < 0) error_ = errno;
            end_ = true;
        }
    }
    return false;
}

bool FileLines::Next(std::string* line, bool* ended) {
    line->clear();
    *ended = false;
    bool any = false;
    for (;;) {
        if (at_ == size_ && !Fill()) return any;
        any = true;
        const char c = chunk_[at_++];
        if (c == '\r') {
            // The LF of a CR LF may be the next chunk's first byte.
            if (at_ < size_ || Fill()) {
                if (chunk_[at_] == '\n') ++at_;
            }
            *ended = true;
            return true;
        }
        if (c == '\n') {
            *ended = true;
            return true;
        }
        if (line->size() == kMaxLineBytes) {
            // The rest of an overlong line is passed over to its end.
            while ((at_ < size_ || Fill()) && chunk_[at_] != '\r' && chunk_[at_] != '\n') ++at_;
            return true;
        }
        line->push_back(c);
    }
}
