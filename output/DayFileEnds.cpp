#include "output/DayFileEnds.h"

#include "format/BoundedText.h"

namespace {

constexpr int kDecimals = 8;

// "39897.51233796", blanks before it allowed: exactly eight decimals, as written.
int64_t ParseStamp(const char* at, const char* end) {
    while (at < end && *at == ' ') ++at;
    int64_t days = 0;
    const char* digits = at;
    while (at < end && *at >= '0' && *at <= '9' && at - digits < 9) days = days * 10 + (*at++ - '0');
    if (at == digits || at == end || *at != '.') return DayFileEnds::kNone;
    ++at;
    int64_t fraction = 0;
    for (int i = 0; i < kDecimals; ++i, ++at) {
        if (at == end || *at < '0' || *at > '9') return DayFileEnds::kNone;
        fraction = fraction * 10 + (*at - '0');
    }
    if (at != end && *at != ',' && *at != ' ') return DayFileEnds::kNone;
    return days * 100000000 + fraction;
}

}  // namespace

int64_t DayFileEnds::KeyOf(double stamp) {
    char text[40];
    BoundedText line(text, sizeof text);
    line.Fixed(stamp, kDecimals);
    return line.Fits() ? ParseStamp(text, text + line.Length()) : kNone;
}

int64_t DayFileEnds::LastLineStamp(const char* text, size_t length, int field, bool fromFileStart) {
    // A cut last line never reached the file whole: the line before it counts.
    size_t end = length;
    while (end > 0 && text[end - 1] != '\n') --end;
    if (end == 0) return kNone;
    size_t start = end - 1;
    while (start > 0 && text[start - 1] != '\n') --start;
    if (start == 0 && !fromFileStart) return kNone;
    return LineStamp(text + start, end - start, field);
}

int64_t DayFileEnds::LineStamp(const char* line, size_t length, int field) {
    const char* at = line;
    const char* lineEnd = line + length;
    for (int commas = 0; commas < field; ++at) {
        if (at == lineEnd) return kNone;
        if (*at == ',') ++commas;
    }
    const char* fieldEnd = at;
    while (fieldEnd < lineEnd && *fieldEnd != ',' && *fieldEnd != '\r' && *fieldEnd != '\n') ++fieldEnd;
    return ParseStamp(at, fieldEnd);
}

bool DayFileEnds::Find(int32_t dateKey, int64_t* stamp) const {
    for (int i = 0; i < count_; ++i) {
        if (entries_[i].dateKey == dateKey) {
            *stamp = entries_[i].stamp;
            return true;
        }
    }
    return false;
}

void DayFileEnds::Remember(int32_t dateKey, int64_t stamp) {
    if (count_ < kDays) {
        entries_[count_++] = {dateKey, stamp};
        return;
    }
    entries_[next_] = {dateKey, stamp};
    next_ = (next_ + 1) % kDays;
}
