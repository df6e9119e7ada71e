// The whole program stays small: replaying a day of recording (some 35 MB of NMEA)
// keeps its peak resident memory under 8 MB, since nothing grows with the input.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/support/TempFolder.h"
#include "simulator/NmeaSimulator.h"

namespace {

constexpr long kLimitKb = 8 * 1024;

off_t SizeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

TEST(PeakMemory, ReplayOfADayStaysUnderEightMegabytes) {
#ifdef KESTRAVE_EMULATED
    GTEST_SKIP() << "under an emulator the peak memory would be the emulator's";
#endif
    TempFolder folder;
    SimulatorOptions options;
    options.hours = 24.0;
    options.seed = 11;
    const std::string recording = folder.path + "/day.nmea";
    std::string error;
    ASSERT_TRUE(WriteSimulatedRecording(recording.c_str(), options, error)) << error;

    const std::string out = folder.path + "/out";
    const std::string statusLog = folder.path + "/status.txt";
    const std::string config = folder.path + "/config";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
        execl(KESTRAVE_BINARY, KESTRAVE_BINARY, "replay", recording.c_str(), "--out", out.c_str(), "--status-log",
              statusLog.c_str(), "--config", config.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(wait4(child, &status, 0, &usage), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    printf("peak resident memory of kestrave replay on %lld bytes: %ld kB\n", static_cast<long long>(SizeOf(recording)),
           usage.ru_maxrss);
    EXPECT_LT(usage.ru_maxrss, kLimitKb);
    // It did replay the day: a status text for every second.
    EXPECT_GT(SizeOf(statusLog), 10 * 1000 * 1000);
}

}  // namespace
