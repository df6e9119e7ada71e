#pragma once
#include "platform/PortOpenFailure.h"

// What the user can do about a port, in the words of the face that shows the
// message: each is a clause without a capital or a full stop. chooseSpeed is null
// where the speed is not ours to set (gpsd sets the receiver's).
struct PortAdvice {
    const wchar_t* choosePort;
    const wchar_t* chooseSpeed;
};

// Neutral words, for a face that has not given its own.
extern const PortAdvice kPlainPortAdvice;

// One sentence for a port that would not open: the device, the reason in words and
// what to do, cut to chars.
void WordPortOpenFailure(const PortOpenFailure& failure, const PortAdvice& advice, wchar_t* out, int chars);
