#pragma once

// Number fields read as the C library reads them, but without its cost for the
// plain decimals that receivers send.
namespace nmea {

// The value strtod reads from the start of text, bit for bit. "[+-]digits[.digits]"
// with at most 19 digits whose value is at most 2^53 is one division of two exact
// doubles (the digits by a power of ten), hence correctly rounded as strtod is;
// anything else (exponents, hex, inf, nan, leading blanks, longer numbers) is handed
// to strtod itself.
// rest is where the caller may go on looking for the end of the field: behind the
// characters that the shortcut read (only signs, digits and a point), or text itself.
double ParseDecimal(const char* text, const char*& rest);

}  // namespace nmea
