#pragma once
#include "nmea/GpsFix.h"

// Parses "$GPGGA," into the record; 0 when parsed to its end, else the failing step.
int ParseGga(const char* sentence, GpsFix& fix);
