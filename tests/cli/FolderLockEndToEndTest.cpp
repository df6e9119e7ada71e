// One logger per output folder, as the real programs meet when started side by side.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/posix/services/InstanceLock.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RuntimeFolder.h"
#include "tests/support/TempFolder.h"

namespace {

class FolderLockEndToEnd : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return temp.path + "/" + name; }

    // A logger without a receiver: /dev/null is no tty, so it keeps retrying the port.
    std::vector<std::string> Logger(const std::string& option, const std::string& folder) const {
        return {"log", "--device", "/dev/null", option, Path(folder), "--config", Path("config")};
    }

    // The process id in the folder's lock file once it differs from other; "" when it
    // does not within the time.
    std::string HolderOf(const std::string& folder, const std::string& other = "") const {
        std::string id;
        ChildProcess::WaitFor(
            [&] {
                id = ReadFile(InstanceLock::PathFor(Path(folder)));
                return !id.empty() && id.back() == '\n' && id != other + "\n";
            },
            10000);
        return id.empty() || id == other + "\n" ? "" : id.substr(0, id.size() - 1);
    }

    TempFolder temp;
    // This test's programs and its own look-ups share a runtime folder of their own.
    RuntimeFolder runtime{temp.path.c_str()};
};

TEST_F(FolderLockEndToEnd, ASecondLoggerOnTheFolderUnderAnyNameIsToldWhoLogsThere) {
    ASSERT_EQ(mkdir(Path("root").c_str(), 0755), 0);
    ASSERT_EQ(symlink("root", Path("alias").c_str()), 0);
    // Into the settings' folder, \Kestrave below the root.
    ChildProcess first(Logger("--root", "root"), Path("first.txt"));
    const std::string holder = HolderOf("root/Kestrave");
    ASSERT_FALSE(holder.empty()) << temp.Read("first.txt");

    ChildProcess second(Logger("--out", "alias/Kestrave"), Path("second.txt"));
    ASSERT_TRUE(second.WaitForExit(10000));
    EXPECT_EQ(second.ExitCode(), 1);
    EXPECT_EQ(temp.Read("second.txt").find("Kestrave is already logging into " + Path("alias/Kestrave") +
                                            " (process " + holder + ")"),
              0u)
        << temp.Read("second.txt");

    // The terminal program is refused before it looks for a terminal.
    ChildProcess terminal({"--root", Path("alias"), "--config", Path("config")}, Path("terminal.txt"));
    ASSERT_TRUE(terminal.WaitForExit(10000));
    EXPECT_EQ(terminal.ExitCode(), 1);
    EXPECT_EQ(temp.Read("terminal.txt").find("Kestrave is already running (process " + holder + ")\nIt logs into " +
                                              Path("alias/Kestrave") + ". "),
              0u)
        << temp.Read("terminal.txt");

    // A replay takes no lock; another folder is free; so is this one once its logger stops.
    ChildProcess replay({"replay", KESTRAVE_SOURCE_DIR "/examples/drive.nmea", "--out", Path("root/Kestrave"),
                         "--config", Path("config")},
                        Path("replay.txt"));
    ASSERT_TRUE(replay.WaitForExit(30000));
    EXPECT_EQ(replay.ExitCode(), 0) << temp.Read("replay.txt");
    ChildProcess elsewhere(Logger("--out", "elsewhere"), Path("elsewhere.txt"));
    EXPECT_NE(HolderOf("elsewhere"), "");
    first.Signal(SIGTERM);
    ASSERT_TRUE(first.WaitForExit(10000));
    EXPECT_EQ(first.ExitCode(), 0);
    ChildProcess third(Logger("--out", "alias/Kestrave"), Path("third.txt"));
    EXPECT_NE(HolderOf("root/Kestrave", holder), "") << temp.Read("third.txt");
    EXPECT_TRUE(elsewhere.Running() && third.Running());
}

}  // namespace
