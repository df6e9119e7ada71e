#pragma once
#include "platform/Calendar.h"

// The system's time zone: turns a UTC file time into the local one.
class LocalTimeZone {
public:
    virtual ~LocalTimeZone() = default;
    virtual bool FileTimeToLocalFileTime(FileTime utc, FileTime* local) = 0;
    // The system clock's UTC time; false where it is not known, as in a test's fixed zone.
    virtual bool UtcNow(SystemTime* now) {
        (void)now;
        return false;
    }
    // Its date, the time of day left at 0.
    bool UtcToday(SystemTime* today) {
        if (!UtcNow(today)) return false;
        today->hour = today->minute = today->second = today->milliseconds = 0;
        return true;
    }
};
