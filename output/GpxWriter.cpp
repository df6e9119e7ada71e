#include "output/GpxWriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
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

// Bytes of the GPX's end in which its last point's time lies: a point and the trailer.
constexpr uint32_t kEndBytes = 768;

GpxWriter::Moment MomentOf(int year, int month, int day, int hour, int minute, int second, uint32_t nanos) {
    GpxWriter::Moment moment;
    moment.seconds = ((((static_cast<int64_t>(year) * 12 + month) * 31 + day) * 24 + hour) * 60 + minute) * 60 + second;
    moment.nanos = nanos;
    return moment;
}

// "<time>2009-03-25T12:17:46.25Z</time>" of the last whole point in text, or none: a
// point torn by a crash is cut back by the next flush and must come again.
GpxWriter::Moment LastTimeIn(const char* text, size_t length) {
    static constexpr char kOpen[] = "<time>";
    static constexpr char kPointEnd[] = "</trkpt>";
    constexpr size_t kOpenLength = sizeof kOpen - 1;
    constexpr size_t kPointEndLength = sizeof kPointEnd - 1;
    GpxWriter::Moment none;
    while (length >= kPointEndLength && memcmp(text + length - kPointEndLength, kPointEnd, kPointEndLength) != 0) {
        --length;
    }
    for (size_t at = length; at-- > kOpenLength;) {
        if (memcmp(text + at - kOpenLength, kOpen, kOpenLength) != 0) continue;
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
        const char* time = text + at;
        if (sscanf(time, "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second, &used) != 6) {
            return none;
        }
        uint32_t nanos = 0;
        if (time[used] == '.') {
            uint32_t scale = 100000000;
            for (const char* digit = time + used + 1; *digit >= '0' && *digit <= '9' && scale > 0; ++digit, scale /= 10) {
                nanos += static_cast<uint32_t>(*digit - '0') * scale;
            }
        }
        return MomentOf(year, month, day, hour, minute, second, nanos);
    }
    return none;
}

}  // namespace

GpxWriter::GpxWriter(FileSystem& files, Clock& clock, LocalTimeZone& zone, TextBoxes& boxes,
                     MessageCounter& messages)
    : boxes_(boxes), day_(files, clock, zone, boxes, messages, buffer_, kBufferBytes, kGpxFile) {}

int GpxWriter::Prepare(const GpsFix& fix) {
    if (!on_) return 0;
    bool started = false;
    const int result = day_.BeginLine(fix, &started);
    if (started) {
        inSegment_ = false;
        leftOutToday_ = 0;
        LearnDayEnd();
    }
    return result;
}

void GpxWriter::LearnDayEnd() {
    dayEnd_ = Moment();
    FileSystem& files = day_.Files();
    const FileHandle file = files.OpenDayFile(day_.BuildPath(), DayFileAccess::Read);
    if (file == kInvalidFile) return;
    const uint64_t size = files.Size(file);
    // Only a file of ours says which points are written; another's is left alone anyway.
    const uint32_t head = static_cast<uint32_t>(strlen(kGpxSignature));
    char tail[kEndBytes];
    const uint32_t back = size == kInvalidSize || size < head ? 0 : size < kEndBytes ? static_cast<uint32_t>(size)
                                                                                      : kEndBytes;
    uint32_t count = 0;
    if (back > 0 && files.SeekFromEnd(file, -static_cast<int64_t>(size)) != kInvalidSize &&
        files.Read(file, tail, head, &count) && count == head && memcmp(tail, kGpxSignature, head) == 0 &&
        files.SeekFromEnd(file, -static_cast<int64_t>(back)) != kInvalidSize && files.Read(file, tail, back, &count) &&
        count == back) {
        dayEnd_ = LastTimeIn(tail, back);
    }
    static_cast<void>(files.Close(file));
}

int GpxWriter::AddPoint(const GpsFix& fix) {
    if (!on_ || day_.LeftAlone()) return 0;
    int result = 0;
    const GpxPoint point = PointOf(fix);
    if (!GpxCanHold(point)) {
        SayLeftOut(fix);
        return result;
    }
    if (!MomentOf(point.year, point.month, point.day, point.hour, point.minute, point.second, point.fractionNanos)
             .After(dayEnd_)) {
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
    // Points in another folder's file start a segment of their own there, after its own last.
    const bool changed = wcscmp(old, folder) != 0;
    if (changed) inSegment_ = false;
    const bool set = day_.SetFolder(folder);
    if (set && changed && day_.FileDay() != 0) LearnDayEnd();
    return set;
}
