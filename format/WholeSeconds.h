#pragma once
#include "format/Truncate.h"

// The whole seconds shown for a fix: 0.000001 is added first so that 56.9999995
// shows as 57 while 56.999 stays 56.
inline int WholeSeconds(double seconds) { return TruncateToInt32(seconds + 0.000001); }
