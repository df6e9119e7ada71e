#include "platform/posix/PosixTimeZone.h"

#include <time.h>

namespace {
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kUnixEpochSeconds = 11644473600;  // 1601-01-01 to 1970-01-01
}  // namespace

bool PosixTimeZone::FileTimeToLocalFileTime(FileTime utc, FileTime* local) {
    int64_t seconds = static_cast<int64_t>(utc / kTicksPerSecond) - kUnixEpochSeconds;
    time_t when = static_cast<time_t>(seconds);
    tm broken{};
    if (localtime_r(&when, &broken) == nullptr) return false;
    int64_t shifted = static_cast<int64_t>(utc) + static_cast<int64_t>(broken.tm_gmtoff) * kTicksPerSecond;
    if (shifted < 0) return false;
    *local = static_cast<FileTime>(shifted);
    return true;
}

bool PosixTimeZone::UtcNow(SystemTime* now) {
    const time_t seconds = time(nullptr);
    struct tm parts {};
    if (seconds == static_cast<time_t>(-1) || gmtime_r(&seconds, &parts) == nullptr) return false;
    *now = SystemTime{};
    now->year = static_cast<uint16_t>(parts.tm_year + 1900);
    now->month = static_cast<uint16_t>(parts.tm_mon + 1);
    now->day = static_cast<uint16_t>(parts.tm_mday);
    now->hour = static_cast<uint16_t>(parts.tm_hour);
    now->minute = static_cast<uint16_t>(parts.tm_min);
    now->second = static_cast<uint16_t>(parts.tm_sec);
    return true;
}
