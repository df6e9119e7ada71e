#include "nmea/SentenceAssembler.h"

namespace {
constexpr uint32_t kTriggerMask = 0xFFFFFF;
constexpr uint32_t kTrigger = 0x244750;  // "$GP", the oldest byte highest
constexpr int8_t kMaxLength = 126;       // index 126 is left for the NUL
constexpr uint8_t kCr = 13;
constexpr uint8_t kLf = 10;
}  // namespace

void SentenceAssembler::FeedByte(uint8_t byte) {
    triggerWindow_ = (triggerWindow_ << 8) | byte;
    const bool trigger = (triggerWindow_ & kTriggerMask) == kTrigger;
    if (collecting_ == 0) {
        if (trigger) {
            StartSentence();
        }
        return;
    }
    // The line end is tested before the trigger, so CR or LF always ends the sentence.
    if (byte == kCr || byte == kLf) {
        sentence_[position_] = '\0';
        sink_.ProcessSentence(sentence_);
        collecting_ = 0;
        position_ = 0;
        return;
    }
    if (trigger) {
        // A new "$GP" cuts off the sentence in progress, which is lost.
        StartSentence();
        return;
    }
    sentence_[position_] = static_cast<char>(byte);
    ++position_;
    if (position_ > kMaxLength) {
        collecting_ = 0;
        position_ = 0;
    }
}

void SentenceAssembler::StartSentence() {
    sentence_[0] = '$';
    sentence_[1] = 'G';
    sentence_[2] = 'P';
    sentence_[3] = '\0';
    position_ = 3;
    collecting_ = 1;
}
