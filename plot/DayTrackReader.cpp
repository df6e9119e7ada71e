#include "plot/DayTrackReader.h"

#include <cmath>

namespace {

constexpr char kTrackFileStart[] = "OziExplorer Track Point File";
// File type, datum, altitude unit, reserved, track name and colour, point count.
constexpr size_t kHeaderLines = 6;
// latitude, longitude, segment mark, altitude, OleDate, date, time.
constexpr size_t kFields = 7;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "dd.mm.yy" or "hh:mm:ss": three pairs of digits, each pair after the first behind separator.
bool IsDigitPairs(const std::string& text, char separator) {
    if (text.size() != 8) return false;
    for (size_t i = 0; i < 8; ++i) {
        if (i % 3 == 2 ? text[i] != separator : !IsDigit(text[i])) return false;
    }
    return true;
}

bool ReadPoint(const std::string& line, TrackPoint* point) {
    const std::vector<std::string> fields = SplitFields(line);
    // A line cut short lacks fields or ends inside the time, which must be whole.
    if (fields.size() < kFields) return false;
    double altitude = 0.0;
    if (!ReadDecimalField(fields[0], &point->latitude) || !ReadDecimalField(fields[1], &point->longitude) ||
        !ReadDecimalField(fields[3], &altitude) || !ReadDecimalField(fields[4], &point->stamp)) {
        return false;
    }
    if (std::fabs(point->latitude) > 90.0 || std::fabs(point->longitude) > 180.0) return false;
    const std::string mark = TrimBlanks(fields[2]);
    if (mark != "0" && mark != "1") return false;
    point->startsSegment = mark == "1";
    point->date = TrimBlanks(fields[5]);
    point->time = TrimBlanks(fields[6]);
    return IsDigitPairs(point->date, '.') && IsDigitPairs(point->time, ':');
}

}  // namespace

bool IsTrackFileText(const std::string& text) { return StartsWith(text, kTrackFileStart); }

DayTrack ReadDayTrack(const std::string& text) {
    DayTrack track;
    ReadBody(text, kHeaderLines, &track.skipped, [&track](const std::string& line) {
        TrackPoint point{};
        if (!ReadPoint(line, &point)) return false;
        track.points.push_back(point);
        return true;
    });
    return track;
}
