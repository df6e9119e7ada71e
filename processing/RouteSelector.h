#pragma once
#include <cstdint>
#include "nmea/GpsFix.h"
#include "output/RouteWriter.h"

// Course (degrees), speed (km/h) and position (degrees) of the last route point.
struct RoutePoint {
    double course;
    double speedKmh;
    double latitude;
    double longitude;
};

// Thins the accepted fixes down to the waypoints of the daily route.
class RouteSelector {
public:
    explicit RouteSelector(RouteWriter& writer);

    // True when the fix became a waypoint; the processing ignores it, tests read it.
    bool ConsiderFix(const GpsFix& fix);

    // UTC second of the day of the last route point.
    int64_t LastRouteTime() const { return lastRouteTime_; }
    const RoutePoint& LastRoutePoint() const { return lastRoutePoint_; }

private:
    bool Selects(const GpsFix& fix, int64_t sinceLast) const;
    bool FarFromLast(const GpsFix& fix, double limitMetres) const;

    RouteWriter& writer_;
    // Far enough back that the first moving fix is always a point.
    int64_t lastRouteTime_ = -1000;
    RoutePoint lastRoutePoint_ = {0.0, 0.0, 0.0, 0.0};
};
