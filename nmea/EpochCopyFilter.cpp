#include "nmea/EpochCopyFilter.h"

#include <cstring>

#include "nmea/FieldReader.h"

bool EpochCopyFilter::Take(const char* sentence) {
    // The time field runs from index 7 to the next comma or the end; a shorter
    // sentence has an empty one.
    const char* time = nmea::SkipBytes(sentence, kTimeIndex);
    const char* comma = std::strchr(time, ',');
    const size_t length = comma != nullptr ? static_cast<size_t>(comma - time) : std::strlen(time);
    const bool otherTalker = sentence[1] != talker_[0] || sentence[2] != talker_[1];
    if (anyTaken_ && otherTalker && length == timeLength_ && std::memcmp(time, time_, length) == 0) {
        return false;
    }
    anyTaken_ = true;
    talker_[0] = sentence[1];
    talker_[1] = sentence[2];
    // A sentence holds at most 126 characters, so the field always fits.
    timeLength_ = static_cast<uint8_t>(length < sizeof time_ ? length : sizeof time_);
    std::memcpy(time_, time, timeLength_);
    return true;
}
