#pragma once
#include "platform/LocalTimeZone.h"

// The system's time zone, with the bias that held on the date converted.
class Win32TimeZone : public LocalTimeZone {
public:
    bool FileTimeToLocalFileTime(FileTime utc, FileTime* local) override;
    bool UtcNow(SystemTime* now) override;
};
