#pragma once
#include "nmea/GpsFix.h"

// Parses "$GPRMC," into the record; 0 when parsed to its end, else the failing step.
int ParseRmc(const char* sentence, GpsFix& fix);
