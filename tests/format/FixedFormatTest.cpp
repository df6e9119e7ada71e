// The exact number formatting must print what printf prints, character for character:
// "%.<n>f" through glibc's exact decimal expansion, rounded half to even, and "%d".
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "format/BoundedText.h"
#include "format/FixedFormat.h"
#include "tests/support/ExactnessSamples.h"

namespace {

// Through BoundedText, so that the values beyond the shortcut are checked as well.
::testing::AssertionResult PrintsAsPrintf(double value, int decimals, int width = 0) {
    char expected[400];
    snprintf(expected, sizeof expected, "%*.*f", width, decimals, value);
    char actual[400];
    BoundedText text(actual, sizeof actual);
    text.Fixed(value, decimals, width);
    if (text.Length() == std::strlen(expected) && std::strcmp(actual, expected) == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "%" << width << "." << decimals << "f of " << std::hexfloat << value
                                         << ": \"" << actual << "\", printf \"" << expected << '"';
}

TEST(FixedFormat, EdgeValues) {
    const double kValues[] = {
        0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.25, 0.125, 0.375, 1e-300, -1e-300, 4.9e-324, 0.05, 0.15, 0.35,
        0.45, 1.005, 2.675, 52.516230, 13.377703, -33.85678, 151.2153, 57.04999999999999, 57.05,
        39897.51233796, 46036.90633102, -99999.99, -90000.0, 1e15, 1e16, 1e17, 9.999999999e9, 1e10,
        99999999999.995, 1e18, 9.2e18, 1e19, 1e20, 1.8446744073709552e19, 1e300, -1e300,
        std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
        -std::numeric_limits<double>::quiet_NaN(), std::ldexp(1.0, 63), std::ldexp(1.0, 64), std::ldexp(1.0, 97),
    };
    for (const double value : kValues) {
        for (int decimals = 0; decimals <= 9; ++decimals) EXPECT_TRUE(PrintsAsPrintf(value, decimals));
        EXPECT_TRUE(PrintsAsPrintf(value, 1, 5));
        EXPECT_TRUE(PrintsAsPrintf(value, 8, 20));
    }
}

// Exact halves at each decimal (m / 2^k with few bits): the rounding rule shows here.
TEST(FixedFormat, ExactTiesRoundHalfToEven) {
    for (int k = 1; k <= 12; ++k) {
        for (int m = -3000; m <= 3000; ++m) {
            const double value = std::ldexp(static_cast<double>(m), -k);
            for (int decimals = 0; decimals <= 9; ++decimals) ASSERT_TRUE(PrintsAsPrintf(value, decimals));
        }
    }
}

// Doubles with every exponent (raw random bits) and doubles in the recorder's ranges.
TEST(FixedFormat, ExactnessOnRandomDoubles) {
    std::mt19937_64 random(11);
    const long samples = ExactnessSamples(200000);
    const double kScales[] = {1.0, 90.0, 180.0, 9000.0, 100000.0, 60000.0, 1e10, 1e12};
    for (long i = 0; i < samples; ++i) {
        const uint64_t bits = random();
        double value = 0.0;
        if (i % 3 == 0) {
            std::memcpy(&value, &bits, sizeof value);
        } else {
            value = (static_cast<double>(bits >> 11) * 0x1p-53 * 2.0 - 1.0) * kScales[i % 8];
        }
        const int decimals = static_cast<int>(random() % 10);
        ASSERT_TRUE(PrintsAsPrintf(value, decimals)) << "sample " << i;
    }
}

TEST(FixedFormat, IntegersAsPrintf) {
    const int32_t kValues[] = {0, 1, -1, 5, -5, 9, 10, 99, 100, -99, -100, 255, 999, 1000, 12345,
                               INT32_MAX, INT32_MIN, INT32_MIN + 1, 2000000000, -2000000000};
    std::mt19937 random(5);
    char expected[64];
    char actual[kFormattedNumberChars];
    for (int i = 0; i < 20000; ++i) {
        const int32_t value = i < 20 ? kValues[i] : static_cast<int32_t>(random()) >> (random() % 32);
        for (int width = 0; width <= 12; ++width) {
            for (const bool zeroPad : {false, true}) {
                snprintf(expected, sizeof expected, zeroPad ? "%0*d" : "%*d", width, value);
                ASSERT_EQ(FormatInteger(actual, value, width, zeroPad), static_cast<int>(std::strlen(expected)));
                ASSERT_STREQ(actual, expected) << "width " << width << (zeroPad ? " zero-padded" : "");
            }
        }
    }
}

// A text that does not fit is cut exactly where snprintf cuts it, and its length is
// the one snprintf returns, for every room from none to more than enough.
TEST(BoundedText, CutsAndCountsAsSnprintf) {
    const double absurd = 1e300;
    for (size_t room = 0; room < 420; ++room) {
        char expected[420];
        char actual[420];
        std::memset(expected, 'x', sizeof expected);
        std::memset(actual, 'x', sizeof actual);
        const int length = snprintf(room > 0 ? expected : nullptr, room, "W,1,%3d,%s%03d,%.8f,%5.1f, %02d:%02d\r\n", 7,
                                    "RKC", 12, absurd, -2.25, 9, 59);
        BoundedText text(room > 0 ? actual : nullptr, room);
        text.Text("W,1,").Integer(7, 3).Text(",").String("RKC").Integer(12, 3, true).Text(",").Fixed(absurd, 8);
        text.Text(",").Fixed(-2.25, 1, 5).Text(", ").Integer(9, 2, true).Text(":").Integer(59, 2, true).Text("\r\n");
        ASSERT_EQ(text.Length(), static_cast<size_t>(length)) << "room " << room;
        ASSERT_EQ(text.Fits(), static_cast<size_t>(length) < room) << "room " << room;
        ASSERT_EQ(std::memcmp(actual, expected, sizeof actual), 0) << "room " << room;
    }
}

// The wide text of the status box agrees with swprintf wherever that succeeds.
TEST(BoundedText, WideTextAsSwprintf) {
    for (size_t room = 1; room < 60; ++room) {
        wchar_t expected[60];
        wchar_t actual[60];
        const int length = swprintf(expected, room, L"Speed: %5.1lf km/h. Course: %.1lf\r\n", 7.45, 254.75);
        WideBoundedText text(actual, room);
        text.Text(L"Speed: ").Fixed(7.45, 1, 5).Text(L" km/h. Course: ").Fixed(254.75, 1).Text(L"\r\n");
        // A text that does not fit gives -1 by the standard; mingw's gives the whole length, as snprintf.
        const bool fits = length >= 0 && static_cast<size_t>(length) < room;
        ASSERT_EQ(fits, text.Fits()) << "room " << room;
        if (fits) {
            EXPECT_EQ(text.Length(), static_cast<size_t>(length));
            EXPECT_EQ(std::wstring(actual), std::wstring(expected));
        }
    }
}

}  // namespace
