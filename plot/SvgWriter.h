#pragma once
#include <string>
#include <vector>

#include "plot/DayPlot.h"
#include "plot/DayTrackReader.h"
#include "plot/RouteReader.h"

// Everything that goes into the picture of one day.
struct DayPicture {
    std::string day;  // the day's name, as its file is named: "2026-01-14"
    const std::vector<TrackPoint>* points;  // at least one
    const std::vector<Waypoint>* waypoints;
};

// The SVG document of a day: the track coloured by speed with breaks at silences and
// segment marks, the waypoints with their names, a speed legend, a scale bar, a north
// arrow, the date, the distance and the time span.
std::string DrawDaySvg(const DayPicture& picture, const PlotFrame& frame);
