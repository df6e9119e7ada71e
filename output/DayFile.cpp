#include "output/DayFile.h"

#include <cstring>
#include <cwchar>

#include "output/TimeConversion.h"

namespace {

// The UTC minute of a fix (two-digit year).
int32_t MinuteKey(const GpsFix& fix) {
    return (((fix.year * 12 + fix.month) * 31 + fix.day) * 24 + fix.hour) * 60 + fix.minute;
}

// A local date (two-digit year).
int32_t DateKey(const GpsFix& local) { return (local.year * 12 + local.month) * 31 + local.day; }

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
            if (dateKey_ >= 0) result |= Flush();
            Reset();
            dateKey_ = date;
            fileDay_ = local.day;
            fileMonth_ = local.month;
            fileYear_ = local.year;
            started = true;
        }
        minuteKey_ = minute;
        minuteOleDate_ = ToOleDate(fix.day, fix.month, 2000 + fix.year, fix.hour, fix.minute, 0);
    }
    if (dayStarted != nullptr) *dayStarted = started;
    return result;
}

double DayFile::Stamp(const GpsFix& fix) const { return minuteOleDate_ + fix.seconds * kDaysPerSecond; }

BoundedText DayFile::NewLine() {
    return BoundedText(buffer_ + fillLength_, static_cast<size_t>(bufferBytes_ - fillLength_));
}

bool DayFile::AppendLine(const BoundedText& line) {
    if (!line.Fits()) {
        buffer_[fillLength_] = '\0';
        return false;
    }
    fillLength_ += static_cast<int32_t>(line.Length());
    return true;
}

int DayFile::FlushIfDue() {
    if (clock_.TickMs() - lastFlushTick_ > kind_.flushPeriodMs) return Flush();
    return 0;
}

int DayFile::Flush() {
    const int result = fillLength_ == 0 ? 0 : AppendToFile();
    if (result == 0) {
        Reset();
        lastFlushTick_ = clock_.TickMs();
    }
    return result;
}

void DayFile::Reset() {
    buffer_[0] = '\0';
    fillLength_ = 0;
    minuteKey_ = -1;
}

bool DayFile::SetFolder(const wchar_t* newFolder) {
    const size_t length = wcsnlen(newFolder, kFolderChars);
    if (length == kFolderChars) {
        Report(L"(%u) Folder Name Too Long \r\n");
        return false;
    }
    wmemcpy(folder_, newFolder, length + 1);
    return true;
}

void DayFile::GetFolder(wchar_t* out) const { wmemcpy(out, folder_, wcslen(folder_) + 1); }

const wchar_t* DayFile::BuildPath() {
    // Cannot be cut: the folder is at most kFolderChars - 1 and the name behind it at
    // most 19 characters, even for a date of three-digit months and days.
    swprintf(filePath_, kFilePathChars, kind_.pathFormat, folder_, 2000 + fileYear_, fileMonth_, fileDay_);
    return filePath_;
}

void DayFile::ReportFailure(const wchar_t* format, FileHandle file) {
    lastError_ = files_.LastError();
    ++fileErrors_;
    if (file != kInvalidFile) files_.Close(file);
    Report(format);
}

void DayFile::Report(const wchar_t* format) {
    const uint32_t number = messages_.Next();
    swprintf(messageText_, kMessageChars, format, number, lastError_);
    boxes_.AppendText(kLogBox, messageText_);
}

int DayFile::AppendToFile() {
    if (!files_.FolderExists(folder_) && !files_.CreateFolder(folder_)) {
        return Fail(kFlushCreateFolderFailed, L"(%u) CreateDirectory Error: %u \r\n", kInvalidFile);
    }
    const FileHandle file = files_.OpenAlways(BuildPath());
    if (file == kInvalidFile) return Fail(kFlushOpenFailed, L"(%u) File Open Error: %u \r\n", kInvalidFile);

    // A size that cannot be told counts as a file that has its header.
    if (files_.Size(file) == 0) {
        kind_.header(headerText_, sizeof headerText_, fileDay_, fileMonth_, fileYear_);
        if (!WriteAll(file, headerText_, static_cast<uint32_t>(strlen(headerText_)))) {
            return Fail(kFlushHeaderFailed, L"(%u) File Header Write Error: %u \r\n", file);
        }
    }
    if (files_.SeekFromEnd(file, 0) == kInvalidSize) {
        return Fail(kFlushSeekFailed, L"(%u) Set File Pointer Error: %u \r\n", file);
    }
    if (!WriteAll(file, buffer_, static_cast<uint32_t>(fillLength_))) {
        return Fail(kFlushWriteFailed, L"(%u) File Write Error: %u \r\n", file);
    }
    files_.Close(file);
    return 0;
}

bool DayFile::WriteAll(FileHandle file, const char* data, uint32_t length) {
    uint32_t written = 0;
    return files_.Write(file, data, length, &written) && written == length;
}

int DayFile::Fail(int code, const wchar_t* format, FileHandle file) {
    ReportFailure(format, file);
    return code;
}
