#pragma once
#include <cstdint>

// printf's "%d" and "%.<n>f" conversions, character for character, without its
// cost. Every caller in the recorder prints through these.

// "00", "01" ... "99": digits are made two at a time.
extern const char kDigitPairs[201];

// Room that FormatInteger and FormatFixed need, terminator included.
constexpr int kFormattedNumberChars = 48;

// value as "%<width>d", or "%0<width>d" when zeroPad; width at most 16. Returns the
// length and writes a terminator.
int FormatInteger(char* out, int32_t value, int width, bool zeroPad);

// value as "%.<decimals>f" (decimals 0 to 9) when its digits can be had from exact
// integer arithmetic: finite and below 10^19 in units of the last decimal, which
// covers every real coordinate, altitude, speed and date stamp. Returns the length
// and writes a terminator; -1, with nothing written, for any other value, which
// the caller leaves to snprintf.
int FormatFixed(char* out, double value, int decimals);
