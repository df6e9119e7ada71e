#pragma once
#include "nmea/GpsFix.h"

// How far ParseRmc got: Parsed, or the field that stopped it.
// The numbers are the steps of the sentence, in its order.
enum class RmcResult {
    Parsed = 0, NotRmc, NoTime, BadLatitude, BadLongitude, NoSpeed, NoCourse, BadDate,
    NotActive = 10,  // status other than "A": no fix worth recording
};

// Parses "$GPRMC," into the record; timeOfDay is set only when parsed to its end.
RmcResult ParseRmc(const char* sentence, GpsFix& fix);
