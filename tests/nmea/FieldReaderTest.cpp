#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "nmea/FieldReader.h"

namespace {

// The width reads must give what sscanf gives, with 0 where sscanf reads nothing.
TEST(FieldReader, WidthReadsMatchSscanf) {
    constexpr const char* kInputs[] = {
        "12", "1", "123", "1,", "07.038", " 7", "\t-5", "-12", "+9", "-", "+,", "",
        ",12", "a1", "0x1", " \v\f\r\n42", "--1", "-0", "9999",
    };
    for (const char* input : kInputs) {
        for (int width = 2; width <= 3; ++width) {
            int expected = 0;
            std::sscanf(input, width == 2 ? "%2d" : "%3d", &expected);
            EXPECT_EQ(nmea::ReadWidthInt(input, width), expected) << '"' << input << "\" width " << width;
        }
    }
}

TEST(FieldReader, IntegersBeyond32BitsSaturate) {
    EXPECT_EQ(nmea::ReadInt("2147483647"), INT32_MAX);
    EXPECT_EQ(nmea::ReadInt("2147483648"), INT32_MAX);
    EXPECT_EQ(nmea::ReadInt("-99999999999999999999999"), INT32_MIN);
    EXPECT_EQ(nmea::ReadInt(" 08,"), 8);
}

}  // namespace
