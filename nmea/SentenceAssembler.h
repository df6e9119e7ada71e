#pragma once
#include <cstdint>
#include "nmea/SentenceSink.h"
#include "nmea/Talker.h"

// Cuts the raw byte stream into sentences of the chosen talkers ("$GP" alone, or every
// satellite system's). Its state carries over from one read to the next, so a
// sentence may be split across any number of reads.
class SentenceAssembler {
public:
    explicit SentenceAssembler(SentenceSink& sink) : sink_(sink) {}

    // Every satellite system's talker until told otherwise.
    void SetTalkers(TalkerSet talkers) { talkers_ = talkers; }
    TalkerSet Talkers() const { return talkers_; }

    // A whole read at once; the same as feeding its bytes one by one, only cheaper.
    void Feed(const uint8_t* bytes, uint32_t count);
    void FeedByte(uint8_t byte) { Feed(&byte, 1); }
    // How many sentences went to the sink, whatever they hold: a file that adds none
    // is no NMEA recording.
    uint64_t Sentences() const { return sentences_; }

private:
    // The rule for one byte; trigger is 0, or the two talker letters (first in the high
    // byte) when the byte completes "$" and a talker.
    void Step(uint8_t byte, uint16_t trigger);
    // Whether the byte at p completes a trigger; the two before it lie in the same read.
    bool CompletesTrigger(const uint8_t* p) const { return p[-2] == '$' && nmea::IsTalker(p[-1], p[0], talkers_); }
    // Copies plain sentence bytes from p until a byte that Step must see, or until the
    // sentence grows too long; returns where it stopped.
    const uint8_t* CopyBody(const uint8_t* p, const uint8_t* end);
    void StartSentence(uint16_t talker);

    SentenceSink& sink_;
    TalkerSet talkers_ = TalkerSet::AllGnss;
    bool collecting_ = false;
    uint32_t triggerWindow_ = 0;  // last bytes received, newest in the low byte
    int8_t position_ = 0;
    uint64_t sentences_ = 0;
    char sentence_[128] = {};
};
