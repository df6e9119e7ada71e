#pragma once
#include "nmea/GpsFix.h"

// A record whose every field holds a recognisable value, to see which fields a
// parser wrote and which it left alone.
// The fields in their order, from day (1) to hdop (14.5).
inline GpsFix MarkedFix() { return GpsFix{1, 2, 3, 4, 5, 6, 7.5, 8.5, 9.5, 10.5, 11.5, 12.5, 13.5, 14.5}; }
