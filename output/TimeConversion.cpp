#include "output/TimeConversion.h"
void ToLocalTime(LocalTimeZone&, const GpsFix& s, GpsFix& d) { d = s; }  // stand-in, being built
double ToOleDate(int, int, int, int, int, int) { return 0.0; }
