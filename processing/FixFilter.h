#pragma once
#include <cstdint>
#include "nmea/GpsFix.h"
#include "output/TrackWriter.h"
#include "processing/Distance.h"
#include "processing/FixStatusText.h"
#include "processing/RouteSelector.h"

// What became of a fix in FilterFix.
enum class FilterOutcome {
    kDropped,   // a position jump: no track point, no route selection
    kAccepted,  // offered to route selection, too soon for a track point
    kTracked,   // written as a track point, then offered to route selection
};

// Drops position jumps by an HDOP-tiered distance test, paces track points by
// speed, and offers every accepted fix to route selection.
class FixFilter {
public:
    FixFilter(FixStatusText& status, TrackWriter& track, RouteSelector& route);

    // The outcome is for tests; the processing does not need it.
    FilterOutcome FilterFix(const GpsFix& fix);

    // Position of the last fix that reached the filter, dropped or not.
    Position PrevPosition() const { return prevPosition_; }
    // Fixes dropped in a row since the last accepted one.
    int32_t DropCount() const { return dropCount_; }
    // UTC second of the month of the last track point written.
    int64_t LastTrackTime() const { return lastTrackTime_; }

private:
    bool IsJump(const GpsFix& fix) const;
    bool PaceTrack(const GpsFix& fix);

    FixStatusText& status_;
    TrackWriter& track_;
    RouteSelector& route_;
    Position prevPosition_ = {0.0, 0.0};
    int32_t dropCount_ = 0;
    int64_t lastTrackTime_ = -1000;  // so that the first accepted fix is always written
};
