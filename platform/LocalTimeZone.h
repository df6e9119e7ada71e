#pragma once
#include "platform/Calendar.h"

// The system's time zone: turns a UTC file time into the local one.
class LocalTimeZone {
public:
    virtual ~LocalTimeZone() = default;
    virtual bool FileTimeToLocalFileTime(FileTime utc, FileTime* local) = 0;
};
