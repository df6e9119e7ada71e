#pragma once
#include "console/CommandLine.h"

// kestrave gpx DAY.plt|FOLDER... [--out FILE.gpx|DIR]: the track files, with the route
// file beside each, as GPX 1.1, every time to the second. Returns 0 when every day was
// converted, 1 when one could not be or its output was refused, 2 when nothing could start.
int RunGpx(const CommandLine& line);
