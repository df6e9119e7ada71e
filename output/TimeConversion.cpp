#include "output/TimeConversion.h"

#include "platform/Calendar.h"

namespace {

// The file time of 1899-12-30 00:00, day 0 of the OLE date.
constexpr FileTime kOleEpoch = 0x014F35A9A90CC000ull;
// 2^32 × 1e-7: seconds per unit of the high word of a file time.
constexpr double kSecondsPerHighWord = 429.4967296;
constexpr double kSecondsPerTick = 1e-7;

bool FitsWord(int value) { return value >= 0 && value <= 0xFFFF; }

}  // namespace

void ToLocalTime(LocalTimeZone& zone, const GpsFix& source, GpsFix& destination) {
    destination.day = source.day;
    destination.month = source.month;
    destination.year = source.year;
    destination.hour = source.hour;
    destination.minute = source.minute;
    destination.seconds = source.seconds;

    const SystemTime utc = {static_cast<uint16_t>(source.year + 2000), source.month, 0, source.day,
                            source.hour, source.minute, 0, 0};
    FileTime utcFile = 0;
    FileTime localFile = 0;
    SystemTime local = {};
    if (!SystemTimeToFileTime(utc, &utcFile) || !zone.FileTimeToLocalFileTime(utcFile, &localFile) ||
        !FileTimeToSystemTime(localFile, &local)) {
        return;
    }
    destination.day = static_cast<uint8_t>(local.day);
    destination.month = static_cast<uint8_t>(local.month);
    destination.year = static_cast<uint8_t>(local.year - 2000);
    destination.hour = static_cast<uint8_t>(local.hour);
    destination.minute = static_cast<uint8_t>(local.minute);
}

double ToOleDate(int day, int month, int year, int hour, int minute, int second) {
    // Fields of the handheld's calendar are 16-bit; a value that does not fit is as
    // invalid as month 13 rather than silently wrapped into a valid one.
    if (!FitsWord(day) || !FitsWord(month) || !FitsWord(year) || !FitsWord(hour) || !FitsWord(minute) ||
        !FitsWord(second)) {
        return 0.0;
    }
    const SystemTime time = {static_cast<uint16_t>(year),   static_cast<uint16_t>(month),
                             0,                             static_cast<uint16_t>(day),
                             static_cast<uint16_t>(hour),   static_cast<uint16_t>(minute),
                             static_cast<uint16_t>(second), 0};
    FileTime file = 0;
    if (!SystemTimeToFileTime(time, &file)) return 0.0;

    // Unsigned on purpose: the order of these operations decides the last printed decimal.
    const FileTime sinceEpoch = file - kOleEpoch;
    const uint32_t high = static_cast<uint32_t>(sinceEpoch >> 32);
    const uint32_t low = static_cast<uint32_t>(sinceEpoch);
    return (high * kSecondsPerHighWord + low * kSecondsPerTick) * kDaysPerSecond;
}
