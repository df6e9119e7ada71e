#pragma once
#include <cstdint>
#include "nmea/SentenceSink.h"

// Cuts the raw byte stream into "$GP" sentences. Its state carries over from one
// read to the next, so a sentence may be split across any number of reads.
class SentenceAssembler {
public:
    explicit SentenceAssembler(SentenceSink& sink) : sink_(sink) {}

    // A whole read at once; the same as feeding its bytes one by one, only cheaper.
    void Feed(const uint8_t* bytes, uint32_t count);
    void FeedByte(uint8_t byte) { Feed(&byte, 1); }

private:
    // The rule for one byte; trigger tells whether it completes a "$GP".
    void Step(uint8_t byte, bool trigger);
    // Copies plain sentence bytes from p until a byte that Step must see, or until the
    // sentence grows too long; returns where it stopped.
    const uint8_t* CopyBody(const uint8_t* p, const uint8_t* end);
    void StartSentence();

    SentenceSink& sink_;
    int32_t collecting_ = 0;
    uint32_t triggerWindow_ = 0;  // last bytes received, newest in the low byte
    int8_t position_ = 0;
    char sentence_[128] = {};
};
