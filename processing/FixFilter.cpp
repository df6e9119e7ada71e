#include "processing/FixFilter.h"
#include "format/Truncate.h"
#include "processing/FixClock.h"

namespace {

// A fix with an HDOP above hdopAbove is dropped while fewer than dropsBelow fixes
// in a row have been dropped: the worse the HDOP, the longer it takes to be believed.
struct HdopTier {
    double hdopAbove;
    int32_t dropsBelow;
};
constexpr HdopTier kHdopTiers[] = {{9.0, 7}, {7.0, 5}, {5.0, 3}, {3.0, 1}};

// Farther than this from the previous fix is a jump.
constexpr double kJumpMetres = 300.0;

// Track points come every 10 s, or about every 50 m above 18 km/h
// (180 / km/h is the seconds it takes to cover 50 m).
constexpr int32_t kSlowTrackInterval = 10;
constexpr double kPacedAboveKmh = 18.0;
constexpr double kPacingKmhSeconds = 180.0;

}  // namespace

FixFilter::FixFilter(FixStatusText& status, TrackWriter& track, RouteSelector& route)
    : status_(status), track_(track), route_(route) {}

FilterOutcome FixFilter::FilterFix(const GpsFix& fix) {
    const bool jump = IsJump(fix);
    prevPosition_ = {fix.latitude, fix.longitude};
    if (jump) {
        if (dropCount_ < INT32_MAX) ++dropCount_;  // only its small values matter
        status_.ShowDropped();
        return FilterOutcome::kDropped;
    }
    dropCount_ = 0;
    const bool tracked = PaceTrack(fix);
    route_.ConsiderFix(fix);
    return tracked ? FilterOutcome::kTracked : FilterOutcome::kAccepted;
}

// A missing HDOP (-1.0) passes every tier.
bool FixFilter::IsJump(const GpsFix& fix) const {
    for (const HdopTier& tier : kHdopTiers) {
        if (fix.hdop > tier.hdopAbove && dropCount_ < tier.dropsBelow) return true;
    }
    return ExceedsDistance(fix.latitude, fix.longitude, prevPosition_.latitude,
                           prevPosition_.longitude, kJumpMetres);
}

// A clock running backwards (a new month, an older replayed file) writes at once.
bool FixFilter::PaceTrack(const GpsFix& fix) {
    int32_t interval = kSlowTrackInterval;
    if (fix.speedKmh > kPacedAboveKmh) interval = TruncateToInt32(kPacingKmhSeconds / fix.speedKmh);
    const int64_t now = SecondOfMonth(fix);
    const int64_t sinceLast = now - lastTrackTime_;
    if (sinceLast >= interval || sinceLast < 0) {
        lastTrackTime_ = now;
        track_.AddPoint(fix);
        return true;
    }
    return false;
}
