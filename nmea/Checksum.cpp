#include "nmea/Checksum.h"
int VerifyChecksum(const char*) { return 1; }  // stand-in, being built
