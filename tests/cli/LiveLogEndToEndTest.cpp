// The live logger reading the made-up receiver through a pseudo-terminal, both as
// the real program, as a user would run them in two terminals.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/RuntimeFolder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TextCount.h"
#include "simulator/PtyReceiver.h"

namespace {

const char kDay[] = "2026-01-14";


std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.') names.push_back(entry->d_name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class LiveLogEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        PtyReceiver probe;
        std::string error;
        if (!probe.Open(error)) GTEST_SKIP() << "no pseudo-terminal can be made here, so no live line: " << error;
        for (const char* folder : {"live", "replayed", "config", "replay-config"}) mkdir(Path(folder).c_str(), 0755);
    }

    std::string Path(const std::string& name) const { return tmp.path + "/" + name; }

    // Waits for the receiver to name its line; "" when it does not.
    std::string LineOf(ChildProcess& receiver) {
        const std::string head = "Receiver on ";
        std::string line;
        ChildProcess::WaitFor(
            [&] {
                std::string said = tmp.Read("receiver.txt");
                size_t at = said.find(head);
                size_t end = at == std::string::npos ? at : said.find(' ', at + head.size());
                if (end != std::string::npos) line = said.substr(at + head.size(), end - at - head.size());
                return !line.empty() || !receiver.Running();
            },
            15000);
        return line;
    }

    // The logger reaches the line through a link, as through a udev name, so that the
    // link can go once the port is open: a pseudo-terminal's number is soon reused,
    // and a logger reopening it must not land on another test's line.
    std::vector<std::string> LoggerArgs(const std::string& line) {
        EXPECT_EQ(symlink(line.c_str(), Path("gps").c_str()), 0);
        return {"log", "--device", Path("gps"), "--out", Path("live"), "--config", Path("config")};
    }

    // Removes the link once the receiver has seen the logger open the line.
    void UnplugWhenOpened() {
        ASSERT_TRUE(ChildProcess::WaitFor([&] { return Count(tmp.Read("receiver.txt"), "Sending the drive") > 0; },
                                          15000))
            << tmp.Read("receiver.txt");
        EXPECT_EQ(unlink(Path("gps").c_str()), 0);
    }

    // Replays the bytes the receiver put on the line into replayed/.
    void ReplaySent() {
        ChildProcess replay({"replay", Path("sent.nmea"), "--out", Path("replayed"), "--config", Path("replay-config")},
                            Path("replay.txt"));
        ASSERT_TRUE(replay.WaitForExit(60000));
        ASSERT_EQ(replay.ExitCode(), 0) << tmp.Read("replay.txt");
    }

    TempFolder tmp;
    RuntimeFolder runtime{tmp.path.c_str()};
};

TEST_F(LiveLogEndToEnd, DayFilesEqualAReplayOfTheBytesTheLoggerGot) {
    // Three minutes of the drive at 60 times real time, about 24 kB a second, as fast
    // as a u-blox at 10 Hz with four systems: the logger takes it all, tick by tick.
    ChildProcess receiver({"simulate", "--pty", "--speed-up", "60", "--minutes", "3", "--out", Path("sent.nmea")},
                          Path("receiver.txt"));
    std::string line = LineOf(receiver);
    ASSERT_FALSE(line.empty()) << tmp.Read("receiver.txt");
    ChildProcess logger(LoggerArgs(line), Path("logger.txt"));
    UnplugWhenOpened();

    // The receiver starts with the logger's open and ends only once the logger has
    // taken every byte; closing the line then shows up after all of them.
    ASSERT_TRUE(receiver.WaitForExit(120000)) << tmp.Read("receiver.txt");
    EXPECT_EQ(receiver.ExitCode(), 0) << tmp.Read("receiver.txt");
    ASSERT_TRUE(ChildProcess::WaitFor([&] { return Count(tmp.Read("logger.txt"), "COM-port read error!") > 0; }, 15000))
        << tmp.Read("logger.txt");
    logger.Signal(SIGTERM);
    ASSERT_TRUE(logger.WaitForExit(15000));
    EXPECT_EQ(logger.ExitCode(), 0) << tmp.Read("logger.txt");

    EXPECT_GT(Count(tmp.Read("sent.nmea"), "$GPRMC,"), 170u) << tmp.Read("receiver.txt");
    // The logger keeps up with a fast receiver: nothing waited on the line so long that it was dropped.
    EXPECT_EQ(Count(tmp.Read("receiver.txt"), "(0 of them lost on the line)"), 1u) << tmp.Read("receiver.txt");
    ReplaySent();
    std::vector<std::string> names = FileNames(Path("live"));
    EXPECT_EQ(names, FileNames(Path("replayed")));
    ASSERT_EQ(names, (std::vector<std::string>{std::string(kDay) + ".gpx", std::string(kDay) + ".plt",
                                               std::string(kDay) + ".rte"}));
    for (const std::string& name : names) {
        EXPECT_TRUE(tmp.Read("live/" + name) == tmp.Read("replayed/" + name))
            << name << " differs:\n--- live\n" << tmp.Read("live/" + name) << "--- replayed\n"
            << tmp.Read("replayed/" + name);
    }
    // The stretch holds real work: track points at pace and waypoints at turns.
    EXPECT_GT(Count(tmp.Read("live/" + names[1]), "\r\n"), 20u);
    EXPECT_GE(Count(tmp.Read("live/" + names[2]), "\r\nW,"), 3u);
}

TEST_F(LiveLogEndToEnd, LoggerOutlivesTheReceiverAndKeepsItsDayFiles) {
    ChildProcess receiver({"simulate", "--pty", "--speed-up", "20", "--out", Path("sent.nmea")}, Path("receiver.txt"));
    std::string line = LineOf(receiver);
    ASSERT_FALSE(line.empty()) << tmp.Read("receiver.txt");
    ChildProcess logger(LoggerArgs(line), Path("logger.txt"));
    UnplugWhenOpened();
    // A couple of minutes of the drive, with fixes and track points.
    ASSERT_TRUE(ChildProcess::WaitFor([&] { return Count(tmp.Read("sent.nmea"), "$GPRMC,") >= 120; }, 30000))
        << tmp.Read("receiver.txt");

    receiver.Signal(SIGKILL);
    ASSERT_TRUE(receiver.WaitForExit(10000));
    // The port fails, is closed, and every later tick tries to open it again.
    std::string said;
    auto retrying = [&] {
        said = tmp.Read("logger.txt");
        size_t lost = said.find("COM-port read error!");
        return lost != std::string::npos && Count(said.substr(lost), "COM1 opening...") >= 2 &&
               Count(said.substr(lost), "COM-port open error (1)!") >= 2;
    };
    ASSERT_TRUE(ChildProcess::WaitFor(retrying, 15000)) << said;
    size_t lost = said.find("COM-port read error!");
    EXPECT_LT(said.find("COM1 opening...", lost), said.find("COM-port open error (1)!", lost)) << said;
    EXPECT_TRUE(logger.Running()) << said;

    logger.Signal(SIGTERM);
    ASSERT_TRUE(logger.WaitForExit(15000));
    EXPECT_EQ(logger.ExitCode(), 0) << tmp.Read("logger.txt");
    EXPECT_NE(tmp.Read("logger.txt").find("Stopped; the day files are in"), std::string::npos);

    // Flushed at the end, and as far as they go, what the bytes on the line give.
    ReplaySent();
    for (const char* kind : {".plt", ".rte"}) {
        std::string name = std::string(kDay) + kind;
        std::string live = tmp.Read("live/" + name);
        EXPECT_EQ(tmp.Read("replayed/" + name).compare(0, live.size(), live), 0)
            << name << " is not a beginning of the replay's:\n" << live;
    }
    // The six header lines and a few points.
    EXPECT_GE(Count(tmp.Read("live/" + std::string(kDay) + ".plt"), "\r\n"), 6u + 5u);
}

}  // namespace
