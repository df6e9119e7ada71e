#include "plot/DayTrackReader.h"

#include <cmath>

namespace {

constexpr char kTrackFileStart[] = "OziExplorer Track Point File";
// latitude, longitude, segment mark, altitude, OleDate, then the date and time as text,
// which OziExplorer itself never reads and may leave out.
constexpr size_t kLeastFields = 5;
constexpr size_t kTextFields = 7;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "dd.mm.yy" or "hh:mm:ss": three pairs of digits, each pair after the first behind separator.
bool IsDigitPairs(const std::string& text, char separator) {
    if (text.size() != 8) return false;
    for (size_t i = 0; i < 8; ++i) {
        if (i % 3 == 2 ? text[i] != separator : !IsDigit(text[i])) return false;
    }
    return true;
}

}  // namespace

bool ReadTrackPoint(const std::string& line, bool ended, TrackPoint* point) {
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.size() < kLeastFields) return false;
    if (!ReadDecimalField(fields[0], &point->latitude) || !ReadDecimalField(fields[1], &point->longitude) ||
        !ReadDecimalField(fields[3], &point->altitudeFeet) || !ReadDecimalField(fields[4], &point->stamp)) {
        return false;
    }
    if (std::fabs(point->latitude) > 90.0 || std::fabs(point->longitude) > 180.0) return false;
    const std::string mark = TrimBlanks(fields[2]);
    if (mark != "0" && mark != "1") return false;
    point->startsSegment = mark == "1";
    if (fields.size() >= kTextFields) {
        point->date = TrimBlanks(fields[5]);
        point->time = TrimBlanks(fields[6]);
        if (IsDigitPairs(point->date, '.') && IsDigitPairs(point->time, ':')) return true;
    }
    // Another program's text, or none: the OleDate alone tells the time, and only a line
    // that ended is known to hold it whole.
    point->date.clear();
    point->time.clear();
    return ended;
}

bool IsTrackFileText(const std::string& text) { return StartsWith(text, kTrackFileStart); }

DayTrack ReadDayTrack(const std::string& text) {
    DayTrack track;
    ReadBody(text, kTrackHeaderLines, &track.skipped, [&track](const std::string& line, bool ended) {
        TrackPoint point{};
        if (!ReadTrackPoint(line, ended, &point)) return false;
        track.points.push_back(point);
        return true;
    });
    return track;
}
