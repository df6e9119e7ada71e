#pragma once
#include "nmea/GpsFix.h"

// How far ParseRmc got: Parsed, or the field that stopped it.
enum class RmcResult {
    Parsed = 0,
    NotRmc = 1,
    NoTime = 2,
    BadLatitude = 3,
    BadLongitude = 4,
    NoSpeed = 5,
    NoCourse = 6,
    BadDate = 7,
    NotActive = 10,  // status other than "A": no fix worth recording
};

// Parses "$GPRMC," into the record; timeOfDay is set only when parsed to its end.
RmcResult ParseRmc(const char* sentence, GpsFix& fix);
