// kestrave log --quiet on the made-up receiver, as a service would run it: changes of
// state on standard output, every status text still in the status log.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <sys/stat.h>

#include <memory>
#include <string>

#include "simulator/PtyReceiver.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RuntimeFolder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TextCount.h"

namespace {


class QuietLogEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        PtyReceiver probe;
        std::string error;
        if (!probe.Open(error)) GTEST_SKIP() << "no pseudo-terminal can be made here: " << error;
    }

    std::string path(const std::string& name) const { return tmp.path + "/" + name; }

    // The made-up receiver at 20 times its pace; the tty it sends on.
    std::string StartReceiver() {
        receiver.reset(new ChildProcess({"simulate", "--pty", "--speed-up", "20"}, path("receiver.txt")));
        std::string line;
        EXPECT_TRUE(ChildProcess::WaitFor(
            [&] {
                const std::string said = tmp.Read("receiver.txt");
                const size_t at = said.find("Receiver on ");
                const size_t end = at == std::string::npos ? at : said.find(' ', at + 12);
                if (end != std::string::npos) line = said.substr(at + 12, end - at - 12);
                return !line.empty();
            },
            15000))
            << tmp.Read("receiver.txt");
        return line;
    }

    TempFolder tmp;
    RuntimeFolder runtime{tmp.path.c_str()};
    std::unique_ptr<ChildProcess> receiver;
};

TEST_F(QuietLogEndToEnd, PrintsChangesOfStateOnlyWhileTheStatusLogGetsEverything) {
    const std::string line = StartReceiver();
    ASSERT_FALSE(line.empty());
    // Through a link that goes once the port is open, so that a reopen cannot land on
    // a pseudo-terminal another test made since.
    ASSERT_EQ(symlink(line.c_str(), path("gps").c_str()), 0);
    ChildProcess logger({"log", "--quiet", "--device", path("gps"), "--out", path("out"), "--config", path("config"),
                         "--status-log", path("status.txt")},
                        path("logger.txt"));
    ASSERT_TRUE(ChildProcess::WaitFor([&] { return Count(tmp.Read("receiver.txt"), "Sending the drive") > 0; }, 15000));
    ASSERT_EQ(unlink(path("gps").c_str()), 0);

    ASSERT_TRUE(ChildProcess::WaitFor([&] { return Count(tmp.Read("logger.txt"), "Started the day file") >= 2; },
                                      30000))
        << tmp.Read("logger.txt");
    receiver->Signal(SIGKILL);
    ASSERT_TRUE(receiver->WaitForExit(10000));
    // The port is lost, then fails to open tick after tick.
    ASSERT_TRUE(ChildProcess::WaitFor(
        [&] { return Count(tmp.Read("logger.txt"), "COM-port open error (1)!") >= 1; }, 15000))
        << tmp.Read("logger.txt");
    sleep(3);
    logger.Signal(SIGTERM);
    ASSERT_TRUE(logger.WaitForExit(15000));
    EXPECT_EQ(logger.ExitCode(), 0);

    const std::string said = tmp.Read("logger.txt");
    const std::string status = tmp.Read("status.txt");
    EXPECT_NE(said.find("Started the day file " + path("out") + "/2026-01-14.plt\n"), std::string::npos) << said;
    EXPECT_NE(said.find("Started the day file " + path("out") + "/2026-01-14.rte\n"), std::string::npos) << said;
    EXPECT_GE(Count(status, "Lat:"), 3u) << "a fix every tick in the status log";
    EXPECT_GE(Count(status, "COM-port open error (1)!"), 3u);
    EXPECT_EQ(Count(said, "Lat:"), 1u) << "the fix acquired, once:\n" << said;
    EXPECT_EQ(Count(said, "COM-port read error!"), 1u) << said;
    EXPECT_EQ(Count(said, "COM-port open error (1)!"), 1u) << "a failure that repeats is one state:\n" << said;
    EXPECT_LT(said.find("COM-port read error!"), said.find("COM-port open error (1)!")) << said;
    EXPECT_NE(said.find("Stopped; the day files are in " + path("out")), std::string::npos) << said;
    // The recording state, a line at each change.
    EXPECT_EQ(Count(said, "\nRecording: COM1 ("), 1u) << said;
    EXPECT_EQ(Count(said, "\nDevice gone since "), 1u) << said;
}

// Day files that cannot be written: the state says so at the first failed flush, once,
// the error is not printed on every flush, and the run ends without pretending.
TEST_F(QuietLogEndToEnd, ADayFileThatCannotBeWrittenIsNotRecordingAndSaidOnce) {
    const std::string line = StartReceiver();
    ASSERT_FALSE(line.empty());
    ASSERT_EQ(mkdir(path("out").c_str(), 0755), 0);
    tmp.Write("not-ours", "kept\n");
    for (const char* name : {"out/2026-01-14.plt", "out/2026-01-14.rte"}) {
        ASSERT_EQ(symlink("../not-ours", path(name).c_str()), 0);
    }
    ChildProcess logger({"log", "--quiet", "--device", line, "--out", path("out"), "--config", path("config")},
                        path("logger.txt"));
    ASSERT_TRUE(ChildProcess::WaitFor([&] { return Count(tmp.Read("logger.txt"), "NOT RECORDING: Cannot open ") > 0; },
                                      60000))
        << tmp.Read("logger.txt");
    sleep(2);
    logger.Signal(SIGTERM);
    ASSERT_TRUE(logger.WaitForExit(15000));
    const std::string said = tmp.Read("logger.txt");
    EXPECT_EQ(Count(said, "NOT RECORDING: Cannot open " + path("out") + "/2026-01-14."), 1u) << said;
    EXPECT_EQ(Count(said, "File Open Error: 40"), 2u) << "once a file; repeats are counted, not printed:\n" << said;
    EXPECT_NE(said.find("Stopped; no day file was written: the log above says why."), std::string::npos) << said;
    EXPECT_EQ(tmp.Read("not-ours"), "kept\n");
    printf("  %zu lines printed\n", Count(said, "\n"));
}

}  // namespace
