#include "nmea/FieldReader.h"

#include <climits>
#include <cstdlib>

#include "nmea/DecimalParser.h"

namespace nmea {

namespace {
// The double nearest 1/60; a multiplication, not a division, decides the last decimal.
constexpr double kOneSixtieth = 0.016666666666666666;
// Decimal digits that always fit an int32_t.
constexpr int kMaxSafeDigits = 9;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

bool IsScanfSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char* SkipBytes(const char* p, int count) {
    for (; count > 0 && *p != '\0'; --count) {
        ++p;
    }
    return p;
}

const char* FindComma(const char* p) {
    for (;; ++p) {
        if (*p == ',') {
            return p;
        }
        const unsigned char byte = static_cast<unsigned char>(*p);
        if (byte < 32 || byte >= 128) {
            return nullptr;
        }
    }
}

int ReadWidthInt(const char* p, int width) {
    if (width == 2 && IsDigit(p[0]) && IsDigit(p[1])) return (p[0] - '0') * 10 + (p[1] - '0');  // the usual field
    // Hand-rolled for replay throughput, with sscanf's result.
    // Leading whitespace does not count towards the width; the sign does.
    while (IsScanfSpace(*p)) {
        ++p;
    }
    bool negative = false;
    int used = 0;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
        ++used;
    }
    int value = 0;
    bool anyDigit = false;
    for (; used < width && IsDigit(*p); ++used, ++p) {
        value = value * 10 + (*p - '0');
        anyDigit = true;
    }
    if (!anyDigit) {
        return 0;
    }
    return negative ? -value : value;
}

double ReadDouble(const char* p, const char*& rest) {
    // strtod's value (atof with defined results on overflow), mostly without calling it.
    return ParseDecimal(p, rest);
}

int32_t ReadInt(const char* p) {
    // Up to nine digits cannot leave the range: the common case needs no strtol.
    const char* digit = *p == '-' || *p == '+' ? p + 1 : p;
    int32_t magnitude = 0;
    int count = 0;
    for (; count < kMaxSafeDigits && IsDigit(*digit); ++count, ++digit) {
        magnitude = magnitude * 10 + (*digit - '0');
    }
    if (count > 0 && !IsDigit(*digit)) return *p == '-' ? -magnitude : magnitude;
    if (*p == ',' || *p == '*' || *p == '\0') return 0;
    const long value = std::strtol(p, nullptr, 10);
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

double ReadDegrees(const char* field, int degreeDigits, const char*& rest) {
    const int degrees = ReadWidthInt(field, degreeDigits);
    return ReadDouble(SkipBytes(field, degreeDigits), rest) * kOneSixtieth + static_cast<double>(degrees);
}

// The digits behind the seconds' point, up to nine, exactly as sent: ".25" is 250000000.
uint32_t ReadFractionNanos(const char* point) {
    if (*point != '.') return 0;
    uint32_t nanos = 0;
    uint32_t scale = 100000000;
    for (const char* digit = point + 1; IsDigit(*digit) && scale > 0; ++digit, scale /= 10) {
        nanos += static_cast<uint32_t>(*digit - '0') * scale;
    }
    return nanos;
}

const char* ReadUtcTime(const char* sentence, GpsFix& fix, double& timeOfDay) {
    const char* hourField = SkipBytes(sentence, 7);
    const char* minuteField = SkipBytes(hourField, 2);
    const char* secondsField = SkipBytes(minuteField, 2);
    const int hour = ReadWidthInt(hourField, 2);
    const int minute = ReadWidthInt(minuteField, 2);
    fix.hour = static_cast<uint8_t>(hour);
    fix.minute = static_cast<uint8_t>(minute);
    const char* rest = secondsField;
    fix.seconds = ReadDouble(secondsField, rest);
    fix.fractionNanos = ReadFractionNanos(SkipBytes(secondsField, 2));
    // A signed "-1" becomes 4294967295 here: garbage in, but never undefined.
    timeOfDay = static_cast<double>(static_cast<uint32_t>(minute)) * 60.0 +
                static_cast<double>(static_cast<uint32_t>(hour)) * 3600.0;
    timeOfDay = timeOfDay + fix.seconds;
    return rest;
}

}  // namespace nmea
