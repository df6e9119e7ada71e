// The real program replaying the example into an output folder where a link is in the
// way, or where the files may not grow: it says so and goes on, and every file it
// writes holds whole lines only.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <regex>
#include <sstream>
#include <string>

#include "tests/support/TempFolder.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TextCount.h"

namespace {

const std::string kDrive = std::string(KESTRAVE_SOURCE_DIR) + "/examples/drive.nmea";

using Outcome = ShellOutcome;

Outcome Replay(const std::string& dir, const std::string& before = "") {
    const std::string command = before + " TZ=CET-1 LC_ALL=C timeout 60 '" + KESTRAVE_BINARY + "' replay '" + kDrive +
                                "' --out '" + dir + "/out' --config '" + dir + "/config' 2>&1";
    return RunShell(command);
}


// Every line of a day file whole: its header, then track points or waypoints.
void ExpectWholeLines(const std::string& bytes, const std::string& name) {
    const bool route = name.back() == 'e';
    const std::regex line(
        route ? R"(W,1, *\d+, *\d+,R[A-Z]{2}\d{3},-?\d+\.\d{8},-?\d+\.\d{8},\d+\.\d{8},0,1,3,0,65535,,0,0, \r)"
              : R"(-?\d+\.\d{8}, -?\d+\.\d{8},0, (-?\d+\.\d\d, |-777,)\d+\.\d{8}, \d\d\.\d\d\.\d\d, \d\d:\d\d:\d\d\r)");
    ASSERT_GE(bytes.size(), 2u) << name;
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << name;
    std::istringstream lines(bytes);
    int number = 0;
    for (std::string text; std::getline(lines, text); ++number) {
        if (number >= 6) {
            EXPECT_TRUE(std::regex_match(text, line)) << name << " line " << number << ": " << text;
        }
    }
}

TEST(DayFileEndToEnd, LinksInTheOutputFolderAreNeverFollowed) {
    TempFolder temp;
    mkdir((temp.path + "/out").c_str(), 0755);
    temp.Write("victim", "not ours\n");
    symlink("../victim", (temp.path + "/out/2026-01-14.plt").c_str());
    symlink("../nowhere.rte", (temp.path + "/out/2026-01-14.rte").c_str());
    const Outcome run = Replay(temp.path);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_EQ(temp.Read("victim"), "not ours\n");
    EXPECT_FALSE(temp.Exists("nowhere.rte"));
    const std::string first = "(1) File Open Error: 40 \nCannot open " + temp.path + "/out/2026-01-14.plt: it is a link";
    EXPECT_NE(run.output.find(first), std::string::npos) << run.output;
    EXPECT_EQ(Count(run.output, ": it is a link"), 2u) << "once for each file";
    EXPECT_EQ(Count(run.output, "File Open Error: 40"), 2u) << "repeats are counted, not printed each flush";
    EXPECT_NE(run.output.find("Writing again after "), std::string::npos) << "the next day's files are written";
    for (const std::string name : {"2026-01-15.plt", "2026-01-15.rte"}) ExpectWholeLines(temp.Read("out/" + name), name);
}

// The disk that fills up, as far as the program can tell: the writes that pass the
// limit fail, and what they wrote is taken back.
TEST(DayFileEndToEnd, AFileSizeLimitCutsNoLine) {
    TempFolder temp;
    const Outcome run = Replay(temp.path, "ulimit -f 100;");
    EXPECT_EQ(run.exitCode, 1) << "153: the program was killed by SIGXFSZ\n" << run.output;
    const std::string said = "File Write Error: 27 \nCannot write to " + temp.path + "/out/2026-01-14.plt: File too large.";
    EXPECT_NE(run.output.find(said), std::string::npos) << run.output;
    for (const char* name : {"2026-01-14.plt", "2026-01-14.rte", "2026-01-15.plt", "2026-01-15.rte"}) {
        const std::string bytes = temp.Read("out/" + std::string(name));
        EXPECT_LE(bytes.size(), 100u * 1024u) << name;
        ExpectWholeLines(bytes, name);
    }
}

}  // namespace
