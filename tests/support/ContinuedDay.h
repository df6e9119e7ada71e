#pragma once
#include <gtest/gtest.h>

#include <string>

#include "tests/support/ExampleFix.h"

// The end of a route file whose last waypoint is the 57th, RKC123, a minute before the
// example fix.
inline const std::string kWaypoint57Line =
    "W,1, 57, 57,RKC123,55.75000000,37.61660000,39897.51164352,0,1,3,0,65535,,0,0, \r\n";

// Adds the example fix to both writers of a rig whose route ends at kWaypoint57Line
// and flushes them: the route goes on at 58, both flushes succeed. The track line
// that was written.
template <typename Rig>
std::string ContinueBothFiles(Rig& rig) {
    rig.track.AddPoint(ExampleFix());
    rig.routeWriter.AddWaypoint(ExampleFix());
    EXPECT_EQ(std::string(rig.routeWriter.PendingText()).substr(0, 18), "W,1, 58, 58,RKC124");
    const std::string line = rig.track.PendingText();
    EXPECT_EQ(rig.track.Flush(), 0);
    EXPECT_EQ(rig.routeWriter.Flush(), 0);
    return line;
}
