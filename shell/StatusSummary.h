#pragma once
#include <cstdint>
#include <string>
#include "input/InputPoller.h"
#include "input/SerialPort.h"
#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "platform/FileSystem.h"

// The lines a user looks for beside the status text: where the input comes from,
// how much today's day files got in this run, where they are, and what the last
// press of Flush did.
class StatusSummary {
public:
    // How many ticks the note about a flush stays.
    static constexpr uint32_t kFlushNoteTicks = 4;

    StatusSummary(FileSystem& files, const TrackWriter& track, const RouteWriter& route, const InputPoller& poller,
                  const SerialPort& port)
        : files_(files), track_(track), route_(route), poller_(poller), port_(port) {}

    // "Replaying <file>", or the port, what it leads to, its speed and whether it is open.
    std::wstring InputLine() const;
    // Track points and waypoints of the current local day that this run wrote, and
    // how many wait for the next flush.
    std::wstring CountsLine() const;
    // The output folder as a host path.
    std::wstring FolderLine() const;

    // Flush was pressed at this tick.
    void NoteFlush(uint32_t tick);
    // For a few ticks after a press: "Flushing...", then what the flush did; else empty.
    // requested tells whether the flush is still to come.
    std::wstring FlushNote(uint32_t tick, bool requested) const;

private:
    std::wstring Folder() const;

    FileSystem& files_;
    const TrackWriter& track_;
    const RouteWriter& route_;
    const InputPoller& poller_;
    const SerialPort& port_;
    bool flushPressed_ = false;
    uint32_t flushTick_ = 0;
    uint32_t errorsAtFlush_ = 0;
};
