#pragma once
#include <cstdint>

// A multi-constellation receiver may send the same epoch's GGA (or RMC) once per
// satellite system, "$GPGGA" then "$GLGGA" with the same time. Only the first copy is
// an epoch; the others would pair and record it again. One filter per sentence type.
class EpochCopyFilter {
public:
    // For a sentence that passed its checksum: false when it is another talker's copy
    // of the epoch last taken (the same time field, byte for byte); otherwise it is
    // taken and remembered. The same talker repeating a time is taken, as before.
    bool Take(const char* sentence);

private:
    static constexpr int kTimeIndex = 7;  // "$GPGGA," is 7 characters long
    static constexpr int kTimeBytes = 128 - kTimeIndex;

    bool anyTaken_ = false;
    char talker_[2] = {};
    uint8_t timeLength_ = 0;
    char time_[kTimeBytes] = {};
};
