#pragma once
#include "nmea/GpsFix.h"
#include "platform/LocalTimeZone.h"

// The double nearest 1/86400: both the date stamp and the writers' seconds are
// multiplied by it, never divided by 86400, because it decides the last decimal.
constexpr double kDaysPerSecond = 1.0 / 86400.0;

// Copies the date and time of source into destination, then turns them into the
// local date and time of the zone. On any failure destination keeps the UTC values.
void ToLocalTime(LocalTimeZone& zone, const GpsFix& source, GpsFix& destination);

// Days since 1899-12-30 00:00 with the time of day as fraction; 0.0 for a date
// or time the calendar rejects. year has four digits.
double ToOleDate(int day, int month, int year, int hour, int minute, int second);
