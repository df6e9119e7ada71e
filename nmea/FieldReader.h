#pragma once
#include <cstdint>
#include "nmea/GpsFix.h"

// Field-walking shared by the RMC and GGA parsers. Every reader works in place on the
// NUL-terminated sentence and never looks past its NUL: a fixed offset that would land
// beyond the end lands on the NUL, where every field reads as empty.
namespace nmea {

// Whitespace as the "C" locale's isspace sees it, independent of the current locale.
bool IsScanfSpace(char c);

// True when the sentence begins with the whole of prefix. Inline, so that it unrolls
// for a literal prefix; it stops at the sentence's NUL, which no prefix character equals.
inline bool HasPrefix(const char* sentence, const char* prefix) {
    for (; *prefix != '\0'; ++prefix, ++sentence) {
        if (*sentence != *prefix) return false;
    }
    return true;
}

// Moves count bytes forward, stopping early at the terminating NUL.
const char* SkipBytes(const char* p, int count);

// The first "," at or after p, or nullptr when a byte whose signed 8-bit value is below
// 32 (any control character, the NUL, any byte from 128 up) comes first.
const char* FindComma(const char* p);

// Reads as sscanf "%<width>d" does (width 2 or 3); 0 when no digits can be read.
int ReadWidthInt(const char* p, int width);

// Reads as atof does, without its undefined behaviour on overflow. rest is where to go
// on looking for the field's end (see ParseDecimal).
double ReadDouble(const char* p, const char*& rest);

// Reads as atoi does; values beyond 32 bits saturate instead of being undefined.
int32_t ReadInt(const char* p);

// Degrees and minutes, e.g. "4807.038" with degreeDigits 2 or "01131.000" with 3:
// minutes × 1/60 + degrees, unsigned. rest is where to go on looking for the field's
// end: in the minutes, which start degreeDigits on (or at the NUL).
double ReadDegrees(const char* field, int degreeDigits, const char*& rest);

// The fraction of "ss.fff" as its digits give it (at most nine), given the byte after
// the whole seconds; 0 when no '.' is there.
uint32_t ReadFractionNanos(const char* point);

// Reads hhmmss.ss from index 7 of a "$GPxxx," sentence into hour, minute and seconds of
// the record and returns where to go on looking for the field's end: in the seconds,
// which start at index 11 (or at the NUL when the sentence is shorter).
// timeOfDay in seconds since midnight is handed back for the caller to store on success.
const char* ReadUtcTime(const char* sentence, GpsFix& fix, double& timeOfDay);

}  // namespace nmea
