#pragma once
#include <string>
#include <vector>

#include "plot/OziLine.h"

// One point of a day's track file (.plt).
struct TrackPoint {
    double latitude;     // degrees, north positive
    double longitude;    // degrees, east positive
    double altitudeFeet;  // kNoAltitudeFeet when the file has none
    double stamp;         // OleDate: days since 1899-12-30, UTC
    bool startsSegment;   // the file marks a new track segment here (third field "1")
    std::string date;     // "dd.mm.yy", UTC, as written; empty when the file has it otherwise
    std::string time;     // "hh:mm:ss", UTC, as written; empty with the date
};

// OziExplorer's altitude for "not known".
constexpr double kNoAltitudeFeet = -777.0;
// File type, datum, altitude unit, reserved, track name and colour, point count.
constexpr size_t kTrackHeaderLines = 6;

struct DayTrack {
    std::vector<TrackPoint> points;
    SkippedLines skipped;  // lines that are no track point: malformed or cut short
};

// True when the text starts like an OziExplorer track point file.
bool IsTrackFileText(const std::string& text);

// One line of a track file's body: false for a line that is no whole point. ended: the
// line had its line end, without which a point whose time is not in Kestrave's text
// form may have been cut inside its OleDate.
bool ReadTrackPoint(const std::string& line, bool ended, TrackPoint* point);

// The points of a track file's text, after its six header lines. A line that cannot
// be read whole is skipped and counted, never guessed at.
DayTrack ReadDayTrack(const std::string& text);
