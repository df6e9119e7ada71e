// The day files on a real file system: what may stand in their place, two writers at
// once, a write cut short by the file size limit, files beyond 4 GiB.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "platform/posix/PosixFileSystem.h"
#include "tests/support/ContinuedDay.h"
#include "tests/support/ExampleFix.h"
#include "tests/support/ProcessingRig.h"
#include "tests/support/TempFolder.h"

namespace {

const std::string kTrackName = "Kestrave/2009-03-25.plt";
const std::string kRouteName = "Kestrave/2009-03-25.rte";

struct Rig : WritersOn<PosixFileSystem> {
    explicit Rig(const std::string& root) : WritersOn<PosixFileSystem>(root.c_str()) {}

    bool Logged(const std::string& text) const {
        return boxes.log.find(std::wstring(text.begin(), text.end())) != std::wstring::npos;
    }
};

// The lines the writer makes of these fixes, as a fresh writer has them pending.
std::string TrackLinesOf(const std::vector<GpsFix>& fixes) {
    Rig rig("/");
    for (const GpsFix& fix : fixes) rig.track.AddPoint(fix);
    return rig.track.PendingText();
}

// Runs body in a child process that is ended after `seconds`.
pid_t StartChild(int seconds, const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(static_cast<unsigned>(seconds));
        _exit(body());
    }
    return pid;
}

// The child's exit code, or -1 when it did not end by itself.
int WaitForChild(pid_t pid) {
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int InChildProcess(int seconds, const std::function<int()>& body) { return WaitForChild(StartChild(seconds, body)); }

uint64_t SizeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

// --- Links and file types

// Whatever stands under the day file's name that is not a plain file of ours stops the
// flush at once, with a reason, and nothing behind it is touched.
TEST(DayFilePosix, OnlyAPlainFileWithOneNameIsWritten) {
    const struct {
        const char* name;
        void (*arrange)(const std::string& dir, const std::string& day);
        const char* reason;
    } cases[] = {
        {"link to a file elsewhere",
         [](const std::string& dir, const std::string& day) { symlink((dir + "/victim").c_str(), day.c_str()); },
         "it is a link"},
        {"dangling link",
         [](const std::string& dir, const std::string& day) { symlink((dir + "/nowhere").c_str(), day.c_str()); },
         "it is a link"},
        {"second name of a file elsewhere",
         [](const std::string& dir, const std::string& day) { link((dir + "/victim").c_str(), day.c_str()); },
         "it is a link"},
        {"pipe", [](const std::string&, const std::string& day) { mkfifo(day.c_str(), 0644); },
         "it is not a regular file"},
        {"folder", [](const std::string&, const std::string& day) { mkdir(day.c_str(), 0755); }, "Is a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        mkdir((temp.path + "/Kestrave").c_str(), 0755);
        temp.Write("victim", "not ours\n");
        c.arrange(temp.path, temp.path + "/" + kTrackName);
        c.arrange(temp.path, temp.path + "/" + kRouteName);
        // A pipe must not hold the flush up, nor the route's look at its day's end.
        const int outcome = InChildProcess(10, [&] {
            Rig rig(temp.path);
            rig.routeWriter.AddWaypoint(ExampleFix());
            rig.track.AddPoint(ExampleFix());
            if (rig.track.Flush() != kFlushOpenFailed || rig.routeWriter.Flush() != kFlushOpenFailed) return 1;
            if (!rig.Logged("Cannot open " + temp.path + "/" + kTrackName + ": " + c.reason)) return 2;
            if (!rig.Logged("Cannot open " + temp.path + "/" + kRouteName + ": " + c.reason)) return 3;
            return 0;
        });
        EXPECT_EQ(outcome, 0) << "-1: hung; 1: not refused; 2, 3: the words miss the path or the reason";
        EXPECT_EQ(temp.Read("victim"), "not ours\n");
        EXPECT_FALSE(temp.Exists("nowhere"));
    }
}

// --- Concurrency

// Each writer first looks at the file (a flush of one earlier point), then both append
// the same minutes at once: their lines interleave, none is lost, cut or doubled.
TEST(DayFilePosix, TwoWritersAppendingAtOnceLoseAndCutNoLine) {
    TempFolder temp;
    constexpr int kFlushes = 300;
    constexpr int kLinesPerFlush = 3;
    int ready[2];
    int go[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    const auto writer = [&](double latitude) {
        return [&temp, &ready, &go, latitude] {
            Rig rig(temp.path);
            GpsFix fix = ExampleFixAt(25, 3, 9, 11, 0, 0);
            fix.latitude = latitude;
            rig.track.AddPoint(fix);
            char byte = 'r';
            if (rig.track.Flush() != 0 || write(ready[1], &byte, 1) != 1 || read(go[0], &byte, 1) != 1) return 2;
            for (int point = 0; point < kFlushes * kLinesPerFlush; ++point) {
                fix = ExampleFixAt(25, 3, 9, 12, point / 60, point % 60);
                fix.latitude = latitude;
                rig.track.AddPoint(fix);
                if (point % kLinesPerFlush == kLinesPerFlush - 1 && rig.track.Flush() != 0) return 1;
            }
            return 0;
        };
    };
    const pid_t first = StartChild(60, writer(55.75));
    const pid_t second = StartChild(60, writer(48.125));
    char byte = 0;
    for (int looked = 0; looked < 2; ++looked) ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(write(go[1], "gg", 2), 2);
    EXPECT_EQ(WaitForChild(first), 0);
    EXPECT_EQ(WaitForChild(second), 0);
    for (int fd : {ready[0], ready[1], go[0], go[1]}) close(fd);

    std::istringstream lines(temp.Read(kTrackName));
    const std::regex point(
        R"((55\.75000000|48\.12500000), 37\.61660000,0, 492\.13, \d+\.\d{8}, 25\.03\.09, 12:\d\d:\d\d\r)");
    std::set<std::string> points;
    int headers = 0;
    int lineCount = 0;
    for (std::string line; std::getline(lines, line); ++lineCount) {
        if (line.rfind("OziExplorer", 0) == 0) ++headers;
        // The first looks: the one flushed second may leave out its point as held already.
        if (lineCount < 6 || line.find(", 11:00:00") != std::string::npos) continue;
        EXPECT_TRUE(std::regex_match(line, point)) << "line " << lineCount << ": " << line;
        points.insert(line);
    }
    EXPECT_EQ(headers, 1);
    EXPECT_EQ(points.size(), 2u * kFlushes * kLinesPerFlush);
    EXPECT_GE(lineCount, 7 + 2 * kFlushes * kLinesPerFlush);
    EXPECT_LE(lineCount, 8 + 2 * kFlushes * kLinesPerFlush);
}

TEST(DayFilePosix, AFlushWaitsForAnotherWritersLockAndFailsWhenItIsKept) {
    for (int heldMs : {300, 3500}) {
        SCOPED_TRACE(heldMs);
        TempFolder temp;
        mkdir((temp.path + "/Kestrave").c_str(), 0755);
        const int holder = open((temp.path + "/" + kTrackName).c_str(), O_RDWR | O_CREAT, 0644);
        ASSERT_EQ(flock(holder, LOCK_EX), 0);
        std::thread release([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(heldMs));
            close(holder);
        });
        Rig rig(temp.path);
        rig.track.SetGpx(false);  // the track file alone, which first looks at the flush
        rig.track.AddPoint(ExampleFix());
        const auto start = std::chrono::steady_clock::now();
        const int result = rig.track.Flush();
        const auto waited = std::chrono::steady_clock::now() - start;
        release.join();
        EXPECT_GE(waited, std::chrono::milliseconds(std::min(heldMs, 2000)));
        if (heldMs < 1000) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(temp.Read(kTrackName).find("OziExplorer"), 0u);
        } else {
            EXPECT_EQ(result, kFlushOpenFailed);
            EXPECT_TRUE(rig.Logged("another program keeps it locked"))
                << std::string(rig.boxes.log.begin(), rig.boxes.log.end());
        }
    }
}

// --- Partial writes and cut files

TEST(DayFilePosix, AWriteStoppedByTheFileSizeLimitIsTakenBackAndDoneLaterWhole) {
    TempFolder temp;
    mkdir((temp.path + "/Kestrave").c_str(), 0755);
    const std::string earlier = "header\r\n";
    temp.Write(kTrackName, earlier);
    const std::vector<GpsFix> fixes{ExampleFix(), ExampleFixAt(25, 3, 9, 12, 17, 47.0)};
    const int outcome = InChildProcess(10, [&] {
        signal(SIGXFSZ, SIG_IGN);
        Rig rig(temp.path);
        rig.track.SetGpx(false);  // the track file's own write
        for (const GpsFix& fix : fixes) rig.track.AddPoint(fix);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlim_t unlimited = limit.rlim_cur;
        limit.rlim_cur = earlier.size() + 100;  // half of the two lines
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 1;
        if (rig.track.Flush() != kFlushWriteFailed || !rig.Logged("(1) File Write Error: 27 ")) return 2;
        if (SizeOf(temp.path + "/" + kTrackName) != earlier.size()) return 3;
        limit.rlim_cur = unlimited;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 1;
        return rig.track.Flush() == 0 ? 0 : 4;
    });
    EXPECT_EQ(outcome, 0) << "2: not a write error; 3: the file was not taken back; 4: the retry failed";
    EXPECT_EQ(temp.Read(kTrackName), earlier + TrackLinesOf(fixes));
}

// --- Large files

TEST(DayFilePosix, FilesBeyondFourGibibytesAreAppendedToAndContinued) {
    TempFolder temp;
    mkdir((temp.path + "/Kestrave").c_str(), 0755);
    const off_t large = (off_t{1} << 32) + 100;
    const std::string lastWaypoint = std::string(300, ' ') + "\r\n" + kWaypoint57Line;
    for (const std::string& name : {kTrackName, kRouteName}) {
        const int fd = open((temp.path + "/" + name).c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        const bool sparse = ftruncate(fd, large) == 0 &&
                            pwrite(fd, lastWaypoint.data(), lastWaypoint.size(), large) ==
                                static_cast<ssize_t>(lastWaypoint.size());
        close(fd);
        if (!sparse) GTEST_SKIP() << "this file system keeps no file beyond 4 GiB";
    }
    Rig rig(temp.path);
    const std::string line = ContinueBothFiles(rig);
    const uint64_t before = static_cast<uint64_t>(large) + lastWaypoint.size();
    EXPECT_EQ(SizeOf(temp.path + "/" + kTrackName), before + line.size());
    const int fd = open((temp.path + "/" + kTrackName).c_str(), O_RDONLY);
    std::string end(line.size(), '\0');
    EXPECT_EQ(pread(fd, &end[0], end.size(), static_cast<off_t>(before)), static_cast<ssize_t>(end.size()));
    close(fd);
    EXPECT_EQ(end, line);
}

}  // namespace
