#include "format/FixedFormat.h"

#include <cstring>

const char kDigitPairs[201] =
    "0001020304050607080910111213141516171819"
    "2021222324252627282930313233343536373839"
    "4041424344454647484950515253545556575859"
    "6061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

namespace {

constexpr int kMaxDecimals = 9;
// The largest number of units of the last decimal that is printed here.
constexpr uint64_t kMaxUnits = 9999999999999999999ull;

constexpr int kMantissaBits = 52;
constexpr int kExponentMask = 0x7FF;
constexpr int kExponentBias = 1075;  // bias plus the mantissa bits: value = m * 2^(e - 1075)
// Shifts up to here keep m (53 bits) times 10^9 (30 bits) inside 128 bits.
constexpr int kMaxLeftShift = 44;

// 128-bit unsigned arithmetic from two 64-bit halves: 32-bit processors, the
// handheld's among them, have no 128-bit integer type.
struct Wide {
    uint64_t high;
    uint64_t low;
};

// m * p for p below 2^32.
Wide Multiply(uint64_t m, uint64_t p) {
    const uint64_t lowPart = (m & 0xFFFFFFFFu) * p;
    const uint64_t highPart = (m >> 32) * p;
    const uint64_t low = lowPart + (highPart << 32);
    return {(highPart >> 32) + (low < lowPart ? 1u : 0u), low};
}

Wide ShiftLeft(Wide v, int n) {
    if (n == 0) return v;
    if (n >= 64) return {v.low << (n - 64), 0};
    return {(v.high << n) | (v.low >> (64 - n)), v.low << n};
}

Wide ShiftRight(Wide v, int n) {
    if (n == 0) return v;
    if (n >= 64) return {0, v.high >> (n - 64)};
    return {v.high >> n, (v.low >> n) | (v.high << (64 - n))};
}

bool Less(Wide a, Wide b) { return a.high < b.high || (a.high == b.high && a.low < b.low); }

Wide Subtract(Wide a, Wide b) { return {a.high - b.high - (a.low < b.low ? 1u : 0u), a.low - b.low}; }

constexpr uint64_t PowerOfTen(int exponent) { return exponent == 0 ? 1 : 10 * PowerOfTen(exponent - 1); }

// Decimal digits of value.
int CountDigits(uint64_t value) {
    int count = 1;
    for (; value >= 100; value /= 100) count += 2;
    return value >= 10 ? count + 1 : count;
}

// Writes exactly count digits of value (the lowest ones, zero-padded) and returns count.
int WriteDigits(char* out, uint64_t value, int count) {
    char* p = out + count;
    while (p - out >= 2) {
        const char* pair = kDigitPairs + 2 * (value % 100);
        value /= 100;
        *--p = pair[1];
        *--p = pair[0];
    }
    if (p != out) *--p = static_cast<char>('0' + value % 10);
    return count;
}

// |value| * scale rounded to a whole number, half to even on the exact binary value, as
// glibc rounds in the default rounding mode. False when value is not finite or the
// result is above kMaxUnits.
bool ScaledUnits(uint64_t bits, uint64_t scale, uint64_t& units) {
    const int biased = static_cast<int>(bits >> kMantissaBits) & kExponentMask;
    uint64_t mantissa = bits & ((uint64_t{1} << kMantissaBits) - 1);
    if (biased == kExponentMask) return false;  // infinite or NaN
    int exponent = 1 - kExponentBias;          // subnormal
    if (biased != 0) {
        mantissa |= uint64_t{1} << kMantissaBits;
        exponent = biased - kExponentBias;
    }
    const Wide scaled = Multiply(mantissa, scale);
    Wide whole = {0, 0};
    if (exponent >= 0) {
        if (exponent > kMaxLeftShift) return false;
        whole = ShiftLeft(scaled, exponent);
    } else if (exponent > -128) {
        const int shift = -exponent;
        whole = ShiftRight(scaled, shift);
        const Wide remainder = Subtract(scaled, ShiftLeft(whole, shift));
        const Wide half = ShiftLeft(Wide{0, 1}, shift - 1);
        if (Less(half, remainder) || (!Less(remainder, half) && (whole.low & 1) != 0)) {
            whole.low += 1;
            if (whole.low == 0) whole.high += 1;
        }
    }
    // From a shift of 128 on, scaled (below 2^83) is under half a unit: it rounds to 0.
    if (whole.high != 0 || whole.low > kMaxUnits) return false;
    units = whole.low;
    return true;
}

// One instance per number of decimals, so that the scale is a constant to divide by.
template <int kDecimals>
int FormatFixedWith(char* out, double value) {
    constexpr uint64_t kScale = PowerOfTen(kDecimals);
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    uint64_t units = 0;
    if (!ScaledUnits(bits, kScale, units)) return -1;
    int length = 0;
    if ((bits >> 63) != 0) out[length++] = '-';  // printf shows the sign of -0.0 too
    const uint64_t whole = units / kScale;
    length += WriteDigits(out + length, whole, CountDigits(whole));
    if (kDecimals > 0) {
        out[length++] = '.';
        length += WriteDigits(out + length, units % kScale, kDecimals);
    }
    out[length] = '\0';
    return length;
}

using FixedFormatter = int (*)(char*, double);
constexpr FixedFormatter kFixedFormatters[kMaxDecimals + 1] = {
    FormatFixedWith<0>, FormatFixedWith<1>, FormatFixedWith<2>, FormatFixedWith<3>, FormatFixedWith<4>,
    FormatFixedWith<5>, FormatFixedWith<6>, FormatFixedWith<7>, FormatFixedWith<8>, FormatFixedWith<9>,
};

}  // namespace

int FormatInteger(char* out, int32_t value, int width, bool zeroPad) {
    const bool negative = value < 0;
    const uint64_t magnitude = static_cast<uint64_t>(negative ? -int64_t{value} : int64_t{value});
    const int sign = negative ? 1 : 0;
    const int natural = CountDigits(magnitude);
    const int digits = zeroPad && width - sign > natural ? width - sign : natural;
    int length = 0;
    for (int pad = width - sign - digits; pad > 0; --pad) out[length++] = ' ';
    if (negative) out[length++] = '-';
    length += WriteDigits(out + length, magnitude, digits);
    out[length] = '\0';
    return length;
}

int FormatFixed(char* out, double value, int decimals) {
    if (decimals < 0 || decimals > kMaxDecimals) return -1;
    return kFixedFormatters[decimals](out, value);
}
