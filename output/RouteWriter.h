#pragma once
#include <cstdint>
#include "nmea/GpsFix.h"
#include "output/DayFile.h"
#include "output/MessageCounter.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LocalTimeZone.h"
#include "platform/TextBoxes.h"

// Buffers route waypoints, numbers and names them, and appends them to the route
// file of their local day; continues the day's numbering from an existing file.
class RouteWriter {
public:
    RouteWriter(FileSystem& files, Clock& clock, LocalTimeZone& zone, TextBoxes& boxes,
                MessageCounter& messages);

    int AddWaypoint(const GpsFix& fix);
    int Flush();
    // Flush, then returns once the day's file is on the disk: the last flush before exit.
    int FlushToDisk();
    void Reset();
    bool SetFolder(const wchar_t* folder);
    // For the fix that opens a new local day, while no lines are pending.
    void ContinueRoute(const GpsFix& fix);

    const char* PendingText() const;
    int32_t FillLength() const;
    // How many file operations have failed and said so in the log box.
    uint32_t FileErrors() const { return day_.FileErrors(); }
    // The last flush failed: nothing reaches the day file, for the reason in words.
    bool Failing() const { return day_.Failing(); }
    const wchar_t* FailureWords() const { return day_.FailureWords(); }
    uint32_t WrittenToday() const { return day_.WrittenToday(); }
    // Lines of the current local day this run (pending ones included), lines written
    // this run, day files this run started and the path of the last one.
    uint32_t LinesToday() const { return day_.LinesToday(); }
    uint32_t LinesWritten() const { return day_.LinesWritten(); }
    uint32_t FilesStarted() const { return day_.FilesStarted(); }
    const wchar_t* LastStartedPath() const { return day_.LastStartedPath(); }

private:
    // Pending lines in the first 1024 bytes; the last line may run into the 256 behind.
    static constexpr int32_t kBufferBytes = 1024 + 256;
    // How much of the end of the day's file continuation reads.
    static constexpr uint32_t kTailBytes = 256;

    void FreshPrefix(const GpsFix& fix);
    // *count: the bytes read, which may hold a NUL that ends the text early.
    bool ReadFileTail(uint32_t* count);
    void ContinueFrom(const char* text);
    bool ContinueFromLine(const char* number);
    // Moves on to the next waypoint number and name.
    void Advance();

    char buffer_[kBufferBytes];
    int32_t pointNumber_ = 0;
    int32_t nameCounter_ = 0;
    char namePrefix_[4] = {};
    DayFile day_;
};
