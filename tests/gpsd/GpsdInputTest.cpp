// The logger reading a real gpsd: private daemons that gpsfake feeds from recordings,
// on free ports, compared with what gpsd relayed to its own client gpspipe.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/RuntimeFolder.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TextCount.h"

namespace {


int FreePort() {
    int port = 0;
    close(BindLoopback(&port));
    return port;
}

// Sentences that make no fix, for gpsd to read while the clients connect: what it
// reads before its first watcher comes is lost, and each client sees only what comes
// after it.
std::string WarmUp(int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i) {
        const std::string body = "GPTXT,01,01,02,warming up " + std::to_string(i);
        unsigned sum = 0;
        for (char c : body) sum ^= static_cast<unsigned char>(c);
        char tail[8];
        snprintf(tail, sizeof tail, "*%02X\r\n", sum);
        text += "$" + body + tail;
    }
    return text;
}

// A helper program (gpsfake, gpspipe) in its own process group, killed with all it
// started (gpsfake's gpsd) at the end.
class Helper {
public:
    Helper(const std::string& command, const std::string& outputPath) {
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);
            execl("/bin/sh", "sh", "-c", ("exec " + command + " >'" + outputPath + "' 2>&1").c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        setpgid(pid_, pid_);
    }
    ~Helper() { Stop(); }
    void Stop() {
        if (pid_ <= 0) return;
        kill(-pid_, SIGTERM);
        if (!WaitForExit(5000)) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    bool WaitForExit(int timeoutMs) {
        return ChildProcess::WaitFor(
            [this] {
                if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
                return pid_ <= 0;
            },
            timeoutMs);
    }

private:
    pid_t pid_ = -1;
};

double CpuSeconds(pid_t pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t end = stat.rfind(')');
    if (end == std::string::npos) return -1;
    unsigned long user = 0;
    unsigned long system = 0;
    // utime and stime are fields 14 and 15; field 3 follows the name.
    if (sscanf(stat.c_str() + end + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user, &system) != 2) {
        return -1;
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

class GpsdInput : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"gpsfake", "gpspipe"}) {
            if (RunShell(std::string("command -v ") + tool).exitCode != 0) {
                GTEST_SKIP() << tool << " is not installed (Debian packages gpsd and gpsd-clients): "
                             << "tools/install-deps.sh installs them";
            }
        }
        port = FreePort();
        server = "localhost:" + std::to_string(port);
    }

    std::string Path(const std::string& name) const { return tmp.path + "/" + name; }

    // gpsfake feeding the file once, at one sentence per 2 ms (the logger takes all a
    // tick brings), into a private gpsd that it ends a second after the last one. The
    // warm-up gives the clients warmUpMs to connect: gpsd drops what comes before them.
    std::string Fake(const std::string& name, const std::string& nmea, int warmUpMs) {
        return FakeOn(port, name, nmea, warmUpMs);
    }
    std::string FakeOn(int onPort, const std::string& name, const std::string& nmea, int warmUpMs) {
        tmp.Write(name + ".fed", WarmUp(warmUpMs / kCycleMs) + nmea);
        return "gpsfake -1 -q -W 1 -c 0.002 -P " + std::to_string(onPort) + " '" + Path(name + ".fed") + "'";
    }
    static constexpr int kCycleMs = 2;

    bool Listening() { return ListeningOn(server); }
    static bool ListeningOn(const std::string& at) {
        return RunShell("gpspipe -n 1 -w " + at + " 2>/dev/null").exitCode == 0;
    }

    // Connections that gpsd has taken from clients.
    static int ClientsOn(int onPort) {
        return std::stoi(RunShell("ss -Htn state established '( sport = :" + std::to_string(onPort) + " )' | wc -l")
                             .output);
    }

    std::vector<std::string> Logger(const std::string& out) { return LoggerOf(server, out); }
    std::vector<std::string> LoggerOf(const std::string& at, const std::string& out) {
        return {"log", "--gpsd", at, "--out", Path(out), "--config", Path("config-" + out)};
    }

    void Replay(const std::string& file, const std::string& out) {
        ChildProcess replay({"replay", Path(file), "--out", Path(out), "--config", Path("replay-config")},
                            Path(out + ".txt"));
        ASSERT_TRUE(replay.WaitForExit(60000));
    }

    TempFolder tmp;
    RuntimeFolder runtime{tmp.path.c_str()};
    int port = 0;
    std::string server;
};

// Both recordings at once, each through a gpsd of its own.
TEST_F(GpsdInput, DayFilesEqualAReplayOfWhatGpsdRelayed) {
    struct Case {
        const char* recording;
        const char* day;
        int port;
        std::string server;
        std::unique_ptr<Helper> fake, pipe;
        std::unique_ptr<ChildProcess> logger;
    };
    Case cases[] = {{"gpsd-haicom-305N.nmea", "2007-04-08", port, server, {}, {}, {}},
                    {"gpsd-quectel-eg25-g.nmea", "2022-09-11", 0, "", {}, {}, {}}};
    cases[1].port = FreePort();
    ASSERT_NE(cases[1].port, port);
    cases[1].server = "localhost:" + std::to_string(cases[1].port);
    for (Case& c : cases) {
        const std::string name = c.recording;
        c.fake.reset(new Helper(FakeOn(c.port, name, ReadFile(std::string(KESTRAVE_TESTDATA_DIR) + "/" + name), 2500),
                                Path(name + ".fake.txt")));
    }
    for (Case& c : cases) {
        const std::string name = c.recording;
        ASSERT_TRUE(ChildProcess::WaitFor([&] { return ListeningOn(c.server); }, 10000));
        c.pipe.reset(new Helper("gpspipe -r " + c.server, Path(name + ".relayed")));
        c.logger.reset(new ChildProcess(LoggerOf(c.server, name + ".live"), Path(name + ".logger.txt")));
    }
    for (Case& c : cases) {
        const std::string name = c.recording;
        ASSERT_TRUE(ChildProcess::WaitFor([&] { return ClientsOn(c.port) >= 2; }, 10000));
        ASSERT_EQ(Count(tmp.Read(name + ".relayed"), "RMC,"), 0u) << "the clients came too late";
    }
    for (Case& c : cases) {
        const std::string name = c.recording;
        SCOPED_TRACE(name);
        // gpsfake ends its gpsd when the file is fed; both clients lose it together.
        ASSERT_TRUE(c.fake->WaitForExit(60000));
        ASSERT_TRUE(ChildProcess::WaitFor(
            [&] { return Count(tmp.Read(name + ".logger.txt"), "COM-port read error!") > 0; }, 10000));
        c.logger->Signal(SIGTERM);
        ASSERT_TRUE(c.logger->WaitForExit(10000));
        c.pipe->Stop();
    }
    for (Case& c : cases) {
        const std::string name = c.recording;
        SCOPED_TRACE(name);
        Replay(name + ".relayed", name + ".replayed");
        const std::string recorded = ReadFile(std::string(KESTRAVE_TESTDATA_DIR) + "/" + name);
        const std::string relayed = tmp.Read(name + ".relayed");
        printf("%s: gpsd relayed %zu RMC and %zu GGA of the recording's %zu and %zu, %zu lines in all\n",
               c.recording, Count(relayed, "RMC,"), Count(relayed, "GGA,"), Count(recorded, "RMC,"),
               Count(recorded, "GGA,"), Count(relayed, "\n"));
        EXPECT_GE(Count(relayed, "RMC,") * 10, Count(recorded, "RMC,") * 9);
        for (const std::string suffix : {".plt", ".rte"}) {
            const std::string live = tmp.Read(name + ".live/" + c.day + suffix);
            EXPECT_FALSE(live.empty()) << tmp.Read(name + ".logger.txt");
            EXPECT_TRUE(live == tmp.Read(name + ".replayed/" + c.day + suffix)) << c.day << suffix << " differs";
            printf("  %s%s: %zu bytes, %zu lines, equal to the replay: %s\n", c.day, suffix.c_str(), live.size(),
                   Count(live, "\n"), live == tmp.Read(name + ".replayed/" + c.day + suffix) ? "yes" : "no");
        }
    }
}

// gpsd goes away after the first half of a recording and comes back for the second.
TEST_F(GpsdInput, LoggingResumesWhenGpsdComesBack) {
    const std::string recorded = ReadFile(std::string(KESTRAVE_TESTDATA_DIR) + "/gpsd-haicom-305N.nmea");
    const size_t half = recorded.find('\n', recorded.size() / 2) + 1;
    const std::string kTrack = "live/2007-04-08.plt";
    const timespec start = [] {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return now;
    }();
    auto say = [&](const char* what) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        printf("  %6.2f s  %s\n", static_cast<double>(now.tv_sec - start.tv_sec) + (now.tv_nsec - start.tv_nsec) / 1e9,
               what);
    };
    std::string flushed;
    std::unique_ptr<ChildProcess> logger;
    // Waits for the outage to be seen, then for more ticks of it, each trying the daemon again.
    auto waitOutage = [&](size_t outage, size_t ticks) {
        ASSERT_TRUE(ChildProcess::WaitFor(
            [&] { return Count(tmp.Read("logger.txt"), "connection refused") >= outage; }, 10000))
            << tmp.Read("logger.txt");
        const size_t tried = Count(tmp.Read("logger.txt"), "COM-port open error (1)!");
        ASSERT_TRUE(ChildProcess::WaitFor(
            [&] { return Count(tmp.Read("logger.txt"), "COM-port open error (1)!") >= tried + ticks; }, 10000));
    };
    // A relay beside the logger in each run shows what gpsd passed on; both must be
    // connected before the feed begins, or the comparison at the end means nothing.
    auto feed = [&](const char* name, const std::string& nmea, bool startLogger) {
        Helper fake(Fake(name, nmea, 2500), Path(std::string(name) + ".fake.txt"));
        ASSERT_TRUE(ChildProcess::WaitFor([&] { return Listening(); }, 10000));
        say("gpsd started");
        Helper pipe("gpspipe -r " + server, Path(std::string(name) + ".relayed"));
        if (startLogger) logger.reset(new ChildProcess(Logger("live"), Path("logger.txt")));
        ASSERT_TRUE(ChildProcess::WaitFor([&] { return ClientsOn(port) >= 2; }, 10000));
        ASSERT_EQ(Count(tmp.Read(std::string(name) + ".relayed"), "RMC,"), 0u) << "the logger came too late";
        ASSERT_TRUE(fake.WaitForExit(60000));
        say("gpsd stopped (its half fed)");
        pipe.Stop();
    };
    feed("first", recorded.substr(0, half), true);
    if (HasFatalFailure()) return;
    waitOutage(1, 2);
    flushed = tmp.Read(kTrack);
    say("the logger said gpsd is not running, two ticks ago");
    feed("second", recorded.substr(half), false);
    if (HasFatalFailure()) return;
    // The second outage lasts a tick more, so that what is said of it is settled.
    waitOutage(2, 1);
    say("the logger says gpsd is not running again");
    logger->Signal(SIGTERM);
    ASSERT_TRUE(logger->WaitForExit(10000));
    say("the logger stopped");
    const std::string track = tmp.Read(kTrack);
    const std::string log = tmp.Read("logger.txt");
    tmp.Write("both.relayed", tmp.Read("first.relayed") + tmp.Read("second.relayed"));
    Replay("both.relayed", "replayed");
    const std::string replayed = tmp.Read("replayed/2007-04-08.plt");
    printf("  track points: %zu before the restart (on disk), %zu at the end, %zu in a replay of both relays\n",
           Count(flushed, "\n") - 6, Count(track, "\n") - 6, Count(replayed, "\n") - 6);
    EXPECT_FALSE(flushed.empty()) << log;
    EXPECT_EQ(track.compare(0, flushed.size(), flushed), 0) << "the points logged before the restart changed";
    // Nothing of the second run was lost: the day is what a replay of both runs' bytes makes.
    EXPECT_GT(track.size(), flushed.size()) << log;
    EXPECT_TRUE(track == replayed) << "the logged day differs from a replay of what gpsd relayed\n" << log;
    // Each outage is said once, however many ticks it lasted.
    EXPECT_EQ(Count(log, "gpsd at " + server + " closed the connection"), 2u) << log;
    EXPECT_EQ(Count(log, "gpsd is not running at " + server + " (connection refused)"), 2u) << log;
    EXPECT_GE(Count(log, "COM-port open error (1)!"), 4u);
}

// With nobody listening the logger retries once a tick, without spinning.
TEST_F(GpsdInput, NoDaemonIsSaidOnceAndCostsAlmostNoTime) {
    const char* asked = getenv("KESTRAVE_GPSD_IDLE_SECONDS");
    const int seconds = asked != nullptr ? atoi(asked) : 5;
    ChildProcess logger(Logger("live"), Path("logger.txt"));
    ASSERT_TRUE(logger.Started());
    // The start-up (the sanitizers' or an emulator's too) is not the idle loop: the count starts after it.
    ASSERT_TRUE(ChildProcess::WaitFor([&] { return Count(tmp.Read("logger.txt"), "connection refused") > 0; }, 10000))
        << tmp.Read("logger.txt");
    const double started = CpuSeconds(logger.Pid());
    sleep(static_cast<unsigned>(seconds));
    const double cpu = CpuSeconds(logger.Pid()) - started;
    logger.Signal(SIGTERM);
    ASSERT_TRUE(logger.WaitForExit(10000));
    const std::string log = tmp.Read("logger.txt");
    printf("  no gpsd for %d s: %.2f s of CPU (%.2f s more to start), %zu attempts\n", seconds, cpu, started,
           Count(log, "COM1 opening..."));
    EXPECT_GE(started, 0.0);
    EXPECT_LT(cpu, 0.1);
    EXPECT_EQ(Count(log, "gpsd is not running at " + server + " (connection refused): start it"), 1u) << log;
    EXPECT_GE(Count(log, "COM-port open error (1)!"), static_cast<size_t>(seconds / 2));
    // gpsd sets the receiver's speed; a speed in the first line would mislead.
    EXPECT_EQ(Count(log, "Logging COM1 bound to gpsd at " + server + " into "), 1u) << log;
}

}  // namespace
