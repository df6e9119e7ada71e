// The first line of kestrave log names what it reads, so that nobody wonders which
// device COM1 is.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/RuntimeFolder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TextCount.h"

namespace {

std::string FirstLineOfLog(TempFolder& tmp) {
    ChildProcess logger({"log", "--quiet", "--out", tmp.path + "/out", "--config", tmp.path + "/config"},
                        tmp.path + "/logger.txt");
    EXPECT_TRUE(ChildProcess::WaitFor([&] { return Count(tmp.Read("logger.txt"), "Stop with Ctrl+C.") > 0; }, 10000));
    logger.Signal(SIGTERM);
    EXPECT_TRUE(logger.WaitForExit(10000));
    const std::string said = tmp.Read("logger.txt");
    return said.substr(0, said.find('\n'));
}

TEST(LogFirstLine, NamesTheDeviceBehindThePortNumber) {
    TempFolder tmp;
    RuntimeFolder runtime{tmp.path.c_str()};
    ASSERT_EQ(mkdir((tmp.path + "/config").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((tmp.path + "/config/ports").c_str(), 0755), 0);
    const std::string gps = tmp.path + "/gps";
    ASSERT_EQ(symlink(gps.c_str(), (tmp.path + "/config/ports/com1").c_str()), 0);
    EXPECT_EQ(FirstLineOfLog(tmp),
              "Logging COM1, that is " + gps + " (ports/com1), at 4800 bit/s into " + tmp.path + "/out. Stop with Ctrl+C.");
}

}  // namespace
