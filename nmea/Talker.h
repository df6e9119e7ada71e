#pragma once
#include <cstdint>

// Which receivers' sentences are taken: the GPS talker "$GP" alone, or the talker of
// every satellite system, so that a GLONASS, Galileo, BeiDou or combined receiver logs
// as a GPS-only one does.
enum class TalkerSet : int32_t { GpsOnly = 0, AllGnss = 1 };

namespace nmea {

// GP GPS, GL GLONASS, GA Galileo, GB and BD BeiDou, GQ QZSS, GI NavIC, GN combined.
inline bool IsTalker(uint8_t first, uint8_t second, TalkerSet talkers) {
    if (talkers == TalkerSet::GpsOnly) return first == 'G' && second == 'P';
    if (first == 'B') return second == 'D';
    if (first != 'G') return false;
    switch (second) {
        case 'P': case 'L': case 'A': case 'B': case 'Q': case 'I': case 'N':
            return true;
        default:
            return false;
    }
}

// Whether the sentence is "$", a satellite system's talker, then type, e.g. "GGA,".
// The type follows at the same index whatever the talker, so the fields do too.
inline bool IsSentenceOfType(const char* sentence, const char* type) {
    if (sentence[0] != '$' || sentence[1] == '\0' ||
        !IsTalker(static_cast<uint8_t>(sentence[1]), static_cast<uint8_t>(sentence[2]), TalkerSet::AllGnss)) {
        return false;
    }
    for (const char* p = sentence + 3; *type != '\0'; ++type, ++p) {
        if (*p != *type) return false;
    }
    return true;
}

}  // namespace nmea
