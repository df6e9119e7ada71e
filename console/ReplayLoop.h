#pragma once
#include <cstdint>
#include <string>
#include "console/ReplayClock.h"

class Application;

// What the replay loop asks of the program around it: whether the user asked it to
// stop, and where a progress display stands.
class ReplayWatcher {
public:
    virtual ~ReplayWatcher() = default;
    virtual bool StopRequested() = 0;
    // size: the file's size in bytes, or kInvalidSize when it cannot be told.
    virtual void Started(uint64_t) {}
    virtual void Fed(uint64_t) {}
    virtual void Finished() {}
};

// Readies a program whose window exists and whose timer runs for a replay: it reads
// only its files (the port stays closed), into the output folder of the settings or
// of --out. This is the replay's first tick.
void PrepareReplay(Application& app);

// Feeds one file through the ticks of the live program, back to back without
// waiting, so that the day files are byte for byte what a timed replay writes. True
// when the file was fed to its end or could not be opened (the log box says so);
// false, with the bytes fed so far, when a stop came first.
bool ReplayFile(Application& app, ReplayClock& clock, const wchar_t* path, ReplayWatcher& watcher,
                uint64_t* stoppedAt);

// After the teardown: whether a file error was logged in the run, the teardown's
// flushes included.
bool FileErrorsLogged(Application& app);

// Says on standard error that the replay of file stopped after at bytes; by names
// the key or signal that stopped it.
void SayReplayStopped(const char* by, const std::string& file, uint64_t at);
