#include "output/DayFile.h"

#include <cstring>
#include <cwchar>

#include "output/TimeConversion.h"

namespace {

// A local date (two-digit year).
int32_t DateKey(const GpsFix& local) { return (local.year * 12 + local.month) * 31 + local.day; }

// Minutes local time is ahead of UTC: the clocks' difference, across a date line.
int ZoneMinutes(const GpsFix& utc, const GpsFix& local) {
    const int32_t utcDate = DateKey(utc);
    const int32_t localDate = DateKey(local);
    const int days = localDate > utcDate ? 1 : localDate < utcDate ? -1 : 0;
    return days * 1440 + (local.hour * 60 + local.minute) - (utc.hour * 60 + utc.minute);
}

// Wide characters of an error code in words.
constexpr int kReasonChars = 128;

constexpr wchar_t kWriteAdvice[] =
    L"Check that the disk has room and the file may grow, or choose another output folder.";
constexpr wchar_t kDiskAdvice[] = L"Check the disk, or choose another output folder.";
constexpr wchar_t kContinueAdvice[] = L"The day's route is numbered afresh from 1; check the disk.";

// By DayFile::Step: the numbered message (number, error code), then the line in words
// as "<what><path>: <reason>. <advice>".
struct StepText {
    const wchar_t* message;
    const wchar_t* what;
    const wchar_t* advice;
};
const StepText kStepTexts[] = {
    {L"(%u) CreateDirectory Error: %u \r\n", L"Cannot create the folder ",
     L"Check that the folder above it exists and is writable, or choose another output folder."},
    {L"(%u) File Open Error: %u \r\n", L"Cannot open ",
     L"Check that it is a plain file you may write, in a folder you may write, or choose another output folder."},
    {L"(%u) File Header Write Error: %u \r\n", L"Cannot write to ", kWriteAdvice},
    {L"(%u) Set File Pointer Error: %u \r\n", L"Cannot find the end of ", kDiskAdvice},
    {L"(%u) Read File Error: %u \r\n", L"Cannot read the end of ", kDiskAdvice},
    {L"(%u) File Write Error: %u \r\n", L"Cannot write to ", kWriteAdvice},
    {L"(%u) File Write Error: %u \r\n", L"Cannot save to the disk ", kDiskAdvice},
    {L"(%u) File Write Error: %u \r\n", L"Cannot finish writing ", kDiskAdvice},
    {L"(%u) Set File Pointer Error: %u \r\n", L"Cannot read the end of ", kContinueAdvice},
    {L"(%u) Read File Error: %u \r\n", L"Cannot read the end of ", kContinueAdvice},
};

const StepText& TextOf(DayFile::Step step) { return kStepTexts[static_cast<int>(step)]; }

}  // namespace

DayFile::DayFile(FileSystem& files, Clock& clock, LocalTimeZone& zone, TextBoxes& boxes,
                 MessageCounter& messages, char* buffer, int32_t bufferBytes, const Kind& kind)
    : files_(files),
      clock_(clock),
      zone_(zone),
      boxes_(boxes),
      messages_(messages),
      buffer_(buffer),
      bufferBytes_(bufferBytes),
      kind_(kind) {
    Reset();
}

int DayFile::BeginLine(const GpsFix& fix, bool* dayStarted) {
    int result = 0;
    bool started = false;
    if (fillLength_ >= kind_.fullLength) {
        result = Flush();
        Reset();
        lastFlushTick_ = clock_.TickMs();
    }

    const int32_t minute = MinuteKey(fix);
    if (minute != minuteKey_) {
        GpsFix local = {};
        ToLocalTime(zone_, fix, local);
        const int32_t date = DateKey(local);
        if (date != dateKey_) {
            // The old day's lines go to the old day's file: the file date changes only after.
            // The old day is complete, so its file goes to the disk now.
            if (dateKey_ >= 0) result |= FlushLines(true);
            SayAlreadyWritten();
            unsynced_ = false;
            Reset();
            writtenToday_ = 0;
            dateKey_ = date;
            fileDay_ = local.day;
            fileMonth_ = local.month;
            fileYear_ = local.year;
            zoneMinutes_ = ZoneMinutes(fix, local);
            leftAlone_ = false;
            trailedSize_ = kInvalidSize;
            LearnDayEnd();
            started = true;
        }
        minuteKey_ = minute;
        minuteOleDate_ = ToOleDate(fix.day, fix.month, 2000 + fix.year, fix.hour, fix.minute, 0);
    }
    if (dayStarted != nullptr) *dayStarted = started;
    return result;
}

double DayFile::Stamp(const GpsFix& fix) const { return minuteOleDate_ + fix.seconds * kDaysPerSecond; }

bool DayFile::AlreadyWritten(const GpsFix& fix) {
    if (!dayEndKnown_ || dayEnd_ == DayFileEnds::kNone) return false;
    if (DayFileEnds::KeyOf(Stamp(fix)) > dayEnd_) {
        SayAlreadyWritten();
        return false;
    }
    ++alreadyWritten_;
    return true;
}

void DayFile::LearnDayEnd() {
    dayEndKnown_ = ends_.Find(dateKey_, &dayEnd_);
    if (dayEndKnown_) return;
    dayEnd_ = DayFileEnds::kNone;
    if (lookFirst_) LookAtDayEnd();
}

// The day's file as it is when this run comes to its day: its last point is known
// before the first line. A file not there yet is looked at by the first flush.
void DayFile::LookAtDayEnd() {
    const FileHandle file = files_.OpenDayFile(BuildPath(), DayFileAccess::Read);
    if (file == kInvalidFile) return;
    const uint64_t size = files_.Size(file);
    if (size != kInvalidSize && size > 1) {
        char tail[kDayEndBytes];
        const uint32_t back = size < kDayEndBytes ? static_cast<uint32_t>(size) : kDayEndBytes;
        const uint64_t position = files_.SeekFromEnd(file, -static_cast<int64_t>(back));
        uint32_t count = 0;
        if (position != kInvalidSize && files_.Read(file, tail, back, &count) && count == back) {
            KnowDayEnd(DayFileEnds::LastLineStamp(tail, back, kind_.stampField, position == 0));
        }
    }
    static_cast<void>(files_.Close(file));
}

void DayFile::KnowDayEnd(int64_t stamp) {
    if (dayEndKnown_) return;
    dayEnd_ = stamp;
    dayEndKnown_ = true;
    ends_.Remember(dateKey_, stamp);
}

// The pending lines of this run that the day's file held already, taken out of the
// buffer before the first append to it; once a line is kept, the run is past them.
void DayFile::DropAlreadyWritten() {
    if (dayEnd_ == DayFileEnds::kNone) return;
    int32_t kept = 0;
    uint32_t dropped = 0;
    bool later = false;
    for (int32_t start = 0; start < fillLength_;) {
        const char* newline = static_cast<const char*>(memchr(buffer_ + start, '\n', static_cast<size_t>(fillLength_ - start)));
        const int32_t end = newline == nullptr ? fillLength_ : static_cast<int32_t>(newline - buffer_) + 1;
        const int64_t stamp = DayFileEnds::LineStamp(buffer_ + start, static_cast<size_t>(end - start), kind_.stampField);
        if (stamp != DayFileEnds::kNone && stamp <= dayEnd_) {
            ++dropped;
        } else {
            later = true;
            if (kept != start) memmove(buffer_ + kept, buffer_ + start, static_cast<size_t>(end - start));
            kept += end - start;
        }
        start = end;
    }
    fillLength_ = kept;
    buffer_[fillLength_] = '\0';
    pendingLines_ -= dropped;
    alreadyWritten_ += dropped;
    if (later) SayAlreadyWritten();
}

void DayFile::SayAlreadyWritten() {
    if (alreadyWritten_ == 0) return;
    wchar_t count[64];
    swprintf(count, 64, L"%u %ls of this run were already in ", alreadyWritten_, kind_.lineNames);
    SayAboutFile(count, L"; they were not written again.\r\n");
    alreadyWritten_ = 0;
}

// After failed flushes, the first that wrote says so: the state is good again.
void DayFile::SayWritingAgain() {
    wchar_t count[64];
    swprintf(count, 64, L"Writing again after %u failed flush%ls: ", failedFlushes_, failedFlushes_ == 1 ? L"" : L"es");
    SayAboutFile(count, L".\r\n");
}

// A line in the log box about the day's file: before, its host path, after.
void DayFile::SayAboutFile(const wchar_t* before, const wchar_t* after) {
    wchar_t line[kNoteChars];
    const size_t used = wcslen(before);
    wmemcpy(line, before, used);
    wchar_t host[kNoteChars];
    files_.DisplayPath(BuildPath(), host, kNoteChars);
    swprintf(line + used, kNoteChars - used, L"%ls%ls", host, after);
    boxes_.AppendText(kLogBox, line);
}

BoundedText DayFile::NewLine() {
    return BoundedText(buffer_ + fillLength_, static_cast<size_t>(bufferBytes_ - fillLength_));
}

bool DayFile::AppendLine(const BoundedText& line) {
    if (!line.Fits()) {
        buffer_[fillLength_] = '\0';
        return false;
    }
    fillLength_ += static_cast<int32_t>(line.Length());
    ++pendingLines_;
    return true;
}

int DayFile::FlushIfDue() { return FlushDue() ? Flush() : 0; }

int DayFile::Flush() { return FlushLines(false); }

int DayFile::FlushToDisk() {
    SayAlreadyWritten();
    return FlushLines(true);
}

int DayFile::FlushLines(bool toDisk) {
    const bool due = fillLength_ > 0 || (toDisk && unsynced_);
    const int result = due ? AppendToFile(toDisk) : 0;
    if (due && result == 0 && failing_) SayWritingAgain();
    if (due) failing_ = result != 0;
    failedFlushes_ = failing_ ? failedFlushes_ + 1 : 0;
    if (result == 0) {
        writtenToday_ += pendingLines_;
        linesWritten_ += pendingLines_;
        Reset();
        lastFlushTick_ = clock_.TickMs();
    }
    return result;
}

void DayFile::Reset() {
    buffer_[0] = '\0';
    fillLength_ = 0;
    pendingLines_ = 0;
    minuteKey_ = -1;
}

bool DayFile::SetFolder(const wchar_t* newFolder) {
    const size_t length = wcsnlen(newFolder, kFolderChars);
    if (length == kFolderChars) {
        Report(L"(%u) Folder Name Too Long \r\n");
        return false;
    }
    // Lines already flushed stay where they are; only the next ones go to the new folder,
    // whose files this run has not looked at yet.
    const bool changed = wcscmp(folder_, newFolder) != 0;
    if (changed) {
        unsynced_ = false;
        leftAlone_ = false;
        trailedSize_ = kInvalidSize;
        SayAlreadyWritten();
        ends_.Forget();
    }
    wmemcpy(folder_, newFolder, length + 1);
    if (changed && dateKey_ >= 0) LearnDayEnd();
    return true;
}

void DayFile::GetFolder(wchar_t* out) const { wmemcpy(out, folder_, wcslen(folder_) + 1); }

const wchar_t* DayFile::BuildPath() {
    // Cannot be cut: the folder is at most kFolderChars - 1 and the name behind it at
    // most 19 characters, even for a date of three-digit months and days.
    swprintf(filePath_, kFilePathChars, kind_.pathFormat, folder_, 2000 + fileYear_, fileMonth_, fileDay_);
    return filePath_;
}

void DayFile::ReportFailure(Step step, FileHandle file) { ReportError(step, files_.LastError(), file); }

void DayFile::ReportError(Step step, uint32_t error, FileHandle file) {
    lastError_ = error;
    ++fileErrors_;
    // The failure itself is what the user hears of; a close after it adds nothing.
    if (file != kInvalidFile) static_cast<void>(files_.Close(file));
    // The same failure again on every flush would bury the log: it is counted, and
    // said with its count at most once a minute.
    if (SameAsExplained(step)) {
        ++repeats_;
        if (clock_.TickMs() - repeatSaidTick_ < kRepeatSayMs) return;
        wchar_t format[kMessageChars];
        swprintf(format, kMessageChars, L"%ls", TextOf(step).message);
        const size_t end = wcscspn(format, L"\r");
        swprintf(format + end, static_cast<size_t>(kMessageChars) - end, L"repeated %u times \r\n", repeats_);
        Report(format);
    } else {
        Report(TextOf(step).message);
        Explain(step);
    }
    repeats_ = 0;
    repeatSaidTick_ = clock_.TickMs();
}

bool DayFile::SameAsExplained(Step step) const {
    const wchar_t* path = step == Step::CreateFolder ? folder_ : filePath_;
    return explained_ && explainedStep_ == step && explainedError_ == lastError_ && wcscmp(explainedPath_, path) == 0;
}

void DayFile::Report(const wchar_t* format) {
    const uint32_t number = messages_.Next();
    swprintf(messageText_, kMessageChars, format, number, lastError_);
    boxes_.AppendText(kLogBox, messageText_);
}

// The line in words after a numbered message: the cause, the path, what to do.
void DayFile::Explain(Step step) {
    const wchar_t* path = step == Step::CreateFolder ? folder_ : filePath_;
    explained_ = true;
    explainedStep_ = step;
    explainedError_ = lastError_;
    wmemcpy(explainedPath_, path, wcslen(path) + 1);

    const StepText& text = TextOf(step);
    size_t used = wcslen(text.what);
    wmemcpy(explanation_, text.what, used);
    // The path takes at most kDisplayPathChars, so the sentences behind it always fit.
    files_.DisplayPath(path, explanation_ + used, kDisplayPathChars);
    used += wcslen(explanation_ + used);
    wchar_t reason[kReasonChars];
    files_.DescribeError(lastError_, reason, kReasonChars);
    swprintf(explanation_ + used, kExplanationChars - used, L": %ls. %ls\r\n", reason, text.advice);
    boxes_.AppendText(kLogBox, explanation_);
}

int DayFile::AppendToFile(bool toDisk) {
    // Another recorder on the same folder may have made it in between.
    if (!files_.FolderExists(folder_) && !files_.CreateFolder(folder_) && !files_.FolderExists(folder_)) {
        return Fail(kFlushCreateFolderFailed, Step::CreateFolder);
    }
    const bool trailed = kind_.trailed != nullptr;
    const FileHandle file = files_.OpenDayFile(BuildPath(), trailed ? DayFileAccess::Update : DayFileAccess::Append);
    if (file == kInvalidFile) return Fail(kFlushOpenFailed, Step::Open);

    // The file is locked until Close, so its end is this flush's alone; a failed step
    // takes it back to the size it had, so that it only ever grows by whole lines.
    uint64_t before = kInvalidSize;
    if (fillLength_ > 0) {
        const int result = trailed ? AppendBeforeTrailer(file, &before) : AppendLines(file, &before);
        if (result != 0) return result;
        if (leftAlone_) return files_.Close(file) ? 0 : Fail(kFlushWriteFailed, Step::Close);
    }
    if (toDisk && !files_.Sync(file)) {
        if (!trailed || before == kInvalidSize) return Undo(kFlushWriteFailed, Step::Sync, file, before);
        const uint32_t error = files_.LastError();
        trailedSize_ = kInvalidSize;
        RestoreTrailer(file, trailedStart_);
        ReportError(Step::Sync, error, file);
        return kFlushWriteFailed;
    }
    if (!files_.Close(file)) return Fail(kFlushWriteFailed, Step::Close);
    unsynced_ = !toDisk;
    explained_ = false;
    // The header went in with these lines: this run started the file.
    if (before == 0) {
        ++filesStarted_;
        wmemcpy(startedPath_, filePath_, wcslen(filePath_) + 1);
    }
    return 0;
}

// Sets *before to the size the file had, once it is known.
int DayFile::AppendLines(FileHandle file, uint64_t* before) {
    // A size that cannot be told counts as a file that has its header.
    *before = files_.Size(file);
    if (*before == 0) {
        kind_.header(headerText_, sizeof headerText_, fileDay_, fileMonth_, fileYear_, zoneMinutes_);
        if (!WriteAll(file, headerText_, static_cast<uint32_t>(strlen(headerText_)))) {
            return Undo(kFlushHeaderFailed, Step::Header, file, 0);
        }
    }
    // A file that had bytes is looked at from its end: its last line may have been cut
    // (a kill in the middle of a write, a power cut) and is taken out, and its last whole
    // line tells, at the first look of this run, which points it holds already, so that
    // the cut line's point comes again whole. Reading leaves the position at the end.
    const char* lineEnd = "";
    if (*before == 0) {
        if (files_.SeekFromEnd(file, 0) == kInvalidSize) return Undo(kFlushSeekFailed, Step::Seek, file, 0);
        KnowDayEnd(DayFileEnds::kNone);
    } else {
        char tail[kDayEndBytes];
        const uint32_t back = *before == kInvalidSize ? 1 : *before < kDayEndBytes ? static_cast<uint32_t>(*before)
                                                                               : kDayEndBytes;
        const uint64_t position = files_.SeekFromEnd(file, -static_cast<int64_t>(back));
        if (position == kInvalidSize) return Undo(kFlushSeekFailed, Step::Seek, file, *before);
        *before = position + back;
        uint32_t count = 0;
        if (!files_.Read(file, tail, back, &count) || count != back) {
            return Undo(kFlushReadFailed, Step::ReadEnd, file, *before);
        }
        const char last = tail[back - 1];
        lineEnd = last == '\n' ? "" : last == '\r' ? "\n" : "\r\n";
        if (!dayEndKnown_ && back > 1) KnowDayEnd(DayFileEnds::LastLineStamp(tail, back, kind_.stampField, position == 0));
        DropAlreadyWritten();
        // Every pending line was there already: the file stays as it is.
        if (fillLength_ == 0) return 0;
        uint32_t whole = last == '\n' || last == '\r' ? 0 : back;
        while (whole > 0 && tail[whole - 1] != '\n') --whole;
        if (whole > 0) {
            if (!files_.Truncate(file, position + whole) || files_.SeekFromEnd(file, 0) == kInvalidSize) {
                return Undo(kFlushWriteFailed, Step::Write, file, *before);
            }
            *before = position + whole;
            lineEnd = "";
            SayAboutFile(L"The last line of ", L" was cut short (a crash or a power cut); it was taken out.\r\n");
        }
    }
    if ((lineEnd[0] != '\0' && !WriteAll(file, lineEnd, static_cast<uint32_t>(strlen(lineEnd)))) ||
        !WriteAll(file, buffer_, static_cast<uint32_t>(fillLength_))) {
        return Undo(kFlushWriteFailed, Step::Write, file, *before);
    }
    return 0;
}

int DayFile::AppendBeforeTrailer(FileHandle file, uint64_t* before) {
    const TrailedEnd::Form& form = *kind_.trailed;
    *before = files_.Size(file);
    if (*before == kInvalidSize) return Undo(kFlushSeekFailed, Step::Seek, file, kInvalidSize);
    TrailedEnd::Place place;
    const size_t trailerLength = strlen(form.trailer);
    // The size the file has when the lines go in.
    uint64_t size = *before;
    TrailedEnd::Found found = TrailedEnd::Found::Fresh;
    if (*before != 0 && *before == trailedSize_) {
        found = TrailedEnd::Found::AtTrailer;
        place.position = *before - trailerLength;
    } else if (*before != 0) {
        found = TrailedEnd::Find(files_, file, *before, form, &place);
    }
    trailedSize_ = kInvalidSize;
    switch (found) {
        case TrailedEnd::Found::Unreadable:
            return Undo(kFlushReadFailed, Step::ReadEnd, file, kInvalidSize);
        case TrailedEnd::Found::Foreign:
            // Someone else's file of that name: neither changed nor counted as ours.
            leftAlone_ = true;
            pendingLines_ = 0;
            SayAboutFile(L"Kestrave did not write ", L", so it is left alone: no GPX is written for that day.\r\n");
            return 0;
        case TrailedEnd::Found::Fresh: {
            const int result = StartTrailed(file, *before, &place);
            if (result != 0) return result;
            *before = 0;
            size = place.position + trailerLength;
            break;
        }
        case TrailedEnd::Found::CutBack:
            // A crash or a power cut tore the end: what follows the last whole line goes.
            if (!files_.Truncate(file, place.position)) return Undo(kFlushWriteFailed, Step::Write, file, kInvalidSize);
            SayAboutFile(L"The end of ", L" was torn (a crash or a power cut); it was cut back to its last whole point.\r\n");
            size = place.position;
            break;
        case TrailedEnd::Found::AtTrailer:
            break;
    }
    // One write puts the lines over the trailer and the trailer behind them: a run
    // killed at any moment leaves a whole document.
    const size_t breakLength = kind_.groupBreak == nullptr ? 0 : strlen(kind_.groupBreak);
    const bool skipBreak = place.emptyGroup && breakLength > 0 &&
                           static_cast<size_t>(fillLength_) >= breakLength &&
                           memcmp(buffer_, kind_.groupBreak, breakLength) == 0;
    const char* start = buffer_ + (skipBreak ? breakLength : 0);
    memcpy(buffer_ + fillLength_, form.trailer, trailerLength);
    const uint32_t length = static_cast<uint32_t>(buffer_ + fillLength_ + trailerLength - start);
    const bool written = files_.SeekFromEnd(file, -static_cast<int64_t>(size - place.position)) != kInvalidSize &&
                         WriteAll(file, start, length);
    buffer_[fillLength_] = '\0';
    if (!written) {
        const uint32_t error = files_.LastError();
        RestoreTrailer(file, place.position);
        ReportError(Step::Write, error, file);
        return kFlushWriteFailed;
    }
    trailedSize_ = place.position + length;
    trailedStart_ = place.position;
    return 0;
}

int DayFile::StartTrailed(FileHandle file, uint64_t size, TrailedEnd::Place* place) {
    kind_.header(headerText_, sizeof headerText_, fileDay_, fileMonth_, fileYear_, zoneMinutes_);
    const uint32_t headerLength = static_cast<uint32_t>(strlen(headerText_));
    if ((size != 0 && !files_.Truncate(file, 0)) || files_.SeekFromEnd(file, 0) == kInvalidSize ||
        !WriteAll(file, headerText_, headerLength) ||
        !WriteAll(file, kind_.trailed->trailer, static_cast<uint32_t>(strlen(kind_.trailed->trailer)))) {
        return Undo(kFlushHeaderFailed, Step::Header, file, 0);
    }
    place->position = headerLength;
    place->emptyGroup = true;
    return 0;
}

void DayFile::RestoreTrailer(FileHandle file, uint64_t position) {
    // Should this fail too, the next flush finds the torn end and cuts it back.
    if (!files_.Truncate(file, position) || files_.SeekFromEnd(file, 0) == kInvalidSize) return;
    static_cast<void>(WriteAll(file, kind_.trailed->trailer, static_cast<uint32_t>(strlen(kind_.trailed->trailer))));
}

bool DayFile::WriteAll(FileHandle file, const char* data, uint32_t length) {
    uint32_t written = 0;
    return files_.Write(file, data, length, &written) && written == length;
}

int DayFile::Undo(int code, Step step, FileHandle file, uint64_t size) {
    const uint32_t error = files_.LastError();
    // Should the cut fail too, the next flush still ends the cut line before its own.
    if (size != kInvalidSize) static_cast<void>(files_.Truncate(file, size));
    ReportError(step, error, file);
    return code;
}

int DayFile::Fail(int code, Step step) {
    ReportFailure(step, kInvalidFile);
    return code;
}
