#include "nmea/DecimalParser.h"

#include <cfloat>
#include <cstdint>
#include <cstdlib>

namespace nmea {

namespace {

// Every power of ten up to 10^22 is a double exactly; a number that passes the
// digit limit below has at most 19 decimals.
constexpr double kPowersOfTen[] = {
    1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19,
};
// Every integer up to here is a double exactly.
constexpr uint64_t kMaxExactInteger = uint64_t{1} << 53;
// One division is correctly rounded only where doubles are computed as doubles (not in
// a wider format rounded twice); elsewhere everything goes to strtod.
constexpr bool kExactDivision = FLT_EVAL_METHOD == 0;
// Digits that a uint64_t holds whatever they are.
constexpr int kMaxDigits = 19;
static_assert(sizeof kPowersOfTen / sizeof kPowersOfTen[0] == kMaxDigits + 1, "a power for every decimal count");

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What a field ends with when it holds no number at all; strtod reads 0 from it.
bool EndsEmptyField(char c) { return c == ',' || c == '*' || c == '\0'; }

}  // namespace

double ParseDecimal(const char* text, const char*& rest) {
    rest = text;
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
    if (mantissa > kMaxExactInteger || !kExactDivision) return std::strtod(text, nullptr);
    rest = p;
    if (mantissa == 0) return negative ? -0.0 : 0.0;

    const double magnitude = static_cast<double>(mantissa) / kPowersOfTen[decimals];
    return negative ? -magnitude : magnitude;
}

}  // namespace nmea
