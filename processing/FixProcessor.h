#pragma once
#include <cstdint>
#include "nmea/GpsFix.h"
#include "nmea/SentenceSink.h"
#include "output/TrackWriter.h"
#include "platform/LocalTimeZone.h"
#include "platform/TextBoxes.h"
#include "processing/RouteSelector.h"

// Pairs each RMC with the GGA of its epoch, shows the fix, and hands it on to the
// jump filter, track pacing and route selection.
class FixProcessor : public SentenceSink {
public:
    // noDataTicks is the main window's count of ticks without a sentence; every
    // sentence sets it back to 0.
    FixProcessor(LocalTimeZone& zone, TextBoxes& boxes, TrackWriter& track, RouteSelector& route,
                 int32_t& noDataTicks);

    void ProcessSentence(const char* sentence) override;
};
