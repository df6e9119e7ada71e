#pragma once
#include "platform/LocalTimeZone.h"

// The system's time zone as the C library knows it (TZ is honoured), with the
// offset in force at the given moment, daylight saving included.
class PosixTimeZone : public LocalTimeZone {
public:
    bool FileTimeToLocalFileTime(FileTime utc, FileTime* local) override;
    bool UtcNow(SystemTime* now) override;
};
