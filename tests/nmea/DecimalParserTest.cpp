// The decimal shortcut must give strtod's double bit for bit, -0.0 included.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "nmea/DecimalParser.h"
#include "nmea/FieldReader.h"
#include "tests/support/ExactnessSamples.h"

namespace {

uint64_t Bits(double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

::testing::AssertionResult SameAsStrtod(const std::string& text) {
    const double expected = std::strtod(text.c_str(), nullptr);
    const char* rest = nullptr;
    const double actual = nmea::ParseDecimal(text.c_str(), rest);
    // What is stepped over must be number characters only, so that a search for the
    // field's end from rest finds what a search from the start finds.
    const size_t skipped = static_cast<size_t>(rest - text.c_str());
    if (skipped > text.size() || text.find_first_not_of("+-.0123456789") < skipped) {
        return ::testing::AssertionFailure() << '"' << text << "\": rest is " << skipped << " characters on";
    }
    if (Bits(actual) == Bits(expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << '"' << text << "\": " << actual << " (bits " << std::hex
                                         << Bits(actual) << "), strtod " << expected << " (bits " << Bits(expected)
                                         << ")";
}

TEST(DecimalParser, EdgeTextsReadAsStrtodReadsThem) {
    const char* const kTexts[] = {
        "", ",", "*", "0", "-0", "+0", "-0.0", "0.", ".5", "-.5", ".", "-", "+", "-,", "+.", "--1", "+-1",
        "1e5", "1E-2", "2e", "1e+", "0x1p3", "0X10", "0x", "nan", "NaN", "inf", "-inf", "infinity", " 12.5",
        "\t3", "\n4", "12.5abc", "1.2.3", "4807.038", "01131.000", "022.4", "084.4", "545.4,M", "0.9*",
        "9007199254740992", "9007199254740993", "9007199254740992.5", "900719925474099.3",
        "1234567890123456789", "12345678901234567890", "99999999999999999999.5", "0.0000000000000000000001",
        "0.00000000000000000000001", "1.0000000000000000000001", "00000000000000000000001.5",
        "0000000000000000000", "0.0000000000000000000000000", "-0.000000000000000000000000001",
        "1.7976931348623157e308", "1e400", "1e-400", "123456789012345678", "0.1", "0.2", "0.3",
        "3.14159265358979", "2.718281828459045", "-99999.99", "59.999999", "4294967295.5",
    };
    for (const char* text : kTexts) EXPECT_TRUE(SameAsStrtod(text));
}

// Random decimals of the shapes that receivers send and of many others: up to 12 whole
// digits, up to 24 decimals (beyond the shortcut's 22), leading zeros, signs, any end.
TEST(DecimalParser, ExactnessOnRandomDecimals) {
    std::mt19937_64 random(20240611);
    const char kEnds[] = {',', '*', '\0', 'N', 'e', '.', ' '};
    const long samples = ExactnessSamples(300000);
    std::string text;
    for (long i = 0; i < samples; ++i) {
        text.clear();
        const unsigned shape = static_cast<unsigned>(random() % 8);
        if (shape == 0) text += '-';
        if (shape == 1) text += '+';
        const int whole = static_cast<int>(random() % 13);
        const int decimals = static_cast<int>(random() % 25);
        if (random() % 4 == 0) text.append(static_cast<size_t>(random() % 4), '0');
        for (int d = 0; d < whole; ++d) text += static_cast<char>('0' + random() % 10);
        if (decimals > 0 || random() % 8 == 0) text += '.';
        for (int d = 0; d < decimals; ++d) text += static_cast<char>('0' + random() % 10);
        const char end = kEnds[random() % sizeof kEnds];
        if (end != '\0') text += end;
        if (end == 'e') text += std::to_string(random() % 30);
        ASSERT_TRUE(SameAsStrtod(text)) << "sample " << i;
    }
}

// Doubles printed with a few to many digits: near-halfway texts that a sloppy
// conversion rounds the wrong way.
TEST(DecimalParser, ExactnessOnPrintedDoubles) {
    std::mt19937_64 random(7);
    const long samples = ExactnessSamples(300000);
    char text[64];
    for (long i = 0; i < samples; ++i) {
        const double magnitude = std::ldexp(static_cast<double>(random() >> 11), -static_cast<int>(random() % 80));
        snprintf(text, sizeof text, "%.*f", static_cast<int>(random() % 23), magnitude);
        ASSERT_TRUE(SameAsStrtod(text)) << "sample " << i;
    }
}

// The integer shortcut keeps strtol's value, saturated to 32 bits.
TEST(FieldReader, ExactnessOfIntegersAsStrtolClamped) {
    std::mt19937_64 random(3);
    const char* const kTexts[] = {"", ",", "*", "-", "+", "0", "-0", "08", "999999999", "1000000000",
                                  "2147483647", "2147483648", "-2147483648", "-2147483649", " 5", "5x",
                                  "0012345678901", "-000000001"};
    auto expected = [](const char* text) {
        const long value = std::strtol(text, nullptr, 10);
        return value > INT32_MAX ? INT32_MAX : (value < INT32_MIN ? INT32_MIN : static_cast<int32_t>(value));
    };
    for (const char* text : kTexts) EXPECT_EQ(nmea::ReadInt(text), expected(text)) << '"' << text << '"';
    std::string text;
    for (long i = 0; i < ExactnessSamples(100000); ++i) {
        text.clear();
        if (random() % 3 == 0) text += random() % 2 ? '-' : '+';
        for (int d = static_cast<int>(random() % 13); d > 0; --d) text += static_cast<char>('0' + random() % 10);
        text += ",*"[random() % 2];
        ASSERT_EQ(nmea::ReadInt(text.c_str()), expected(text.c_str())) << '"' << text << '"';
    }
}

}  // namespace
