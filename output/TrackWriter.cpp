#include "output/TrackWriter.h"

#include <cstdio>

#include "format/WholeSeconds.h"

namespace {

// A fix without altitude carries -99999.99 m; anything at or below this has none.
constexpr double kLowestAltitude = -90000.0;
constexpr double kFeetPerMetre = 3.2808399;

// 132 bytes for a real date, e.g. "0,3,255,Track-2009-03-25,0,0,0,255" on its fifth line.
void FormatHeader(char* out, size_t room, int fileDay, int fileMonth, int fileYear, int /*zoneMinutes*/) {
    snprintf(out, room,
             "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
             "0,3,255,Track-%04d-%02d-%02d,0,0,0,255\r\n0          \r\n",
             2000 + fileYear, fileMonth, fileDay);
}

const DayFile::Kind kTrackFile = {
    L"%ls\\%04d-%02d-%02d.plt",
    1969,    // leaves 79 bytes, and the 256 behind them, for the next line
    300000,  // five minutes
    FormatHeader,
    4,
    L"track points",
};

}  // namespace

TrackWriter::TrackWriter(FileSystem& files, Clock& clock, LocalTimeZone& zone, TextBoxes& boxes)
    : day_(files, clock, zone, boxes, messageCounter_, buffer_, kBufferBytes, kTrackFile),
      gpx_(files, clock, zone, boxes, messageCounter_) {
    SetGpx(true);
}

// A point goes to the GPX as it comes, so the track file's points of earlier runs must
// be known before the day's first point, not at its first flush.
void TrackWriter::SetGpx(bool on) {
    gpx_.SetOn(on);
    day_.SetLookFirst(on);
}

// 55.75000000, 37.61660000,0, 492.13, 39897.51233796, 25.03.09, 12:17:46
// latitude, longitude, 0, altitude in feet (or -777 without one), OleDate, UTC date and time.
// The GPX flushes before the track file each time: a run killed between the two leaves
// the GPX ahead, and its own last point keeps the next run from writing those twice;
// the other way round the next run would take them as written and the GPX lose them.
int TrackWriter::AddPoint(const GpsFix& fix) {
    int result = gpx_.Prepare(fix);
    if (day_.Full() && !day_.Failing()) result |= gpx_.Flush();
    result |= day_.BeginLine(fix);
    if (day_.AlreadyWritten(fix)) return result;
    const double stamp = day_.Stamp(fix);
    const int seconds = WholeSeconds(fix.seconds);
    BoundedText line = day_.NewLine();
    line.Fixed(fix.latitude, 8).Text(", ").Fixed(fix.longitude, 8).Text(",0, ");
    if (fix.altitude > kLowestAltitude) {
        line.Fixed(fix.altitude * kFeetPerMetre, 2).Text(", ");
    } else {
        line.Text("-777,");
    }
    line.Fixed(stamp, 8).Text(", ").Integer(fix.day, 2, true).Text(".").Integer(fix.month, 2, true).Text(".");
    line.Integer(fix.year, 2, true).Text(", ").Integer(fix.hour, 2, true).Text(":").Integer(fix.minute, 2, true);
    line.Text(":").Integer(seconds, 2, true).Text("\r\n");
    const bool added = day_.AppendLine(line);
    if (!added) return result;
    result |= gpx_.AddPoint(fix);
    if (day_.FlushDue() && !day_.Failing()) result |= gpx_.Flush();
    return result | day_.FlushIfDue();
}

// Where the track's lines cannot go, the GPX's points wait with them instead of saying
// the same failure twice.
int TrackWriter::Flush() {
    const int gpx = day_.Failing() ? 0 : gpx_.Flush();
    return gpx | day_.Flush();
}

int TrackWriter::FlushToDisk() {
    const int gpx = day_.Failing() ? 0 : gpx_.FlushToDisk();
    return gpx | day_.FlushToDisk();
}

void TrackWriter::Reset() {
    day_.Reset();
    gpx_.Reset();
}

bool TrackWriter::SetFolder(const wchar_t* folder) { return day_.SetFolder(folder) && gpx_.SetFolder(folder); }

void TrackWriter::GetFolder(wchar_t* out) const { day_.GetFolder(out); }

const char* TrackWriter::PendingText() const { return buffer_; }

int32_t TrackWriter::FillLength() const { return day_.FillLength(); }
