#include "plot/RouteReader.h"

#include <cmath>

#include "plot/OziLine.h"

namespace {

constexpr char kRouteFileStart[] = "OziExplorer Route File";
// File type, datum and two reserved lines.
constexpr size_t kHeaderLines = 4;
// "W", route, number, number, name, latitude, longitude, OleDate, then fixed fields: a
// line with fewer was cut short.
constexpr size_t kLeastWaypointFields = 8;

bool ReadWaypoint(const std::string& line, Waypoint* waypoint) {
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.size() < kLeastWaypointFields) return false;
    waypoint->name = fields[4];
    return ReadDecimalField(fields[5], &waypoint->latitude) && ReadDecimalField(fields[6], &waypoint->longitude) &&
           std::fabs(waypoint->latitude) <= 90.0 && std::fabs(waypoint->longitude) <= 180.0;
}

}  // namespace

bool IsRouteFileText(const std::string& text) {
    return text.compare(0, sizeof kRouteFileStart - 1, kRouteFileStart) == 0;
}

DayRoute ReadDayRoute(const std::string& text) {
    DayRoute route;
    const std::vector<std::string> lines = SplitLines(text);
    for (size_t i = kHeaderLines; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || line.compare(0, 2, "R,") == 0) continue;
        Waypoint waypoint{};
        if (line.compare(0, 2, "W,") == 0 && ReadWaypoint(line, &waypoint)) {
            route.waypoints.push_back(waypoint);
        } else if (route.skippedLines++ == 0) {
            route.firstSkippedLine = static_cast<int>(i + 1);
        }
    }
    return route;
}
