#pragma once
#include "nmea/GpsFix.h"

// A record whose every field holds a recognisable value, to see which fields a
// parser wrote and which it left alone.
inline GpsFix MarkedFix() {
    GpsFix fix;
    fix.day = 1;
    fix.month = 2;
    fix.year = 3;
    fix.hour = 4;
    fix.minute = 5;
    fix.satellites = 6;
    fix.seconds = 7.5;
    fix.timeOfDay = 8.5;
    fix.latitude = 9.5;
    fix.longitude = 10.5;
    fix.speedKmh = 11.5;
    fix.altitude = 12.5;
    fix.course = 13.5;
    fix.hdop = 14.5;
    return fix;
}
