#pragma once
#include <cstddef>
#include <cstdint>
#include "nmea/GpsFix.h"
#include "format/BoundedText.h"
#include "output/DayFileEnds.h"
#include "output/MessageCounter.h"
#include "output/TrailedEnd.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LocalTimeZone.h"
#include "platform/TextBoxes.h"

// Wide characters of an output folder, terminator included.
constexpr int kFolderChars = 265;
// Wide characters of a day file's full name, terminator included.
constexpr int kFilePathChars = 285;
// Bytes of a day file's end read before an append: two lines of either kind.
constexpr uint32_t kDayEndBytes = 256;
// Wide characters of one log message, terminator included.
constexpr int kMessageChars = 64;
// Wide characters of the line in words behind a numbered message: a host path and
// the sentences around it.
constexpr int kExplanationChars = kDisplayPathChars + 384;

// Result codes of a flush; callers OR them.
enum : int {
    kFlushCreateFolderFailed = 2, kFlushOpenFailed, kFlushHeaderFailed, kFlushSeekFailed, kFlushWriteFailed,
    kFlushReadFailed,
};

// What the track and route writers share: pending lines of one local day in a buffer
// the writer owns, the file of that day in the output folder, the flush that appends
// the lines to it, and the numbered messages about failures, each followed by a line
// in words. The writer adds the line format and the header.
class DayFile {
public:
    // The file operations whose failure is reported, each with its numbered message.
    enum class Step { CreateFolder, Open, Header, Seek, ReadEnd, Write, Sync, Close, ContinueSeek, ContinueRead };

    // Formats the file's header for its local date (two-digit year) into out; zoneMinutes
    // is how far local time was ahead of UTC at the day's first point.
    using HeaderFormat = void (*)(char* out, size_t room, int fileDay, int fileMonth, int fileYear, int zoneMinutes);

    struct Kind {
        const wchar_t* pathFormat;  // "%ls\%04d-%02d-%02d.<ext>": folder, year, month, day
        int32_t fullLength;         // a line arriving at this fill flushes the buffer first
        uint32_t flushPeriodMs;     // a line arriving later than this after a write flushes
        HeaderFormat header;
        int stampField;            // the comma-separated field (from 0) of a line's OleDate stamp
        const wchar_t* lineNames;  // what the lines are, for the log: "track points"
        // A file that is a whole document at every instant: new lines go before its
        // trailer, which then follows them again. Its writer's buffer has room for the
        // trailer behind bufferBytes.
        const TrailedEnd::Form* trailed = nullptr;
        // Pending text that starts with this opens a new group; right behind a group
        // start of the file it is left out, so that no group stays empty.
        const char* groupBreak = nullptr;
    };

    DayFile(FileSystem& files, Clock& clock, LocalTimeZone& zone, TextBoxes& boxes,
            MessageCounter& messages, char* buffer, int32_t bufferBytes, const Kind& kind);

    // Before a line: flushes a full buffer, then follows the fix's UTC minute and local
    // day, flushing the old day's lines into the old day's file on a change and saving
    // that file to the disk. Returns the ORed flush results; *dayStarted (when asked
    // for) tells whether the fix opened a new day, in which case the buffer is empty.
    int BeginLine(const GpsFix& fix, bool* dayStarted = nullptr);
    // The OleDate stamp of the fix, which BeginLine has seen.
    double Stamp(const GpsFix& fix) const;
    // Whether the day's file held a line at or after the fix's stamp when this run first
    // opened it: such a fix gets no line. Counted, and said once the run goes past it.
    // Before the day's file is known, the first flush takes such lines out.
    bool AlreadyWritten(const GpsFix& fix);
    // The stamp of the last whole line of the day's file, found by the first look of
    // this run at it (kNone: it held none); later looks change nothing.
    void KnowDayEnd(int64_t stamp);
    // Looks at the day's file when the run comes to its day rather than at the first
    // flush: the lines are then known to be new as they come, and may go elsewhere too.
    void SetLookFirst(bool on) { lookFirst_ = on; }
    // The room behind the pending text, where the next line is built.
    BoundedText NewLine();
    // Keeps the line built in NewLine's room. A line that does not fit whole is
    // refused: false, and the buffer stays as it was.
    bool AppendLine(const BoundedText& line);
    // After a line: the flush that falls due when the last write is too long ago.
    int FlushIfDue();
    // Whether the next line flushes first (a full buffer), and whether FlushIfDue would.
    bool Full() const { return fillLength_ >= kind_.fullLength; }
    bool FlushDue() const { return clock_.TickMs() - lastFlushTick_ > kind_.flushPeriodMs; }

    // Appends the pending lines to the day's file. A failed flush leaves the file as it
    // was and keeps the lines.
    int Flush();
    // Flush, then returns once the day's file, with this run's earlier lines, is on the disk.
    int FlushToDisk();
    void Reset();
    bool SetFolder(const wchar_t* folder);
    void GetFolder(wchar_t* out) const;

    // Builds filePath of the current day and returns it.
    const wchar_t* BuildPath();
    // Takes lastError right after a failed call of the step, closes the file when one
    // is open, and reports the step's message with it.
    void ReportFailure(Step step, FileHandle file);
    // A numbered message in the log box; a second "%u" in format shows lastError.
    void Report(const wchar_t* format);
    // A line in words in the log box about the day's file: before, its host path, after.
    void SayAboutFile(const wchar_t* before, const wchar_t* after);

    FileSystem& Files() { return files_; }
    // The day's file is not one this writer made: it is left alone for the day.
    bool LeftAlone() const { return leftAlone_; }
    // How many file operations have failed and said so in the log box.
    uint32_t FileErrors() const { return fileErrors_; }
    // Whether the last flush that had something to write failed, and then why, in words:
    // nothing reaches the day file until one succeeds.
    bool Failing() const { return failing_; }
    const wchar_t* FailureWords() const { return explanation_; }
    // Lines of the current local day that reached its file this run.
    uint32_t WrittenToday() const { return writtenToday_; }
    int32_t FillLength() const { return fillLength_; }
    int FileDay() const { return fileDay_; }
    // Lines of the current local day this run, pending ones included.
    uint32_t LinesToday() const { return writtenToday_ + pendingLines_; }
    // Lines this run appended to a day file, over all days.
    uint32_t LinesWritten() const { return linesWritten_; }
    // Day files this run created (wrote the header of), and the path of the last one.
    uint32_t FilesStarted() const { return filesStarted_; }
    const wchar_t* LastStartedPath() const { return startedPath_; }

private:
    int FlushLines(bool toDisk);
    // Follows the day's file: its end as this run first found it, or not known yet.
    void LearnDayEnd();
    void LookAtDayEnd();
    void DropAlreadyWritten();
    // How many fixes AlreadyWritten held back from the day's file, once, then counts afresh.
    void SayAlreadyWritten();
    int AppendToFile(bool toDisk);
    int AppendLines(FileHandle file, uint64_t* before);
    // For a trailed kind: the pending lines and the trailer over the old trailer.
    int AppendBeforeTrailer(FileHandle file, uint64_t* before);
    // Writes the header and the trailer into the file of size bytes, cut to nothing first.
    int StartTrailed(FileHandle file, uint64_t size, TrailedEnd::Place* place);
    // Cuts the file to where new lines go and puts the trailer back, after a failed write.
    void RestoreTrailer(FileHandle file, uint64_t position);
    bool WriteAll(FileHandle file, const char* data, uint32_t length);
    // Cuts the file back to size (unless kInvalidSize) and reports the failed step.
    int Undo(int code, Step step, FileHandle file, uint64_t size);
    int Fail(int code, Step step);
    void ReportError(Step step, uint32_t error, FileHandle file);
    // The line in words: once for a cause, until a flush succeeds or the cause changes.
    void Explain(Step step);
    bool SameAsExplained(Step step) const;
    void SayWritingAgain();

    FileSystem& files_;
    Clock& clock_;
    LocalTimeZone& zone_;
    TextBoxes& boxes_;
    MessageCounter& messages_;
    char* const buffer_;
    const int32_t bufferBytes_;
    const Kind kind_;

    int32_t fillLength_ = 0;
    uint32_t pendingLines_ = 0;
    uint32_t writtenToday_ = 0;
    uint32_t linesWritten_ = 0;
    uint32_t filesStarted_ = 0;
    wchar_t startedPath_[kFilePathChars] = {};
    int32_t minuteKey_ = -1;
    int32_t dateKey_ = -1;
    int fileDay_ = 0;
    int fileMonth_ = 0;
    int fileYear_ = 0;
    int zoneMinutes_ = 0;
    bool leftAlone_ = false;
    bool lookFirst_ = false;
    // The size this run's last write left the day's trailed file at: a file still of that
    // size ends with this run's trailer behind a whole point, and needs no look.
    uint64_t trailedSize_ = kInvalidSize;
    // Where this flush's lines went in the trailed file: the trailer goes back there
    // should the flush fail after the write.
    uint64_t trailedStart_ = 0;
    double minuteOleDate_ = 0.0;
    uint32_t lastFlushTick_ = 0;
    wchar_t folder_[kFolderChars] = L"\\Kestrave";
    wchar_t filePath_[kFilePathChars] = {};
    wchar_t messageText_[kMessageChars] = {};
    uint32_t lastError_ = 0;
    uint32_t fileErrors_ = 0;
    DayFileEnds ends_;
    int64_t dayEnd_ = DayFileEnds::kNone;
    bool dayEndKnown_ = false;
    bool failing_ = false;
    uint32_t failedFlushes_ = 0;  // in a row
    // The explained failure came again this many times since it was last said.
    uint32_t repeats_ = 0;
    uint32_t repeatSaidTick_ = 0;
    static constexpr uint32_t kRepeatSayMs = 60000;
    // Wide characters of a note about a day file: a path cut at this length still names it.
    static constexpr size_t kNoteChars = 1024;
    uint32_t alreadyWritten_ = 0;
    // Lines went to the day's file since it was last saved to the disk.
    bool unsynced_ = false;
    // The cause that the last line in words was about.
    bool explained_ = false;
    Step explainedStep_ = Step::Open;
    uint32_t explainedError_ = 0;
    wchar_t explainedPath_[kFilePathChars] = {};
    wchar_t explanation_[kExplanationChars] = {};
    // The header gets a buffer of its own: pending lines may already reach into the
    // scratch room behind the writer's buffer, where formatting it would clobber them.
    char headerText_[1024] = {};
};
