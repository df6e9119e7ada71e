#include "plot/OziLine.h"

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
