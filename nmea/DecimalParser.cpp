#include "nmea/DecimalParser.h"

#include <cstdint>
#include <cstdlib>

namespace nmea {

namespace {

// Every power of ten up to here is a double exactly.
constexpr int kMaxExactPower = 22;
constexpr double kPowersOfTen[kMaxExactPower + 1] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
};
// Every integer up to here is a double exactly.
constexpr uint64_t kMaxExactInteger = uint64_t{1} << 53;
// Digits that a uint64_t holds whatever they are.
constexpr int kMaxDigits = 19;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What a field ends with when it holds no number at all; strtod reads 0 from it.
bool EndsEmptyField(char c) { return c == ',' || c == '*' || c == '\0'; }

}  // namespace

double ParseDecimal(const char* text) {
    const char* p = text;
    if (EndsEmptyField(*p)) return 0.0;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;

    // All digits go into the mantissa, leading zeros too; more than kMaxDigits of them
    // may have wrapped it, and are left to strtod.
    uint64_t mantissa = 0;
    const char* const whole = p;
    for (; IsDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
    long digits = p - whole;
    long decimals = 0;
    if (*p == '.') {
        const char* const fraction = ++p;
        for (; IsDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
        decimals = p - fraction;
        digits += decimals;
    }
    // No digits, an exponent or a hex prefix: strtod knows those rules.
    if (digits == 0 || digits > kMaxDigits || *p == 'e' || *p == 'E' || *p == 'x' || *p == 'X') {
        return std::strtod(text, nullptr);
    }
    if (mantissa == 0) return negative ? -0.0 : 0.0;
    if (mantissa > kMaxExactInteger || decimals > kMaxExactPower) return std::strtod(text, nullptr);

    const double magnitude = static_cast<double>(mantissa) / kPowersOfTen[decimals];
    return negative ? -magnitude : magnitude;
}

}  // namespace nmea
