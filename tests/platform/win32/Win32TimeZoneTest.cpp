#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/Win32TimeZone.h"

namespace {

// Local minus UTC at noon UTC of the given day.
int64_t OffsetMinutes(int month, int day) {
    SystemTime noon{2009, static_cast<uint16_t>(month), 0, static_cast<uint16_t>(day), 12, 0, 0, 0};
    FileTime utc = 0;
    FileTime local = 0;
    EXPECT_TRUE(SystemTimeToFileTime(noon, &utc));
    Win32TimeZone zone;
    EXPECT_TRUE(zone.FileTimeToLocalFileTime(utc, &local));
    return (static_cast<int64_t>(local) - static_cast<int64_t>(utc)) / 600000000;
}

// Whatever zone the machine is in, each date takes the bias of its own season, not
// today's: of the two the zone has, winter and summer get one each.
TEST(Win32TimeZone, EachDateTakesTheBiasOfItsSeason) {
    TIME_ZONE_INFORMATION zone;
    ASSERT_NE(GetTimeZoneInformation(&zone), TIME_ZONE_ID_INVALID);
    const int64_t standard = -(zone.Bias + zone.StandardBias);
    const int64_t daylight = -(zone.Bias + zone.DaylightBias);
    const int64_t january = OffsetMinutes(1, 15);
    const int64_t july = OffsetMinutes(7, 15);
    if (zone.DaylightDate.wMonth == 0 || standard == daylight) {
        EXPECT_EQ(january, standard);
        EXPECT_EQ(july, standard);
        GTEST_SKIP() << "the zone has no daylight saving; bias " << zone.Bias;
    }
    // North of the equator summer is in July; south, in January.
    const bool north = zone.DaylightDate.wMonth < zone.StandardDate.wMonth;
    EXPECT_EQ(january, north ? standard : daylight);
    EXPECT_EQ(july, north ? daylight : standard);
}

}  // namespace
