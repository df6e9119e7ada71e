#pragma once
#include <cstdint>
#include "nmea/GpsFix.h"
#include "output/DayFile.h"
#include "output/GpxWriter.h"
#include "output/MessageCounter.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LocalTimeZone.h"
#include "platform/TextBoxes.h"

// Buffers track points and appends them to the track file of their local day.
class TrackWriter {
public:
    TrackWriter(FileSystem& files, Clock& clock, LocalTimeZone& zone, TextBoxes& boxes);

    int AddPoint(const GpsFix& fix);
    int Flush();
    // Flush, then returns once the day's file is on the disk: the last flush before exit.
    int FlushToDisk();
    void Reset();
    // False (with a numbered message in the log box) when the folder does not fit.
    bool SetFolder(const wchar_t* folder);
    // out must hold kFolderChars characters.
    void GetFolder(wchar_t* out) const;

    const char* PendingText() const;
    int32_t FillLength() const;
    // The GPX day file beside the track file: on unless turned off.
    void SetGpx(bool on);
    bool GpxOn() const { return gpx_.On(); }
    const GpxWriter& Gpx() const { return gpx_; }
    // How many file operations have failed and said so in the log box.
    uint32_t FileErrors() const { return day_.FileErrors() + gpx_.FileErrors(); }
    // The last flush failed: nothing reaches a day file, for the reason in words.
    bool Failing() const { return day_.Failing() || gpx_.Failing(); }
    const wchar_t* FailureWords() const { return day_.Failing() ? day_.FailureWords() : gpx_.FailureWords(); }
    uint32_t WrittenToday() const { return day_.WrittenToday(); }
    // Lines of the current local day this run (pending ones included), lines written
    // this run, day files this run started and the path of the last one.
    uint32_t LinesToday() const { return day_.LinesToday(); }
    uint32_t LinesWritten() const { return day_.LinesWritten(); }
    uint32_t FilesStarted() const { return day_.FilesStarted(); }
    const wchar_t* LastStartedPath() const { return day_.LastStartedPath(); }

private:
    // Pending lines in the first 2048 bytes; the last line may run into the 256 behind.
    static constexpr int32_t kBufferBytes = 2048 + 256;

    // This writer numbers its messages apart from the shared counter.
    MessageCounter messageCounter_;
    char buffer_[kBufferBytes];
    DayFile day_;
    GpxWriter gpx_;
};
