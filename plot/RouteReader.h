#pragma once
#include <string>
#include <vector>

// One waypoint of a day's route file (.rte).
struct Waypoint {
    std::string name;  // as written, any bytes
    double latitude;   // degrees, north positive
    double longitude;  // degrees, east positive
};

struct DayRoute {
    std::vector<Waypoint> waypoints;
    int skippedLines = 0;      // lines that are neither a route nor a whole waypoint line
    int firstSkippedLine = 0;  // its number in the file, counting from 1; 0 when none
};

// True when the text starts like an OziExplorer route file.
bool IsRouteFileText(const std::string& text);

// The waypoints ("W," lines) of a route file's text, in file order; route lines ("R,")
// are passed over, anything else is skipped and counted.
DayRoute ReadDayRoute(const std::string& text);
