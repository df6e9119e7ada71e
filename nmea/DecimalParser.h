#pragma once

// Number fields read as the C library reads them, but without its cost for the
// plain decimals that receivers send.
namespace nmea {

// The value strtod reads from the start of text, bit for bit. "[+-]digits[.digits]"
// with at most 2^53 as its digits and at most 22 decimals is one division of two exact
// doubles, hence correctly rounded as strtod is; anything else (exponents, hex, inf,
// nan, leading blanks, longer numbers) is handed to strtod itself.
double ParseDecimal(const char* text);

}  // namespace nmea
