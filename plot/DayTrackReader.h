#pragma once
#include <string>
#include <vector>

#include "plot/OziLine.h"

// One point of a day's track file (.plt).
struct TrackPoint {
    double latitude;     // degrees, north positive
    double longitude;    // degrees, east positive
    double stamp;        // OleDate: days since 1899-12-30, UTC
    bool startsSegment;  // the file marks a new track segment here (third field "1")
    std::string date;    // "dd.mm.yy", UTC, as written
    std::string time;    // "hh:mm:ss", UTC, as written
};

struct DayTrack {
    std::vector<TrackPoint> points;
    SkippedLines skipped;  // lines that are no track point: malformed or cut short
};

// True when the text starts like an OziExplorer track point file.
bool IsTrackFileText(const std::string& text);

// The points of a track file's text, after its six header lines. A line that cannot
// be read whole is skipped and counted, never guessed at.
DayTrack ReadDayTrack(const std::string& text);
