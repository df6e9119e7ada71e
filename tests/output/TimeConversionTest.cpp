#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "output/TimeConversion.h"
#include "tests/support/ExampleFix.h"
#include "tests/support/FixedOffsetZone.h"

namespace {

std::string Printed(double oleDate) {
    char text[64];
    snprintf(text, sizeof text, "%.8lf", oleDate);
    return text;
}

TEST(TimeConversion, DaysPerSecondIsTheDoubleNearestOneIn86400) {
    uint64_t bits = 0;
    memcpy(&bits, &kDaysPerSecond, sizeof bits);
    EXPECT_EQ(bits, 0x3EE845C8A0CE5129ull);
}

TEST(ToOleDate, CountsDaysSince30December1899) {
    EXPECT_EQ(ToOleDate(25, 3, 2009, 12, 0, 0), 39897.5);
    EXPECT_EQ(Printed(ToOleDate(25, 3, 2009, 12, 0, 0)), "39897.50000000");
    EXPECT_EQ(Printed(ToOleDate(25, 3, 2009, 23, 59, 0)), "39897.99930556");
    EXPECT_EQ(ToOleDate(1, 1, 2000, 0, 0, 0), 36526.0);
    EXPECT_EQ(ToOleDate(30, 12, 1899, 0, 0, 0), 0.0);
    // The stamp of the example track line: the minute, then its seconds added.
    EXPECT_EQ(Printed(ToOleDate(25, 3, 2009, 12, 17, 0) + 46.0 * kDaysPerSecond), "39897.51233796");
}

TEST(ToOleDate, GivesZeroForWhatTheCalendarRejects) {
    const int rejected[][6] = {
        {25, 0, 2009, 12, 0, 0},  {0, 3, 2009, 12, 0, 0},   {30, 2, 2009, 12, 0, 0},
        {25, 3, 2009, 24, 0, 0},  {25, 3, 2009, 12, 60, 0}, {25, 3, 2009, 12, 0, 60},
        {25, 3, 67137, 12, 0, 0},  // would wrap into 1601 as a 16-bit field
        {25, -1, 2009, 12, 0, 0},
    };
    for (const auto& r : rejected) {
        EXPECT_EQ(ToOleDate(r[0], r[1], r[2], r[3], r[4], r[5]), 0.0)
            << r[0] << "." << r[1] << "." << r[2] << " " << r[3] << ":" << r[4] << ":" << r[5];
    }
}

struct LocalCase {
    int minutesEast;
    int day, month, year, hour, minute;
    int localDay, localMonth, localYear, localHour, localMinute;
};

class ToLocalTimeTest : public testing::TestWithParam<LocalCase> {};

TEST_P(ToLocalTimeTest, ShiftsByTheZone) {
    const LocalCase& c = GetParam();
    FixedOffsetZone zone(c.minutesEast);
    const GpsFix utc = ExampleFixAt(c.day, c.month, c.year, c.hour, c.minute, 12.345);
    GpsFix local = {};
    local.latitude = -1.0;
    ToLocalTime(zone, utc, local);
    EXPECT_EQ(local.day, c.localDay);
    EXPECT_EQ(local.month, c.localMonth);
    EXPECT_EQ(local.year, c.localYear);
    EXPECT_EQ(local.hour, c.localHour);
    EXPECT_EQ(local.minute, c.localMinute);
    EXPECT_EQ(local.seconds, 12.345);
    EXPECT_EQ(local.latitude, -1.0);  // only the date and time are written
}

INSTANTIATE_TEST_SUITE_P(Zones, ToLocalTimeTest,
                         testing::Values(LocalCase{120, 25, 3, 9, 23, 30, 26, 3, 9, 1, 30},
                                         LocalCase{330, 25, 3, 9, 10, 50, 25, 3, 9, 16, 20},
                                         LocalCase{-300, 1, 1, 10, 2, 0, 31, 12, 9, 21, 0},
                                         LocalCase{-300, 1, 1, 0, 2, 0, 31, 12, 255, 21, 0},  // 1999 in 8 bits
                                         LocalCase{0, 28, 2, 8, 23, 59, 28, 2, 8, 23, 59}));

TEST(ToLocalTime, KeepsUtcWhenAConversionFails) {
    FixedOffsetZone failing(120);
    failing.fail = true;
    FixedOffsetZone plusTwo(120);
    const GpsFix valid = ExampleFix();
    const GpsFix impossible = ExampleFixAt(30, 2, 9, 23, 30, 1.5);

    const struct {
        FixedOffsetZone* zone;
        GpsFix fix;
    } cases[] = {{&failing, valid}, {&plusTwo, impossible}};
    for (const auto& c : cases) {
        GpsFix local = {};
        ToLocalTime(*c.zone, c.fix, local);
        EXPECT_EQ(local.day, c.fix.day);
        EXPECT_EQ(local.month, c.fix.month);
        EXPECT_EQ(local.year, c.fix.year);
        EXPECT_EQ(local.hour, c.fix.hour);
        EXPECT_EQ(local.minute, c.fix.minute);
        EXPECT_EQ(local.seconds, c.fix.seconds);
    }
}

}  // namespace
