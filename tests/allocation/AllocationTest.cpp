// The program keeps no heap after start-up: a replay, of any length, allocates nothing.
// The application is wired as `kestrave replay --out DIR --status-log FILE` wires it,
// on the real file system, and the recordings come from the simulator.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Utf8.h"
#include "console/ConsoleObserver.h"
#include "cli/HostApplication.h"
#include "console/ReplayClock.h"
#include "console/ReplayLoop.h"
#include "tests/allocation/CountingAllocator.h"
#include "tests/support/TempFolder.h"
#include "simulator/NmeaSimulator.h"

namespace {

std::string Simulate(const TempFolder& folder, const char* name, double hours, uint32_t seed) {
    SimulatorOptions options;
    options.hours = hours;
    options.seed = seed;
    const std::string path = folder.path + "/" + name;
    std::string error;
    EXPECT_TRUE(WriteSimulatedRecording(path.c_str(), options, error)) << error;
    return path;
}

// Replays one file to its end, as the replay command's loop does, and returns how
// many allocations that made. Nothing here allocates of its own.
uint64_t CountedReplay(Application& app, ReplayClock& clock, const std::string& file) {
    wchar_t path[PATH_MAX];
    Utf8ToWide(file.c_str(), path, PATH_MAX);
    const uint64_t before = Allocations().mallocs;
    if (app.window.OpenNmeaFile(path)) {
        while (app.poller.Replaying()) {
            clock.NextTick();
            app.window.Tick();
        }
    }
    return Allocations().mallocs - before;
}

TEST(NoHeapAfterStartUp, ReplaysOfAnyLengthAllocateNothing) {
    TempFolder folder;
    const std::string warmUp = Simulate(folder, "warm-up.nmea", 0.05, 3);
    const std::string oneHour = Simulate(folder, "one-hour.nmea", 1.0, 4);
    const std::string sixHours = Simulate(folder, "six-hours.nmea", 6.0, 5);

    // Start-up, as the replay command makes it.
    CommandLine line;
    line.outDir = folder.path + "/out";
    line.configDir = folder.path + "/config";
    FILE* statusLog = fopen((folder.path + "/status.txt").c_str(), "wb");
    ASSERT_NE(statusLog, nullptr);
    static ReplayClock clock;
    std::string error;
    ASSERT_TRUE(HostApplication::Start(line, clock, error)) << error;
    Application& app = HostApplication::App();
    ConsoleObserver observer(statusLog, false);
    app.dialog.SetObserver(&observer);
    app.window.Create();
    app.window.Activate();
    PrepareReplay(app);

    // The C library sets up a few things on first use: the status log's buffer and
    // the time zone. A short replay first lets it.
    const uint64_t firstUse = CountedReplay(app, clock, warmUp);
    const uint64_t startedAt = Allocations().mallocs;
    const uint64_t inOneHour = CountedReplay(app, clock, oneHour);
    const uint64_t inSixHours = CountedReplay(app, clock, sixHours);
    app.window.Teardown();
    const uint64_t inAll = Allocations().mallocs - startedAt;
    fclose(statusLog);

    printf("allocations: %llu in the warm-up replay (first use of the C library), "
           "%llu in 1 h, %llu in 6 h, %llu from the end of the warm-up to the teardown\n",
           static_cast<unsigned long long>(firstUse), static_cast<unsigned long long>(inOneHour),
           static_cast<unsigned long long>(inSixHours), static_cast<unsigned long long>(inAll));
    EXPECT_EQ(inOneHour, 0u);
    EXPECT_EQ(inSixHours, 0u);
    EXPECT_EQ(inAll, 0u);
    // The replays did run: both wrote day files and their status texts.
    EXPECT_TRUE(folder.Exists("out/2026-01-14.plt"));
    EXPECT_GT(folder.Read("status.txt").size(), 6u * 3600u * 100u);
}

// Kept where the compiler cannot see it, so that no allocation below is left out.
void* volatile escaped[3];

// The counter itself sees what it has to: the C library's and the C++ allocations.
TEST(NoHeapAfterStartUp, TheCounterSeesMallocAndNew) {
    const AllocationCount before = Allocations();
    escaped[0] = malloc(16);
    escaped[1] = new int(3);
    escaped[2] = new char[100];
    const AllocationCount after = Allocations();
    free(escaped[0]);
    delete static_cast<int*>(escaped[1]);
    delete[] static_cast<char*>(escaped[2]);
    EXPECT_EQ(after.news - before.news, 2u);
    EXPECT_EQ(after.mallocs - before.mallocs, 3u);
}

}  // namespace
