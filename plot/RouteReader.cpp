#include "plot/RouteReader.h"

#include <cmath>

namespace {

constexpr char kRouteFileStart[] = "OziExplorer Route File";
// "W", route, number, number, name, latitude, longitude, OleDate, then fixed fields: a
// line with fewer was cut short.
constexpr size_t kLeastWaypointFields = 8;

bool ReadWaypoint(const std::string& line, Waypoint* waypoint) {
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.size() < kLeastWaypointFields) return false;
    waypoint->name = fields[4];
    // Only a comma after it shows the OleDate whole; another program may leave it blank.
    const bool dated = fields.size() > kLeastWaypointFields && ReadDecimalField(fields[7], &waypoint->stamp);
    if (!dated) waypoint->stamp = 0.0;
    return ReadDecimalField(fields[5], &waypoint->latitude) && ReadDecimalField(fields[6], &waypoint->longitude) &&
           std::fabs(waypoint->latitude) <= 90.0 && std::fabs(waypoint->longitude) <= 180.0;
}

}  // namespace

bool ReadRouteLine(const std::string& line, Waypoint* waypoint, bool* isWaypoint) {
    *isWaypoint = false;
    if (StartsWith(line, "R,")) return true;
    *isWaypoint = StartsWith(line, "W,") && ReadWaypoint(line, waypoint);
    return *isWaypoint;
}

bool IsRouteFileText(const std::string& text) { return StartsWith(text, kRouteFileStart); }

DayRoute ReadDayRoute(const std::string& text) {
    DayRoute route;
    ReadBody(text, kRouteHeaderLines, &route.skipped, [&route](const std::string& line, bool) {
        Waypoint waypoint{};
        bool isWaypoint = false;
        if (!ReadRouteLine(line, &waypoint, &isWaypoint)) return false;
        if (isWaypoint) route.waypoints.push_back(waypoint);
        return true;
    });
    return route;
}
