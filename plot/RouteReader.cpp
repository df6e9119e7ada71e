#include "plot/RouteReader.h"

#include <cmath>

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

bool IsRouteFileText(const std::string& text) { return StartsWith(text, kRouteFileStart); }

DayRoute ReadDayRoute(const std::string& text) {
    DayRoute route;
    ReadBody(text, kHeaderLines, &route.skipped, [&route](const std::string& line) {
        if (StartsWith(line, "R,")) return true;
        Waypoint waypoint{};
        if (!StartsWith(line, "W,") || !ReadWaypoint(line, &waypoint)) return false;
        route.waypoints.push_back(waypoint);
        return true;
    });
    return route;
}
