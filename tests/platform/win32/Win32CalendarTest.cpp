#include <gtest/gtest.h>
#include <windows.h>

#include "platform/Calendar.h"

namespace {

::SYSTEMTIME Win32Time(const SystemTime& time) {
    return ::SYSTEMTIME{time.year, time.month, time.dayOfWeek, time.day, time.hour, time.minute, time.second,
                        time.milliseconds};
}

uint64_t Ticks(const ::FILETIME& time) { return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime; }

// The recorder's own calendar, which every build shares, gives the system's answers
// for every day from 1601 to 2500, both ways.
TEST(Win32Calendar, AgreesWithTheSystemOnEveryDay) {
    ::FILETIME start;
    const ::SYSTEMTIME first = {1601, 1, 1, 1, 0, 0, 0, 0};
    ASSERT_TRUE(::SystemTimeToFileTime(&first, &start));
    constexpr uint64_t kDay = 864000000000ull;
    // A different time of day on each day, so that every field is carried.
    for (uint64_t day = 0;; ++day) {
        const uint64_t ticks = day * kDay + (day * 7919 % 86400000) * 10000;
        const ::FILETIME when{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        ::SYSTEMTIME expected;
        ASSERT_TRUE(::FileTimeToSystemTime(&when, &expected));
        if (expected.wYear > 2500) break;
        SystemTime ours{};
        ASSERT_TRUE(FileTimeToSystemTime(ticks, &ours)) << ticks;
        const ::SYSTEMTIME actual = Win32Time(ours);
        ASSERT_EQ(memcmp(&actual, &expected, sizeof actual), 0)
            << expected.wYear << "-" << expected.wMonth << "-" << expected.wDay << " gave " << ours.year << "-"
            << ours.month << "-" << ours.day << " weekday " << ours.dayOfWeek;
        FileTime back = 0;
        ASSERT_TRUE(SystemTimeToFileTime(ours, &back));
        ASSERT_EQ(back, ticks);
    }
}

TEST(Win32Calendar, RejectsWhatTheSystemRejects) {
    const SystemTime times[] = {
        {2009, 0, 0, 1, 0, 0, 0, 0},     {2009, 13, 0, 1, 0, 0, 0, 0},     {2009, 3, 0, 0, 0, 0, 0, 0},
        {2009, 2, 0, 30, 0, 0, 0, 0},    {2009, 2, 0, 29, 0, 0, 0, 0},     {1900, 2, 0, 29, 0, 0, 0, 0},
        {2000, 2, 0, 29, 0, 0, 0, 0},    {2009, 4, 0, 31, 0, 0, 0, 0},     {2009, 3, 0, 25, 24, 0, 0, 0},
        {2009, 3, 0, 25, 23, 60, 0, 0},  {2009, 3, 0, 25, 23, 59, 60, 0},  {2009, 3, 0, 25, 23, 59, 59, 1000},
        {1600, 12, 0, 31, 23, 59, 59, 0}, {30827, 12, 0, 31, 23, 59, 59, 999}, {2009, 3, 0, 25, 23, 59, 59, 999},
    };
    for (const SystemTime& time : times) {
        const ::SYSTEMTIME system = Win32Time(time);
        ::FILETIME expected{};
        FileTime ours = 0;
        // Wine 8 takes 29 February of a common year for 1 March where Windows refuses it:
        // a date that does not come back as itself counts as refused.
        ::SYSTEMTIME back{};
        const bool accepted = ::SystemTimeToFileTime(&system, &expected) && ::FileTimeToSystemTime(&expected, &back) &&
                              back.wMonth == system.wMonth && back.wDay == system.wDay;
        ASSERT_EQ(SystemTimeToFileTime(time, &ours), accepted)
            << time.year << "-" << time.month << "-" << time.day << " " << time.hour << ":" << time.minute << ":"
            << time.second << "." << time.milliseconds;
        if (accepted) {
            EXPECT_EQ(ours, Ticks(expected));
        }
    }
}

}  // namespace
