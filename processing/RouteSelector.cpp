#include "processing/RouteSelector.h"
#include <cmath>
#include "processing/Distance.h"
#include "processing/FixClock.h"

namespace {

constexpr double kMissingHdop = 3.5;       // stands in for an HDOP not reported
constexpr double kPoorHdop = 3.0;          // above it, points at least 10 s apart
constexpr int64_t kPoorHdopSpacing = 10;   // s
constexpr int64_t kStaleAfter = 60;        // s; after it, at least 50 x H metres
constexpr double kStaleMetresPerHdop = 50.0;
constexpr double kFairHdop = 2.0;          // above it, at least 10 x H metres
constexpr double kFairMetresPerHdop = 10.0;
constexpr double kSlowKmh = 5.0;           // below it only distance counts
constexpr double kFarMetres = 300.0;
constexpr int64_t kMovingPointEvery = 300;  // s
constexpr double kSharpTurn = 50.0;         // degrees
constexpr double kTurn = 30.0;              // degrees, counts when faster than kTurnKmh
constexpr double kTurnKmh = 30.0;
constexpr double kSpeedChangeKmh = 10.0;

}  // namespace

RouteSelector::RouteSelector(RouteWriter& writer) : writer_(writer) {}

bool RouteSelector::ConsiderFix(const GpsFix& fix) {
    const int64_t now = SecondOfDay(fix);
    if (!Selects(fix, now - lastRouteTime_)) return false;
    lastRouteTime_ = now;
    lastRoutePoint_ = {fix.course, fix.speedKmh, fix.latitude, fix.longitude};
    writer_.AddWaypoint(fix);
    return true;
}

// The rules in order; the first that decides ends the selection. sinceLast is
// negative after UTC midnight, which skips the two time-gated rules.
bool RouteSelector::Selects(const GpsFix& fix, int64_t sinceLast) const {
    const double h = fix.hdop < 0.0 ? kMissingHdop : fix.hdop;
    if (h > kPoorHdop && sinceLast > 0 && sinceLast < kPoorHdopSpacing) return false;
    if (sinceLast > kStaleAfter && !FarFromLast(fix, kStaleMetresPerHdop * h)) return false;
    if (h > kFairHdop && !FarFromLast(fix, kFairMetresPerHdop * h)) return false;
    if (fix.speedKmh < kSlowKmh) return FarFromLast(fix, kFarMetres);
    if (sinceLast >= kMovingPointEvery || sinceLast < 0) return true;

    double turn = std::fabs(fix.course - lastRoutePoint_.course);
    if (turn > 180.0) turn = 360.0 - turn;
    if (turn > kSharpTurn) return true;
    if (turn > kTurn && fix.speedKmh > kTurnKmh) return true;

    const double speedChange = std::fabs(fix.speedKmh - lastRoutePoint_.speedKmh);
    return speedChange > kSpeedChangeKmh && FarFromLast(fix, kFarMetres);
}

bool RouteSelector::FarFromLast(const GpsFix& fix, double limitMetres) const {
    return ExceedsDistance(fix.latitude, fix.longitude, lastRoutePoint_.latitude,
                           lastRoutePoint_.longitude, limitMetres);
}
