#pragma once
#include "nmea/GpsFix.h"

// 25.03.09 12:17:46 UTC at 55.75 N 37.6166 E, 150 m: the fix behind the example
// track line "55.75000000, 37.61660000,0, 492.13, 39897.51233796, 25.03.09, 12:17:46"
// and the route's first waypoint RRB001.
inline GpsFix ExampleFix() {
    //            day month year hour minute satellites seconds timeOfDay
    return GpsFix{25, 3, 9, 12, 17, 8, 46.0, 12 * 3600 + 17 * 60 + 46,
                  // latitude longitude speedKmh altitude course hdop
                  55.75, 37.6166, 0.0, 150.0, 0.0, 1.0,
                  // geoid separation, fraction, GGA quality, speed and course given
                  14.6, 0, 1, kGivenSpeed | kGivenCourse};
}

// The example fix moved to another UTC date and time.
inline GpsFix ExampleFixAt(int day, int month, int year, int hour, int minute, double seconds) {
    GpsFix fix = ExampleFix();
    fix.day = static_cast<uint8_t>(day);
    fix.month = static_cast<uint8_t>(month);
    fix.year = static_cast<uint8_t>(year);
    fix.hour = static_cast<uint8_t>(hour);
    fix.minute = static_cast<uint8_t>(minute);
    fix.seconds = seconds;
    fix.timeOfDay = hour * 3600 + minute * 60 + seconds;
    return fix;
}
