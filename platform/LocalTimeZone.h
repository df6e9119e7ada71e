#pragma once
#include "platform/Calendar.h"

// The system's time zone: turns a UTC file time into the local one.
class LocalTimeZone {
public:
    virtual ~LocalTimeZone() = default;
    virtual bool FileTimeToLocalFileTime(FileTime utc, FileTime* local) = 0;
    // The system clock's UTC date (the time of day left at 0); false where it is not
    // known, as in a test's fixed zone.
    virtual bool UtcToday(SystemTime* today) {
        (void)today;
        return false;
    }
};
