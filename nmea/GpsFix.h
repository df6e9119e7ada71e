#pragma once
#include <cstdint>

// One decoded epoch. Missing values are sentinels, not flags.
struct GpsFix {
    uint8_t day;     // day of month
    uint8_t month;   // 1..12
    uint8_t year;    // two digits as sent; the calendar year is 2000 + year
    uint8_t hour;    // UTC
    uint8_t minute;  // UTC
    int32_t satellites;  // in use; kNoSatellites when not reported
    double seconds;      // UTC seconds of the minute, with fraction
    double timeOfDay;    // seconds since UTC midnight; negative: sentence not parsed to its end
    double latitude;     // degrees, north positive
    double longitude;    // degrees, east positive
    double speedKmh;     // km/h
    double altitude;     // metres; kNoAltitude when not reported
    double course;       // degrees, as sent
    double hdop;         // kNoHdop when not reported
    // What only a GPX point shows; the track and route files never read these.
    double geoidSeparation;  // metres of the geoid above the ellipsoid; kNoAltitude when not reported
    uint32_t fractionNanos;  // the seconds' fraction exactly as its digits were sent, in nanoseconds
    uint8_t quality;         // GGA fix quality; 0 when no GGA gave one
    uint8_t given;           // kGivenSpeed | kGivenCourse: fields the RMC did not leave empty
};

enum : uint8_t { kGivenSpeed = 1, kGivenCourse = 2 };

constexpr int32_t kNoSatellites = -1;
constexpr double kNoAltitude = -99999.99;
constexpr double kNoHdop = -1.0;
constexpr double kRmcNotParsed = -2000.0;
constexpr double kGgaNotParsed = -1000.0;

// The UTC minute of a fix, a key for the caches that convert once a minute; far inside
// 32 bits even for 8-bit fields at 255.
inline int32_t MinuteKey(const GpsFix& fix) {
    return (((fix.year * 12 + fix.month) * 31 + fix.day) * 24 + fix.hour) * 60 + fix.minute;
}
