#pragma once
#include <cstdint>
#include "nmea/EpochCopyFilter.h"
#include "nmea/GpsFix.h"
#include "nmea/SentenceSink.h"
#include "output/TrackWriter.h"
#include "platform/LocalTimeZone.h"
#include "platform/TextBoxes.h"
#include "processing/FixFilter.h"
#include "processing/FixStatusText.h"
#include "processing/RouteSelector.h"
#include "processing/WeekRollover.h"

// Pairs each RMC with the GGA of its epoch, shows the fix, and hands it on to the
// jump filter, track pacing and route selection.
//
// Each RMC is held back until the next good one arrives, so the GGA of its epoch has
// come in whether the receiver sends it before or after the RMC.
class FixProcessor : public SentenceSink {
public:
    // noDataTicks is the main window's count of ticks without a sentence; every
    // sentence sets it back to 0.
    FixProcessor(LocalTimeZone& zone, TextBoxes& boxes, TrackWriter& track, RouteSelector& route,
                 int32_t& noDataTicks);

    void ProcessSentence(const char* sentence) override;

    const wchar_t* StatusText() const { return status_.Text(); }
    // Fixes shown so far (dropped ones too), and the last of them.
    uint32_t Fixes() const { return fixes_; }
    const GpsFix& LastFix() const { return lastFix_; }
    // -1 before the first sentence, then the slot that received the latest GGA.
    int32_t GgaParity() const { return ggaParity_; }
    const GpsFix& GgaSlot(int index) const { return ggaSlot_[index & 1]; }
    const GpsFix& PendingRmc() const { return pendingRmc_; }
    const FixFilter& Filter() const { return filter_; }
    // Whether dates a GPS week rollover put 1024 weeks back are moved forward; the log
    // box says so once a run.
    WeekRollover& Rollover() { return rollover_; }

private:
    void ApplyFirstTimeDefaults();
    void TakeGga(const char* sentence);
    void TakeRmc(const char* sentence);
    void ProcessFix();
    void PairWithGga();
    void UpdateLocalStamp();
    void CorrectRollover();

    LocalTimeZone& zone_;
    TextBoxes& boxes_;
    int32_t& noDataTicks_;
    FixStatusText status_;
    uint32_t fixes_ = 0;
    GpsFix lastFix_ = {};
    FixFilter filter_;
    EpochCopyFilter ggaCopies_;
    EpochCopyFilter rmcCopies_;

    int32_t ggaParity_ = -1;
    GpsFix ggaSlot_[2] = {};
    GpsFix pendingRmc_ = {};
    GpsFix localStamp_ = {};  // local date and time of pendingRmc_, as last converted
    int32_t minuteKey_ = -1;  // UTC date and minute that localStamp_ was converted for
    WeekRollover rollover_;
    bool rolloverSaid_ = false;
};
