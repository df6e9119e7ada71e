#include "nmea/Checksum.h"

#include <cstdint>
#include <cstring>

#include "nmea/FieldReader.h"

namespace {

constexpr uint32_t kAboveAnyChecksum = 256;

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Accepts what sscanf "%x" accepts (leading whitespace, a sign, a "0x" prefix, any
// number of digits) but never wraps: a value above 255, or a negative one, reads as
// kAboveAnyChecksum, so "*100000041" cannot pass for 0x41. False when no digit follows.
bool ReadChecksumValue(const char* p, uint32_t& value) {
    while (nmea::IsScanfSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigitValue(p[2]) >= 0) {
        p += 2;
    }
    if (HexDigitValue(*p) < 0) {
        return false;
    }
    value = 0;
    for (int digit = HexDigitValue(*p); digit >= 0; digit = HexDigitValue(*++p)) {
        value = value * 16 + static_cast<uint32_t>(digit);
        if (value > 255) {
            value = kAboveAnyChecksum;
        }
    }
    if (negative && value != 0) {
        value = kAboveAnyChecksum;
    }
    return true;
}

// The XOR of count bytes, eight at a time: XOR is the same whichever way the bytes
// are grouped.
uint8_t XorOfBytes(const char* p, size_t count) {
    uint64_t wide = 0;
    for (; count >= 8; count -= 8, p += 8) {
        uint64_t word = 0;
        std::memcpy(&word, p, sizeof word);
        wide ^= word;
    }
    wide ^= wide >> 32;
    wide ^= wide >> 16;
    wide ^= wide >> 8;
    uint8_t sum = static_cast<uint8_t>(wide);
    for (; count > 0; --count, ++p) sum = static_cast<uint8_t>(sum ^ static_cast<uint8_t>(*p));
    return sum;
}

}  // namespace

int VerifyChecksum(const char* sentence) {
    if (sentence[0] != '$') {
        return 1;
    }
    const char* star = std::strchr(sentence + 1, '*');
    if (star == nullptr) {
        return 2;
    }
    const uint8_t sum = XorOfBytes(sentence + 1, static_cast<size_t>(star - sentence - 1));
    const char* text = star + 1;
    uint32_t value = 0;
    if (!ReadChecksumValue(text, value)) {
        return 3;
    }
    // A zero read from anything but a "0" (" 0", "+0", "-0") does not count as a value.
    if (value == 0 && text[0] != '0') {
        return 3;
    }
    return value == sum ? 0 : 4;
}
