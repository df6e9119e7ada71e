#pragma once
#include "format/GpxText.h"
#include "plot/DayTrackReader.h"
#include "plot/RouteReader.h"

// The points of the OziExplorer day files as GPX has them, to the second.

// OziExplorer's feet in a metre, as its own conversion has it.
constexpr double kFeetPerMetre = 3.2808399;

// The track point's place, elevation and time: the time of its date and time text when
// it has them (the text is what the receiver sent), else its OleDate to the nearest
// second. year 0 when neither can be read, which GpxCanHold refuses.
GpxPoint GpxPointOf(const TrackPoint& point);
// The waypoint's place and its OleDate to the nearest second; year 0 without one.
GpxPoint GpxPointOf(const Waypoint& waypoint);
