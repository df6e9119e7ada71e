#pragma once
#include "platform/LocalTimeZone.h"

// A zone a fixed number of minutes east of UTC, or one that fails on command; it
// knows the system's time only when a test sets one.
class FixedOffsetZone : public LocalTimeZone {
public:
    explicit FixedOffsetZone(int minutesEast = 0) : minutesEast(minutesEast) {}

    bool FileTimeToLocalFileTime(FileTime utc, FileTime* local) override {
        ++calls;
        if (fail) return false;
        *local = utc + static_cast<FileTime>(static_cast<int64_t>(minutesEast) * 600000000LL);
        return true;
    }

    bool UtcNow(SystemTime* now) override {
        if (today.year == 0) return false;
        *now = today;
        return true;
    }

    int minutesEast;
    SystemTime today{};  // the system's date and time; year 0: not known
    bool fail = false;
    int calls = 0;  // conversions asked for, failed ones included
};
