#pragma once
#include <cstddef>
#include <vector>

#include "plot/DayTrackReader.h"
#include "plot/RouteReader.h"

// Where on the picture the map goes: its size and the room kept free around the map.
struct PlotFrame {
    double width = 1000.0;
    double height = 800.0;
    double left = 40.0;
    double right = 40.0;
    double top = 80.0;
    double bottom = 110.0;
};

struct ScreenPoint {
    double x;
    double y;
};

// Consecutive points of the track drawn as one line: between two of them the receiver
// was never silent for more than five minutes.
struct TrackRun {
    size_t first;
    size_t count;
};

// The geometry of a day: a local equirectangular projection (x = longitude times the
// cosine of the middle latitude, y = -latitude) fitted into the frame, the track cut
// into runs, the speed of every step and the distance travelled.
class DayPlot {
public:
    // points holds at least one.
    DayPlot(const std::vector<TrackPoint>& points, const std::vector<Waypoint>& waypoints, const PlotFrame& frame);

    ScreenPoint Project(double latitude, double longitude) const;
    const std::vector<TrackRun>& Runs() const { return runs_; }
    // km/h from point i - 1 to point i; 0 for the first point of a run.
    double SpeedKmh(size_t i) const { return speedsKmh_[i]; }
    double MaxSpeedKmh() const { return maxSpeedKmh_; }
    // Great-circle distance summed over the steps inside the runs.
    double DistanceKm() const { return distanceKm_; }
    // Ground metres that one unit of the picture stands for.
    double MetresPerUnit() const;

private:
    std::vector<TrackRun> runs_;
    std::vector<double> speedsKmh_;
    double maxSpeedKmh_ = 0.0;
    double distanceKm_ = 0.0;
    double cosMiddle_ = 1.0;
    double scale_ = 1.0;  // picture units per projected degree
    double originX_ = 0.0;
    double originY_ = 0.0;
    double minX_ = 0.0;
    double minY_ = 0.0;
};
