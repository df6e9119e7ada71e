#pragma once
#include <cstdint>
#include "nmea/GpsFix.h"
#include "format/Truncate.h"

// Integer clocks built from a fix's UTC fields, the seconds truncated first. They are
// 64-bit because the seconds of a malformed sentence may truncate to anything up to
// INT32_MAX; with real fields the values stay far inside 32 bits.

// UTC second of the day; route selection paces by it.
inline int64_t SecondOfDay(const GpsFix& fix) {
    return int64_t{fix.hour} * 3600 + int64_t{fix.minute} * 60 + TruncateToInt32(fix.seconds);
}

// UTC second of the month; track pacing uses it, so a new month runs it backwards.
inline int64_t SecondOfMonth(const GpsFix& fix) {
    return int64_t{fix.day} * 86400 + SecondOfDay(fix);
}
