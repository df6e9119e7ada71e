#pragma once
#include <string>
#include <vector>

#include "plot/OziLine.h"

// One waypoint of a day's route file (.rte).
struct Waypoint {
    std::string name;  // as written, any bytes
    double latitude;   // degrees, north positive
    double longitude;  // degrees, east positive
    double stamp;      // OleDate: days since 1899-12-30, UTC; 0 when the file has none
};

// File type, datum and two reserved lines.
constexpr size_t kRouteHeaderLines = 4;

struct DayRoute {
    std::vector<Waypoint> waypoints;
    SkippedLines skipped;  // lines that are neither a route nor a whole waypoint line
};

// True when the text starts like an OziExplorer route file.
bool IsRouteFileText(const std::string& text);

// One line of a route file's body: true for a route line ("R,"), which is passed over,
// and for a whole waypoint line ("W,"), which sets *waypoint and *isWaypoint.
bool ReadRouteLine(const std::string& line, Waypoint* waypoint, bool* isWaypoint);

// The waypoints ("W," lines) of a route file's text, in file order; route lines ("R,")
// are passed over, anything else is skipped and counted.
DayRoute ReadDayRoute(const std::string& text);
