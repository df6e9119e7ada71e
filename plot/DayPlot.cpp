#include "plot/DayPlot.h"

#include <algorithm>
#include <cmath>

#include "processing/Distance.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadiansPerDegree = kPi / 180.0;
// The sphere on which a degree of latitude is MetresPerDegreeLat, as the jump filter has it.
constexpr double kEarthRadiusMetres = MetresPerDegreeLat / kRadiansPerDegree;
constexpr double kSecondsPerDay = 86400.0;
// Silence longer than this is a break in the line, not a straight dash across the map.
constexpr double kLongestStepSeconds = 300.0;
// A day that never moved is drawn a kilometre wide.
constexpr double kSmallestSpanMetres = 1000.0;

// Metres along the great circle between two positions in degrees.
double GreatCircleMetres(double lat1, double lon1, double lat2, double lon2) {
    const double halfLat = (lat2 - lat1) * kRadiansPerDegree / 2.0;
    const double halfLon = (lon2 - lon1) * kRadiansPerDegree / 2.0;
    const double a = std::sin(halfLat) * std::sin(halfLat) + std::cos(lat1 * kRadiansPerDegree) *
                                                                 std::cos(lat2 * kRadiansPerDegree) *
                                                                 std::sin(halfLon) * std::sin(halfLon);
    return 2.0 * kEarthRadiusMetres * std::asin(std::sqrt(std::min(1.0, a)));
}

}  // namespace

DayPlot::DayPlot(const std::vector<TrackPoint>& points, const std::vector<Waypoint>& waypoints, const PlotFrame& frame)
    : speedsKmh_(points.size(), 0.0) {
    for (size_t i = 0; i < points.size(); ++i) {
        const double seconds = i == 0 ? 0.0 : (points[i].stamp - points[i - 1].stamp) * kSecondsPerDay;
        // Time that stands still or runs back gives no speed either: a new line starts.
        if (i == 0 || points[i].startsSegment || seconds > kLongestStepSeconds || seconds <= 0.0) {
            runs_.push_back({i, 1});
            continue;
        }
        ++runs_.back().count;
        const double metres =
            GreatCircleMetres(points[i - 1].latitude, points[i - 1].longitude, points[i].latitude, points[i].longitude);
        distanceKm_ += metres / 1000.0;
        speedsKmh_[i] = metres / seconds * 3.6;
        maxSpeedKmh_ = std::max(maxSpeedKmh_, speedsKmh_[i]);
    }

    double minLat = 90.0, maxLat = -90.0, minLon = 180.0, maxLon = -180.0;
    auto widen = [&](double latitude, double longitude) {
        minLat = std::min(minLat, latitude);
        maxLat = std::max(maxLat, latitude);
        minLon = std::min(minLon, longitude);
        maxLon = std::max(maxLon, longitude);
    };
    for (const TrackPoint& point : points) widen(point.latitude, point.longitude);
    for (const Waypoint& waypoint : waypoints) widen(waypoint.latitude, waypoint.longitude);

    cosMiddle_ = std::cos((minLat + maxLat) / 2.0 * kRadiansPerDegree);
    minX_ = minLon * cosMiddle_;
    minY_ = -maxLat;
    const double spanX = (maxLon - minLon) * cosMiddle_;
    const double spanY = maxLat - minLat;
    const double room = std::max(spanX, spanY) * MetresPerDegreeLat;
    const double plotWidth = frame.width - frame.left - frame.right;
    const double plotHeight = frame.height - frame.top - frame.bottom;
    if (room < kSmallestSpanMetres) {
        scale_ = std::min(plotWidth, plotHeight) / (kSmallestSpanMetres / MetresPerDegreeLat);
    } else {
        scale_ = std::min(spanX > 0.0 ? plotWidth / spanX : HUGE_VAL, spanY > 0.0 ? plotHeight / spanY : HUGE_VAL);
    }
    originX_ = frame.left + (plotWidth - spanX * scale_) / 2.0;
    originY_ = frame.top + (plotHeight - spanY * scale_) / 2.0;
}

double DayPlot::MetresPerUnit() const { return MetresPerDegreeLat / scale_; }

ScreenPoint DayPlot::Project(double latitude, double longitude) const {
    return {originX_ + (longitude * cosMiddle_ - minX_) * scale_, originY_ + (-latitude - minY_) * scale_};
}
