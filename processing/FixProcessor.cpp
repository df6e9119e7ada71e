#include "processing/FixProcessor.h"
// stand-in, being built
FixProcessor::FixProcessor(LocalTimeZone&, TextBoxes&, TrackWriter&, RouteSelector&, int32_t&) {}
void FixProcessor::ProcessSentence(const char*) {}
