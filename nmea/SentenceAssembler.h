#pragma once
#include <cstdint>
#include "nmea/SentenceSink.h"

// Cuts the raw byte stream into "$GP" sentences. Its state carries over from one
// read to the next, so a sentence may be split across any number of reads.
class SentenceAssembler {
public:
    explicit SentenceAssembler(SentenceSink& sink) : sink_(sink) {}

    void FeedByte(uint8_t byte);

private:
    void StartSentence();

    SentenceSink& sink_;
    int32_t collecting_ = 0;
    uint32_t triggerWindow_ = 0;  // last bytes received, newest in the low byte
    int8_t position_ = 0;
    char sentence_[128] = {};
};
