#pragma once
#include "nmea/GpsFix.h"
#include "output/RouteWriter.h"

// Thins the accepted fixes down to the waypoints of the daily route.
class RouteSelector {
public:
    explicit RouteSelector(RouteWriter& writer);

    void ConsiderFix(const GpsFix& fix);
};
