#include "output/GpxWriter.h"

#include <cmath>
#include <cwchar>

#include "format/GpxText.h"
#include "format/WholeSeconds.h"
#include "output/TimeConversion.h"

namespace {

constexpr double kMetresPerSecondPerKmh = 1.0 / 3.6;
// Points further apart than five minutes start a new segment.
constexpr double kSegmentGapDays = 300.0 * kDaysPerSecond;

// "2009-03-25"
void FormatDate(char* out, size_t room, int day, int month, int year) {
    BoundedText(out, room).Integer(year, 4, true).Text("-").Integer(month, 2, true).Text("-").Integer(day, 2, true);
}

// The opening and the track's start, its first segment open: the day, and the zone
// whose midnight cut it, which users of daily files ask for.
void FormatHeader(char* out, size_t room, int fileDay, int fileMonth, int fileYear, int zoneMinutes) {
    char date[16];
    FormatDate(date, sizeof date, fileDay, fileMonth, 2000 + fileYear);
    char name[32];
    BoundedText(name, sizeof name).Text("Kestrave ").String(date);
    const int offset = zoneMinutes < 0 ? -zoneMinutes : zoneMinutes;
    char desc[192];
    BoundedText(desc, sizeof desc)
        .Text("The local day ").String(date).Text(", cut at midnight in the time zone UTC")
        .String(zoneMinutes < 0 ? "-" : "+").Integer(offset / 60, 2, true).Text(":").Integer(offset % 60, 2, true)
        .Text(" (as at its first point). Point times are UTC.");
    BoundedText header(out, room);
    AppendGpxOpening(header, name, desc);
    header.Text("<trk>\r\n<name>Track-").String(date).Text("</name>\r\n").String(kGpxSegmentOpen);
}

const TrailedEnd::Form kGpxForm = {kGpxSignature, kGpxTrailer, "</trkpt>\r\n", kGpxSegmentOpen};

const DayFile::Kind kGpxFile = {
    L"%ls\\%04d-%02d-%02d.gpx",
    32768,   // leaves 512 bytes for the next point
    300000,  // five minutes, as the track file
    FormatHeader,
    -1,
    L"GPX points",
    &kGpxForm,
    kGpxSegmentBreak,
};

// GGA quality 2 is a differential fix, 3 a precise (PPS) one; 1 says nothing of 2D or 3D.
const char* FixOf(uint8_t quality) {
    static const char* const kFixes[] = {nullptr, nullptr, "dgps", "pps"};
    return quality < sizeof kFixes / sizeof kFixes[0] ? kFixes[quality] : nullptr;
}

GpxPoint PointOf(const GpsFix& fix) {
    GpxPoint point;
    point.latitude = fix.latitude;
    point.longitude = fix.longitude;
    if (fix.altitude != kNoAltitude) point.elevation = fix.altitude;
    point.year = 2000 + fix.year;
    point.month = fix.month;
    point.day = fix.day;
    point.hour = fix.hour;
    point.minute = fix.minute;
    point.second = WholeSeconds(fix.seconds);
    // The fraction as sent, unless the whole second was rounded up to meet the track's.
    if (point.second == static_cast<int>(std::floor(fix.seconds))) point.fractionNanos = fix.fractionNanos;
    if (fix.geoidSeparation != kNoAltitude) point.geoidHeight = fix.geoidSeparation;
    point.fix = FixOf(fix.quality);
    point.satellites = fix.satellites;
    if (fix.hdop != kNoHdop) point.hdop = fix.hdop;
    if ((fix.given & kGivenSpeed) != 0) point.speed = fix.speedKmh * kMetresPerSecondPerKmh;
    if ((fix.given & kGivenCourse) != 0) point.course = fix.course;
    return point;
}

}  // namespace

GpxWriter::GpxWriter(FileSystem& files, Clock& clock, LocalTimeZone& zone, TextBoxes& boxes,
                     MessageCounter& messages)
    : boxes_(boxes), day_(files, clock, zone, boxes, messages, buffer_, kBufferBytes, kGpxFile) {}

int GpxWriter::AddPoint(const GpsFix& fix) {
    if (!on_) return 0;
    bool started = false;
    int result = day_.BeginLine(fix, &started);
    if (started) {
        inSegment_ = false;
        leftOutToday_ = 0;
    }
    if (day_.LeftAlone()) return result;
    const GpxPoint point = PointOf(fix);
    if (!GpxCanHold(point)) {
        SayLeftOut(fix);
        return result;
    }
    const double stamp = day_.Stamp(fix);
    BoundedText line = day_.NewLine();
    // The first point of a run on its day, and the first after a gap, open a segment.
    if (!inSegment_ || std::fabs(stamp - lastStamp_) > kSegmentGapDays) line.String(kGpxSegmentBreak);
    AppendGpxPoint(line, point);
    if (day_.AppendLine(line)) {
        inSegment_ = true;
        lastStamp_ = stamp;
        result |= day_.FlushIfDue();
    }
    return result;
}

void GpxWriter::SayLeftOut(const GpsFix& fix) {
    ++leftOut_;
    // The first of a day is said; the rest are counted, and told at the end.
    if (leftOutToday_++ > 0) {
        ++leftOutUntold_;
        return;
    }
    wchar_t before[160];
    swprintf(before, sizeof before / sizeof before[0],
             L"A track point of 20%02d-%02d-%02d %02d:%02d:%02d UTC has a time or place that GPX cannot hold "
             L"(a leap second); it stays in the track file and is left out of ",
             fix.year, fix.month, fix.day, fix.hour, fix.minute, WholeSeconds(fix.seconds));
    day_.SayAboutFile(before, L".\r\n");
}

void GpxWriter::SetOn(bool on) {
    if (on_ && !on) static_cast<void>(day_.Flush());
    if (on && !on_) inSegment_ = false;
    on_ = on;
}

int GpxWriter::Flush() { return on_ ? day_.Flush() : 0; }

int GpxWriter::FlushToDisk() {
    if (!on_) return 0;
    if (leftOutUntold_ > 0) {
        wchar_t line[160];
        swprintf(line, sizeof line / sizeof line[0],
                 L"%u more track points were left out of the GPX files: GPX cannot hold their time.\r\n",
                 leftOutUntold_);
        boxes_.AppendText(kLogBox, line);
        leftOutUntold_ = 0;
    }
    return day_.FlushToDisk();
}

void GpxWriter::Reset() { day_.Reset(); }

bool GpxWriter::SetFolder(const wchar_t* folder) {
    wchar_t old[kFolderChars];
    day_.GetFolder(old);
    // Points in another folder's file start a segment of their own there.
    if (wcscmp(old, folder) != 0) inSegment_ = false;
    return day_.SetFolder(folder);
}
