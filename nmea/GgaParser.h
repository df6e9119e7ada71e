#pragma once
#include "nmea/GpsFix.h"

// How far ParseGga got: Parsed, or the field that stopped it.
enum class GgaResult {
    Parsed = 0,
    NotGga = 1,
    NoTime = 2,
    NoLatitude = 3,
    NoLongitude = 4,
    NoFix = 5,  // quality 0 or missing
    NoSatellites = 6,
    NoHdop = 7,
    NoAltitude = 8,
    EmptyAltitude = 9,
    NotMetres = 10,
};

// Parses "$GPGGA," into the record; timeOfDay is set only when parsed to its end.
GgaResult ParseGga(const char* sentence, GpsFix& fix);
