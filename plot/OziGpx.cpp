#include "plot/OziGpx.h"

#include <cmath>
#include <cstdint>

#include "platform/Calendar.h"

namespace {

constexpr int64_t kTicksPerSecond = 10000000;  // FILETIME counts 100 ns
// A stamp beyond the calendar's last year is garbage, not a time.
constexpr double kLatestOleDate = 2958465.0;

// The UTC date and time of an OleDate, rounded to the nearest second; false when the
// calendar holds no such day.
bool SetTime(double oleDate, GpxPoint* point) {
    if (!(oleDate > 0.0 && oleDate < kLatestOleDate)) return false;
    SystemTime epoch{1899, 12, 0, 30, 0, 0, 0, 0};
    FileTime start = 0;
    SystemTimeToFileTime(epoch, &start);
    // Multiplied, never divided: 1/86400 days is how the writers put the seconds in.
    const int64_t seconds = std::llround(oleDate * 86400.0);
    SystemTime time{};
    if (!FileTimeToSystemTime(start + static_cast<FileTime>(seconds * kTicksPerSecond), &time)) return false;
    point->year = time.year;
    point->month = time.month;
    point->day = time.day;
    point->hour = time.hour;
    point->minute = time.minute;
    point->second = time.second;
    return true;
}

int Pair(const std::string& text, size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

}  // namespace

GpxPoint GpxPointOf(const TrackPoint& point) {
    GpxPoint gpx;
    gpx.latitude = point.latitude;
    gpx.longitude = point.longitude;
    if (point.altitudeFeet != kNoAltitudeFeet) gpx.elevation = point.altitudeFeet / kFeetPerMetre;
    const bool stamped = SetTime(point.stamp, &gpx);
    if (point.date.empty()) return gpx;
    // "dd.mm.yy, hh:mm:ss": the century is the one that puts the year nearest the
    // OleDate's, or this one's.
    const int shortYear = Pair(point.date, 6);
    const int near = stamped ? gpx.year : 2000;
    gpx.year = near + ((shortYear - near % 100) % 100 + 150) % 100 - 50;
    gpx.month = Pair(point.date, 3);
    gpx.day = Pair(point.date, 0);
    gpx.hour = Pair(point.time, 0);
    gpx.minute = Pair(point.time, 3);
    gpx.second = Pair(point.time, 6);
    return gpx;
}

GpxPoint GpxPointOf(const Waypoint& waypoint) {
    GpxPoint gpx;
    gpx.latitude = waypoint.latitude;
    gpx.longitude = waypoint.longitude;
    SetTime(waypoint.stamp, &gpx);
    return gpx;
}
