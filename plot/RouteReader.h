#pragma once
#include <string>
#include <vector>

#include "plot/OziLine.h"

// One waypoint of a day's route file (.rte).
struct Waypoint {
    std::string name;  // as written, any bytes
    double latitude;   // degrees, north positive
    double longitude;  // degrees, east positive
};

struct DayRoute {
    std::vector<Waypoint> waypoints;
    SkippedLines skipped;  // lines that are neither a route nor a whole waypoint line
};

// True when the text starts like an OziExplorer route file.
bool IsRouteFileText(const std::string& text);

// The waypoints ("W," lines) of a route file's text, in file order; route lines ("R,")
// are passed over, anything else is skipped and counted.
DayRoute ReadDayRoute(const std::string& text);
