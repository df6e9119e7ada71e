#include "platform/win32/Win32TimeZone.h"

#include <windows.h>

// ::FileTimeToLocalFileTime applies today's bias to any date: a recording made in
// winter and replayed in summer would be an hour off and put points near midnight
// into the wrong day. SystemTimeToTzSpecificLocalTime takes the daylight saving rule
// of the date itself.
bool Win32TimeZone::FileTimeToLocalFileTime(FileTime utc, FileTime* local) {
    FILETIME from;
    from.dwLowDateTime = static_cast<DWORD>(utc);
    from.dwHighDateTime = static_cast<DWORD>(utc >> 32);
    SYSTEMTIME universal;
    SYSTEMTIME zoned;
    FILETIME to;
    if (!::FileTimeToSystemTime(&from, &universal) || !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &zoned) ||
        !::SystemTimeToFileTime(&zoned, &to)) {
        return false;
    }
    *local = static_cast<FileTime>(to.dwHighDateTime) << 32 | to.dwLowDateTime;
    return true;
}

bool Win32TimeZone::UtcNow(SystemTime* now) {
    SYSTEMTIME system;
    GetSystemTime(&system);
    *now = SystemTime{system.wYear, system.wMonth, system.wDayOfWeek, system.wDay,
                      system.wHour, system.wMinute, system.wSecond, system.wMilliseconds};
    return true;
}
