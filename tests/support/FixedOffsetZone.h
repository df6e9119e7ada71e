#pragma once
#include "platform/LocalTimeZone.h"

// A zone a fixed number of minutes east of UTC, or one that fails on command.
class FixedOffsetZone : public LocalTimeZone {
public:
    explicit FixedOffsetZone(int minutesEast = 0) : minutesEast(minutesEast) {}

    bool FileTimeToLocalFileTime(FileTime utc, FileTime* local) override {
        ++calls;
        if (fail) return false;
        *local = utc + static_cast<FileTime>(static_cast<int64_t>(minutesEast) * 600000000LL);
        return true;
    }

    int minutesEast;
    bool fail = false;
    int calls = 0;  // conversions asked for, failed ones included
};
