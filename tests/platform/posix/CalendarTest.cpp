#include <gtest/gtest.h>

#include <ctime>

#include "platform/Calendar.h"

namespace {

constexpr FileTime kTicksPerSecond = 10000000;
// 1970-01-01 00:00 as a file time.
constexpr FileTime kUnixEpoch = 116444736000000000ull;

SystemTime Make(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
    return SystemTime{static_cast<uint16_t>(year),   static_cast<uint16_t>(month), 0,
                      static_cast<uint16_t>(day),    static_cast<uint16_t>(hour),  static_cast<uint16_t>(minute),
                      static_cast<uint16_t>(second), static_cast<uint16_t>(ms)};
}

TEST(Calendar, RejectsImpossibleDatesInsteadOfNormalising) {
    const SystemTime rejected[] = {
        Make(2009, 0, 1),          Make(2009, 13, 1),         Make(2009, 3, 0),
        Make(2009, 2, 30),         Make(2009, 2, 29),         Make(1900, 2, 29),
        Make(2009, 4, 31),         Make(2009, 3, 25, 24),     Make(2009, 3, 25, 12, 60),
        Make(2009, 3, 25, 12, 0, 60), Make(2009, 3, 25, 12, 0, 0, 1000), Make(1600, 12, 31, 23, 59, 59),
        Make(30828, 1, 1),         Make(0, 1, 1),
    };
    for (const SystemTime& time : rejected) {
        FileTime result = 12345;
        EXPECT_FALSE(SystemTimeToFileTime(time, &result))
            << time.year << "-" << time.month << "-" << time.day << " " << time.hour << ":" << time.minute << ":"
            << time.second << "." << time.milliseconds;
    }
}

TEST(Calendar, AcceptsTheEdgesOfTheRange) {
    FileTime result = 1;
    ASSERT_TRUE(SystemTimeToFileTime(Make(1601, 1, 1), &result));
    EXPECT_EQ(result, 0u);
    EXPECT_TRUE(SystemTimeToFileTime(Make(2008, 2, 29), &result));
    EXPECT_TRUE(SystemTimeToFileTime(Make(2000, 2, 29), &result));
    ASSERT_TRUE(SystemTimeToFileTime(Make(30827, 12, 31, 23, 59, 59, 999), &result));

    SystemTime back = {};
    ASSERT_TRUE(FileTimeToSystemTime(result, &back));
    EXPECT_EQ(back.year, 30827);
    EXPECT_EQ(back.milliseconds, 999);
    EXPECT_FALSE(FileTimeToSystemTime(result + 10000, &back));
    EXPECT_FALSE(FileTimeToSystemTime(~FileTime{0}, &back));
}

TEST(Calendar, KnownInstants) {
    FileTime result = 0;
    ASSERT_TRUE(SystemTimeToFileTime(Make(1899, 12, 30), &result));
    EXPECT_EQ(result, 0x014F35A9A90CC000ull);
    ASSERT_TRUE(SystemTimeToFileTime(Make(1970, 1, 1), &result));
    EXPECT_EQ(result, kUnixEpoch);
    ASSERT_TRUE(SystemTimeToFileTime(Make(2009, 3, 25, 12, 17, 46, 250), &result));
    EXPECT_EQ(result, kUnixEpoch + 1237983466ull * kTicksPerSecond + 2500000);
}

// Every day from 1601 to 2500, both ways, against the C library's proleptic calendar.
TEST(Calendar, AgreesWithTheCLibraryDayByDay) {
    static_assert(sizeof(time_t) == 8, "needs a 64-bit time_t");
    for (int64_t day = 0; day < 900 * 366; ++day) {
        const FileTime file = static_cast<FileTime>(day) * 86400 * kTicksPerSecond + 45296789ull * 10000;
        const time_t unix = static_cast<time_t>((static_cast<int64_t>(file) - static_cast<int64_t>(kUnixEpoch)) /
                                                static_cast<int64_t>(kTicksPerSecond));
        tm expected = {};
        ASSERT_NE(gmtime_r(&unix, &expected), nullptr);
        if (expected.tm_year + 1900 > 2500) break;

        SystemTime time = {};
        ASSERT_TRUE(FileTimeToSystemTime(file, &time)) << day;
        ASSERT_EQ(time.year, expected.tm_year + 1900) << day;
        ASSERT_EQ(time.month, expected.tm_mon + 1) << day;
        ASSERT_EQ(time.day, expected.tm_mday) << day;
        ASSERT_EQ(time.dayOfWeek, expected.tm_wday) << day;
        ASSERT_EQ(time.hour, 12);
        ASSERT_EQ(time.minute, 34);
        ASSERT_EQ(time.second, 56);
        ASSERT_EQ(time.milliseconds, 789);

        FileTime back = 0;
        ASSERT_TRUE(SystemTimeToFileTime(time, &back)) << day;
        ASSERT_EQ(back, file) << day;
    }
}

}  // namespace
