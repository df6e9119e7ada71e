#pragma once
#include "console/CommandLine.h"

// kestrave plot DAY.plt|FOLDER... [--out FILE.svg|DIR]: an SVG picture of each day's
// track, with the waypoints of its route file when one lies beside it. Returns 0 when
// every day was drawn, 1 when one could not be, 2 when nothing could start.
int RunPlot(const CommandLine& line);
