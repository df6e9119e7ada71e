#pragma once
#include <cstdint>

// A broken-down date and time, laid out like the handheld's SYSTEMTIME.
struct SystemTime {
    uint16_t year;
    uint16_t month;
    uint16_t dayOfWeek;
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
    uint16_t second;
    uint16_t milliseconds;
};

// 100-nanosecond intervals since 1601-01-01 00:00, like the handheld's FILETIME.
using FileTime = uint64_t;

// Rejects an impossible date or time (month 0 or 13, day 0, 30 February, hour 24,
// minute 60, second 60, a year outside 1601..30827) instead of normalising it.
bool SystemTimeToFileTime(const SystemTime& time, FileTime* result);
// Fails for values beyond the year 30827.
bool FileTimeToSystemTime(FileTime time, SystemTime* result);
