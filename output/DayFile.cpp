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
    : files(files),
      clock(clock),
      zone(zone),
      boxes(boxes),
      messages(messages),
      buffer(buffer),
      bufferBytes(bufferBytes),
      kind(kind) {
    Reset();
}

int DayFile::BeginLine(const GpsFix& fix, bool* dayStarted) {
    int result = 0;
    bool started = false;
    if (fillLength >= kind.fullLength) {
        result = Flush();
        Reset();
        lastFlushTick = clock.TickMs();
    }

    const int32_t minute = MinuteKey(fix);
    if (minute != minuteKey) {
        GpsFix local = {};
        ToLocalTime(zone, fix, local);
        const int32_t date = DateKey(local);
        if (date != dateKey) {
            // The old day's lines go to the old day's file: the file date changes only after.
            if (dateKey >= 0) result |= Flush();
            Reset();
            dateKey = date;
            fileDay = local.day;
            fileMonth = local.month;
            fileYear = local.year;
            started = true;
        }
        minuteKey = minute;
        minuteOleDate = ToOleDate(fix.day, fix.month, 2000 + fix.year, fix.hour, fix.minute, 0);
    }
    if (dayStarted != nullptr) *dayStarted = started;
    return result;
}

double DayFile::Stamp(const GpsFix& fix) const { return minuteOleDate + fix.seconds * kDaysPerSecond; }

BoundedText DayFile::NewLine() {
    return BoundedText(buffer + fillLength, static_cast<size_t>(bufferBytes - fillLength));
}

bool DayFile::AppendLine(const BoundedText& line) {
    if (!line.Fits()) {
        buffer[fillLength] = '\0';
        return false;
    }
    fillLength += static_cast<int32_t>(line.Length());
    return true;
}

int DayFile::FlushIfDue() {
    if (clock.TickMs() - lastFlushTick > kind.flushPeriodMs) return Flush();
    return 0;
}

int DayFile::Flush() {
    const int result = fillLength == 0 ? 0 : AppendToFile();
    if (result == 0) {
        Reset();
        lastFlushTick = clock.TickMs();
    }
    return result;
}

void DayFile::Reset() {
    buffer[0] = '\0';
    fillLength = 0;
    minuteKey = -1;
}

bool DayFile::SetFolder(const wchar_t* newFolder) {
    const size_t length = wcsnlen(newFolder, kFolderChars);
    if (length == kFolderChars) {
        Report(L"(%u) Folder Name Too Long \r\n");
        return false;
    }
    wmemcpy(folder, newFolder, length + 1);
    return true;
}

void DayFile::GetFolder(wchar_t* out) const { wmemcpy(out, folder, wcslen(folder) + 1); }

const wchar_t* DayFile::BuildPath() {
    // Cannot be cut: the folder is at most kFolderChars - 1 and the name behind it at
    // most 19 characters, even for a date of three-digit months and days.
    swprintf(filePath, kFilePathChars, kind.pathFormat, folder, 2000 + fileYear, fileMonth, fileDay);
    return filePath;
}

void DayFile::ReportFailure(const wchar_t* format, FileHandle file) {
    lastError = files.LastError();
    ++fileErrors;
    if (file != kInvalidFile) files.Close(file);
    Report(format);
}

void DayFile::Report(const wchar_t* format) {
    const uint32_t number = messages.Next();
    swprintf(messageText, kMessageChars, format, number, lastError);
    boxes.AppendText(kLogBox, messageText);
}

int DayFile::AppendToFile() {
    if (!files.FolderExists(folder) && !files.CreateFolder(folder)) {
        return Fail(kFlushCreateFolderFailed, L"(%u) CreateDirectory Error: %u \r\n", kInvalidFile);
    }
    const FileHandle file = files.OpenAlways(BuildPath());
    if (file == kInvalidFile) return Fail(kFlushOpenFailed, L"(%u) File Open Error: %u \r\n", kInvalidFile);

    // A size that cannot be told counts as a file that has its header.
    if (files.Size(file) == 0) {
        kind.header(headerText, sizeof headerText, fileDay, fileMonth, fileYear);
        if (!WriteAll(file, headerText, static_cast<uint32_t>(strlen(headerText)))) {
            return Fail(kFlushHeaderFailed, L"(%u) File Header Write Error: %u \r\n", file);
        }
    }
    if (files.SeekFromEnd(file, 0) == kInvalidSize) {
        return Fail(kFlushSeekFailed, L"(%u) Set File Pointer Error: %u \r\n", file);
    }
    if (!WriteAll(file, buffer, static_cast<uint32_t>(fillLength))) {
        return Fail(kFlushWriteFailed, L"(%u) File Write Error: %u \r\n", file);
    }
    files.Close(file);
    return 0;
}

bool DayFile::WriteAll(FileHandle file, const char* data, uint32_t length) {
    uint32_t written = 0;
    return files.Write(file, data, length, &written) && written == length;
}

int DayFile::Fail(int code, const wchar_t* format, FileHandle file) {
    ReportFailure(format, file);
    return code;
}
