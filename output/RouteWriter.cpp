#include "output/RouteWriter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "format/Truncate.h"

namespace {

// 120 bytes for a real date; its last line names the day's route, e.g.
// "R,1,R090325,Track 25.03.2009,16711680".
void FormatHeader(char* out, size_t room, int fileDay, int fileMonth, int fileYear, int /*zoneMinutes*/) {
    snprintf(out, room,
             "OziExplorer Route File Version 1.0\r\nWGS 84\r\nReserved 1\r\nReserved 2\r\nR,0,R0,,255\r\n"
             "R,1,R%02d%02d%02d,Track %02d.%02d.%04d,16711680\r\n",
             fileYear, fileMonth, fileDay, fileDay, fileMonth, 2000 + fileYear);
}

// W,1,  1,  1,RRB001,55.75000000,37.61660000,39897.51233796,...: the OleDate.
constexpr int kStampField = 7;

const DayFile::Kind kRouteFile = {
    L"%ls\\%04d-%02d-%02d.rte",
    925,     // leaves 99 bytes, and the 256 behind them, for the next line
    438000,  // 7.3 minutes
    FormatHeader,
    kStampField,
    L"waypoints",
};

// A file shorter than the header and one line holds no waypoint to continue from.
constexpr uint32_t kShortestRoute = 93;
// Where every waypoint line starts.
constexpr char kWaypointMark[] = "\nW,1,";
constexpr size_t kWaypointMarkLength = sizeof kWaypointMark - 1;
// "R", two letters and three digits.
constexpr size_t kNameLength = 6;
constexpr int32_t kLastNameCounter = 999;

bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }

// The next letter of a name, from "Z" back to "A".
char NextLetter(char c) { return c == 'Z' ? 'A' : static_cast<char>(c + 1); }

// The last waypoint mark that starts before end, or null.
const char* LastMarkBefore(const char* text, const char* end) {
    const char* last = nullptr;
    for (const char* found = strstr(text, kWaypointMark); found != nullptr && found < end;
         found = strstr(found + 1, kWaypointMark)) {
        last = found;
    }
    return last;
}

}  // namespace

RouteWriter::RouteWriter(FileSystem& files, Clock& clock, LocalTimeZone& zone, TextBoxes& boxes,
                         MessageCounter& messages)
    : day_(files, clock, zone, boxes, messages, buffer_, kBufferBytes, kRouteFile) {}

// W,1,  1,  1,RRB001,55.75000000,37.61660000,39897.51233796,0,1,3,0,65535,,0,0,
// route 1, point number twice, name, latitude, longitude, OleDate, then fixed fields;
// the line ends in a comma, a blank and CR LF.
int RouteWriter::AddWaypoint(const GpsFix& fix) {
    bool dayStarted = false;
    int result = day_.BeginLine(fix, &dayStarted);
    if (dayStarted) ContinueRoute(fix);
    // Not numbered either: the route goes on from the file's last waypoint.
    if (day_.AlreadyWritten(fix)) return result;
    BoundedText line = day_.NewLine();
    line.Text("W,1,").Integer(pointNumber_, 3).Text(",").Integer(pointNumber_, 3).Text(",").String(namePrefix_);
    line.Integer(nameCounter_, 3, true).Text(",").Fixed(fix.latitude, 8).Text(",").Fixed(fix.longitude, 8);
    line.Text(",").Fixed(day_.Stamp(fix), 8).Text(",0,1,3,0,65535,,0,0, \r\n");
    if (!day_.AppendLine(line)) return result;
    Advance();
    return result | day_.FlushIfDue();
}

int RouteWriter::Flush() { return day_.Flush(); }

int RouteWriter::FlushToDisk() { return day_.FlushToDisk(); }

void RouteWriter::Reset() { day_.Reset(); }

bool RouteWriter::SetFolder(const wchar_t* folder) { return day_.SetFolder(folder); }

void RouteWriter::ContinueRoute(const GpsFix& fix) {
    pointNumber_ = 1;
    nameCounter_ = 1;
    FreshPrefix(fix);
    // The file's end is read into the start of the buffer, so never over pending lines;
    // a new day starts with an empty buffer.
    if (day_.FillLength() != 0) return;
    uint32_t count = 0;
    if (ReadFileTail(&count)) {
        // The same look tells which waypoints the file holds already, before any is
        // numbered: all its bytes, as a flush would read them.
        day_.KnowDayEnd(DayFileEnds::LastLineStamp(buffer_, count, kStampField, false));
        ContinueFrom(buffer_);
    } else {
        day_.KnowDayEnd(DayFileEnds::kNone);
    }
    buffer_[0] = '\0';
}

const char* RouteWriter::PendingText() const { return buffer_; }

int32_t RouteWriter::FillLength() const { return day_.FillLength(); }

// "R" and two letters from the day and the position's thousandths, so that two days,
// or two restarts at different places, rarely share names.
void RouteWriter::FreshPrefix(const GpsFix& fix) {
    const double x = (fix.longitude + fix.latitude) * 1000.0;
    const int32_t sixteenths = TruncateToInt32((x - floor(x)) * 16.0);  // 0..16, NaN gives 0
    const int v = (16 * day_.FileDay() + sixteenths % 16) % 512;
    namePrefix_[0] = 'R';
    namePrefix_[1] = static_cast<char>('A' + v / 24);
    namePrefix_[2] = static_cast<char>('A' + v % 24);
    namePrefix_[3] = '\0';
}

// Reads the last 256 bytes of the day's file, or a short file from byte 2, into the
// buffer as text. False when there is nothing to read; a failed move or read is logged.
bool RouteWriter::ReadFileTail(uint32_t* count) {
    FileSystem& files = day_.Files();
    // Usually there is no file yet and the day starts afresh; one that is not a plain
    // file of ours (a link, a pipe) is not read, and the flush tells why.
    const FileHandle file = files.OpenDayFile(day_.BuildPath(), DayFileAccess::Read);
    if (file == kInvalidFile) return false;

    const uint64_t size = files.Size(file);
    // The continuation only reads: a failed close loses nothing.
    if (size < kShortestRoute || size == kInvalidSize) {
        static_cast<void>(files.Close(file));
        return false;
    }
    const int64_t offset = size >= kTailBytes + 2 ? -static_cast<int64_t>(kTailBytes)
                                                   : 2 - static_cast<int64_t>(size);
    if (files.SeekFromEnd(file, offset) == kInvalidSize) {
        day_.ReportFailure(DayFile::Step::ContinueSeek, file);
        return false;
    }
    if (!files.Read(file, buffer_, kTailBytes, count) || *count == 0) {
        day_.ReportFailure(DayFile::Step::ContinueRead, file);
        return false;
    }
    static_cast<void>(files.Close(file));
    if (*count > kTailBytes) *count = kTailBytes;
    buffer_[*count] = '\0';
    return true;
}


// Carries on from the last whole waypoint line in text: "W,1, 57, 57,RKC123," gives 58
// and RKC124. A last line that a power cut left cut, or one that cannot be read, is
// passed over for the one before it, so that numbers never repeat.
void RouteWriter::ContinueFrom(const char* text) {
    bool marked = false;
    for (const char* end = text + strlen(text), *mark = LastMarkBefore(text, end); mark != nullptr;
         end = mark, mark = LastMarkBefore(text, end)) {
        marked = true;
        // A line ends where the next mark starts; the last one must end at all (end is
        // then the text's terminator, which the search may look at).
        if (memchr(mark + 1, '\n', static_cast<size_t>(end - mark)) == nullptr) continue;
        if (ContinueFromLine(mark + kWaypointMarkLength)) {
            day_.Report(L"(%u) Route continued... \r\n");
            return;
        }
    }
    if (!marked) {
        day_.Report(L"(%u) Route point not found \r\n");
        return;
    }
    day_.SayAboutFile(L"No whole waypoint line at the end of ", L", so the day's route starts again at 1.\r\n");
}

// "  57, 57,RKC123,...": the point number and the name after the mark; false when
// either cannot be read.
bool RouteWriter::ContinueFromLine(const char* number) {
    // strtol rather than atoi: a number beyond the range is defined, and refused here.
    const long point = strtol(number, nullptr, 10);
    if (point < 1 || point >= INT32_MAX) return false;

    // Behind the second comma: the first ends the point number, the second its repetition.
    const char* name = number;
    for (int commas = 0; commas < 2; ++name) {
        if (*name == '\0') return false;
        if (*name == ',') ++commas;
    }
    if (name[0] != 'R' || strnlen(name, kNameLength) < kNameLength) return false;
    const long counter = strtol(name + 3, nullptr, 10);
    if (!IsCapital(name[1]) || !IsCapital(name[2]) || counter < 0 || counter > kLastNameCounter) return false;

    namePrefix_[1] = name[1];
    namePrefix_[2] = name[2];
    pointNumber_ = static_cast<int32_t>(point);
    nameCounter_ = static_cast<int32_t>(counter);
    Advance();
    return true;
}

void RouteWriter::Advance() {
    // Saturates rather than overflowing on a number continued from a doctored file.
    if (pointNumber_ < INT32_MAX) ++pointNumber_;
    if (++nameCounter_ > kLastNameCounter) {
        nameCounter_ = 0;
        namePrefix_[2] = NextLetter(namePrefix_[2]);
    }
}
