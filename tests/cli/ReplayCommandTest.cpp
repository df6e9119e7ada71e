// The real program on the command line: what a user who replays recordings sees.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "tests/support/RuntimeFolder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ShellCommand.h"

namespace {

using Outcome = ShellOutcome;

class ReplayCommandTest : public ::testing::Test {
protected:
    std::string Common() { return " --config '" + dir + "/config' "; }

    TempFolder temp;
    RuntimeFolder runtime{temp.path.c_str()};
    const std::string dir = temp.path;
    const std::string drive = std::string(KESTRAVE_SOURCE_DIR) + "/examples/drive.nmea";
};

TEST_F(ReplayCommandTest, WritesTheDayFilesByLocalDateAndSaysWhere) {
    Outcome run = Kestrave("replay '" + drive + "' --out '" + dir + "/out' --status-log '" + dir + "/status.txt'" +
                           Common(),
                       "CET-1");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("drive.nmea\nFile processed\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Day files (.plt track, .rte route, .gpx track) are in " + dir + "/out"), std::string::npos);

    // Local midnight in UTC+1 falls at 23:00 UTC: the new day's first point is then.
    std::string second = temp.Read("out/2026-01-15.plt");
    std::smatch first;
    ASSERT_TRUE(std::regex_search(second, first, std::regex(R"(\r\n0          \r\n[^\r]*, 14\.01\.26, (\d\d):)")));
    EXPECT_EQ(first[1], "23");
    std::string earlier = temp.Read("out/2026-01-14.plt");
    EXPECT_EQ(earlier.find(", 23:0"), std::string::npos) << "no point after local midnight in the old day";
    EXPECT_EQ(temp.Read("out/2026-01-15.rte").substr(0, 34), "OziExplorer Route File Version 1.0");

    std::string status = temp.Read("status.txt");
    EXPECT_NE(status.find("UTC:  14.01.26 23:59:59 \r\nLocal: 15.01.26 00:59:59 \r\n"), std::string::npos);
    EXPECT_NE(status.find("\r\nDROPPED \n----\n"), std::string::npos);
    EXPECT_NE(status.find("No fix\r\n\n----\n"), std::string::npos);
}

// A second run on the same day carries on with the day's waypoint numbers.
TEST_F(ReplayCommandTest, ARestartOnTheSameDayContinuesTheRouteNumbering) {
    std::string bytes = ReadFile(drive);
    size_t half = bytes.find("$GPRMC", bytes.size() / 4);
    temp.Write("first.nmea", bytes.substr(0, half));
    temp.Write("second.nmea", bytes.substr(half));

    Outcome first = Kestrave("replay '" + dir + "/first.nmea' --out '" + dir + "/out'" + Common());
    ASSERT_EQ(first.exitCode, 0) << first.output;
    Outcome second = Kestrave("replay '" + dir + "/second.nmea' --out '" + dir + "/out'" + Common());
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_NE(second.output.find("(1) Route continued... \n"), std::string::npos) << second.output;

    std::string route = temp.Read("out/2026-01-14.rte");
    EXPECT_EQ(route.find("OziExplorer Route File"), 0u);
    EXPECT_EQ(route.find("OziExplorer Route File", 1), std::string::npos) << "one header only";
    std::regex waypoint(R"(W,1, *(\d+), *(\d+),R([A-Z])([A-Z])(\d{3}),)");
    int expected = 1;
    std::string prefix;
    for (auto it = std::sregex_iterator(route.begin(), route.end(), waypoint); it != std::sregex_iterator(); ++it) {
        int number = std::stoi((*it)[1]);
        EXPECT_EQ(number, expected) << "waypoint numbers run on across the restart";
        EXPECT_EQ(std::stoi((*it)[5]), expected % 1000);
        if (prefix.empty()) prefix = (*it)[3].str() + (*it)[4].str();
        EXPECT_EQ((*it)[3].str() + (*it)[4].str(), prefix) << "the day keeps its name prefix";
        ++expected;
    }
    EXPECT_GT(expected, 50);

    // A program nobody here wrote reads the continued route whole, names included.
    if (access("/usr/bin/gpsbabel", X_OK) != 0) GTEST_SKIP() << "gpsbabel is not installed";
    const std::string csv = RunShell("gpsbabel -r -i ozi -f '" + dir + "/out/2026-01-14.rte' -o unicsv -F - 2>&1").output;
    int rows = 0;
    for (size_t at = 0; (at = csv.find(",\"R" + prefix, at)) != std::string::npos; ++at) ++rows;
    EXPECT_EQ(rows, expected - 1) << csv.substr(0, 400);
}

// A recording replayed again adds nothing: the day files stay byte for byte, and the
// run says per day file how many points it held already. A replay that overlaps the
// last one adds only what is later.
TEST_F(ReplayCommandTest, ReplayingARecordingAgainDoublesNoDay) {
    const std::string bytes = ReadFile(drive);
    const size_t twoThirds = bytes.find("$GPRMC", bytes.size() * 2 / 3);
    temp.Write("start.nmea", bytes.substr(0, twoThirds));
    Outcome start = Kestrave("replay '" + dir + "/start.nmea' --out '" + dir + "/out'" + Common(), "CET-1");
    ASSERT_EQ(start.exitCode, 0) << start.output;
    Outcome whole = Kestrave("replay '" + drive + "' --out '" + dir + "/out'" + Common(), "CET-1");
    ASSERT_EQ(whole.exitCode, 0) << whole.output;
    EXPECT_NE(whole.output.find("track points of this run were already in " + dir + "/out/2026-01-14.plt"),
              std::string::npos)
        << whole.output;
    Outcome once = Kestrave("replay '" + drive + "' --out '" + dir + "/once'" + Common(), "CET-1");
    ASSERT_EQ(once.exitCode, 0) << once.output;
    for (const char* name : {"2026-01-14.plt", "2026-01-14.rte", "2026-01-15.plt", "2026-01-15.rte"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(temp.Read(std::string("out/") + name) == temp.Read(std::string("once/") + name))
            << "the overlapping replays differ from one whole replay";
    }

    std::string before[4];
    const char* names[] = {"2026-01-14.plt", "2026-01-14.rte", "2026-01-15.plt", "2026-01-15.rte"};
    for (int i = 0; i < 4; ++i) before[i] = temp.Read(std::string("out/") + names[i]);
    Outcome again = Kestrave("replay '" + drive + "' --out '" + dir + "/out'" + Common(), "CET-1");
    ASSERT_EQ(again.exitCode, 0) << again.output;
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(temp.Read(std::string("out/") + names[i]) == before[i]) << names[i];
    size_t said = 0;
    for (size_t at = 0; (at = again.output.find("were already in", at)) != std::string::npos; ++at) ++said;
    EXPECT_EQ(said, 4u) << "once per day file: " << again.output;
}

// The example as a receiver of several satellite systems sends it: every RMC and GGA
// under the combined talker "$GN", and the GGA once more as a GLONASS copy.
std::string AsMultiGnssReceiver(const std::string& gpsOnly) {
    std::istringstream lines(gpsOnly);
    std::string out;
    auto withTalker = [](std::string line, const char* talker) {
        line.replace(1, 2, talker);
        unsigned sum = 0;
        const size_t star = line.find('*');
        for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(line[i]);
        char hex[3];
        snprintf(hex, sizeof hex, "%02X", sum);
        return line.replace(star + 1, 2, hex);
    };
    for (std::string line; std::getline(lines, line);) {
        const bool rmc = line.compare(0, 7, "$GPRMC,") == 0;
        const bool gga = line.compare(0, 7, "$GPGGA,") == 0;
        out += rmc || gga ? withTalker(line, "GN") + "\n" : line + "\n";
        if (gga) out += withTalker(line, "GL") + "\n";
    }
    return out;
}

TEST_F(ReplayCommandTest, AMultiGnssReceiverWritesWhatAGpsOneDoes) {
    std::string multi = AsMultiGnssReceiver(ReadFile(drive));
    ASSERT_NE(multi.find("\n$GLGGA,"), std::string::npos);
    ASSERT_EQ(multi.find("$GPRMC"), std::string::npos);
    temp.Write("multi.nmea", multi);

    Outcome original = Kestrave("replay '" + drive + "' --out '" + dir + "/gps'" + Common(), "CET-1");
    ASSERT_EQ(original.exitCode, 0) << original.output;
    Outcome gnss = Kestrave("replay '" + dir + "/multi.nmea' --out '" + dir + "/gnss'" + Common(), "CET-1");
    ASSERT_EQ(gnss.exitCode, 0) << gnss.output;
    for (const char* day : {"2026-01-14.plt", "2026-01-14.rte", "2026-01-15.plt", "2026-01-15.rte"}) {
        const std::string expected = temp.Read(std::string("gps/") + day);
        EXPECT_GT(expected.size(), 100u) << day;
        EXPECT_EQ(temp.Read(std::string("gnss/") + day), expected) << day;
    }

    // --gps-only gives back the old reading: none of these sentences is taken.
    Outcome gpsOnly =
        Kestrave("replay '" + dir + "/multi.nmea' --gps-only --out '" + dir + "/only'" + Common(), "CET-1");
    ASSERT_EQ(gpsOnly.exitCode, 0) << gpsOnly.output;
    struct stat info {};
    EXPECT_NE(stat((dir + "/only/2026-01-14.plt").c_str(), &info), 0);
}

TEST_F(ReplayCommandTest, MistakesStopBeforeAnythingIsWrittenAndSayWhatToDo) {
    Outcome missing = Kestrave("replay '" + dir + "/nothing.nmea' --out '" + dir + "/out'" + Common());
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.output.find("cannot read " + dir + "/nothing.nmea: No such file or directory. Check the path."),
              std::string::npos)
        << missing.output;
    struct stat info {};
    EXPECT_NE(stat((dir + "/out").c_str(), &info), 0);

    Outcome folder = Kestrave("replay '" + dir + "'" + Common());
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_NE(folder.output.find("is a folder"), std::string::npos);

    Outcome deepOut = Kestrave("replay '" + drive + "' --out '" + dir + "/no/such/out'" + Common());
    EXPECT_EQ(deepOut.exitCode, 2);
    EXPECT_NE(deepOut.output.find("cannot create the output folder"), std::string::npos) << deepOut.output;
}

TEST_F(ReplayCommandTest, AFileErrorIsLoggedAndTheExitCodeSaysSo) {
    // The output folder's name is taken by a plain file, so it cannot be created.
    temp.Write("Kestrave", "in the way");
    Outcome run = Kestrave("replay '" + drive + "' --root '" + dir + "'" + Common());
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("(1) CreateDirectory Error: 17 \n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("(1) CreateDirectory Error: 17 \n"), run.output.rfind("CreateDirectory Error"))
        << "each failed flush says so again";
}

// Reading its own memory at address 0 fails with EIO for any process: a real read
// error, on a file that exists and opens.
TEST_F(ReplayCommandTest, AReadErrorIsNotTakenForTheEndOfTheFile) {
    Outcome run = Kestrave("replay '" + drive + "' /proc/self/mem '" + drive + "' --out '" + dir + "/out'" + Common());
    if (run.output.find("cannot read /proc/self/mem") != std::string::npos) {
        GTEST_SKIP() << "this system does not let a process open its own memory: " << run.output;
    }
    EXPECT_EQ(run.exitCode, 1) << run.output;
    std::smatch error;
    ASSERT_TRUE(std::regex_search(run.output, error,
                                  std::regex("\n(/proc/\\d+/mem)\nCannot read \\1 after 0 bytes: " +
                                             std::string(strerror(EIO)) + "\\. [^\n]+\n([^\n]*)\n")))
        << run.output;
    EXPECT_EQ(error[2], drive) << "the next file follows at once, with no \"File processed\" for this one";
    EXPECT_NE(run.output.find("File processed", error.position(2)), std::string::npos) << "and is replayed";
}

// The status log is added to; nothing empties what an earlier run left there.
TEST_F(ReplayCommandTest, TheStatusLogIsAddedToNeverEmptied) {
    const std::string before = "kept from before\n----\n";
    temp.Write("status.txt", before);
    for (int run = 0; run < 2; ++run) {
        Outcome replay = Kestrave("replay '" + drive + "' --out '" + dir + "/out' --status-log '" + dir +
                                  "/status.txt'" + Common());
        ASSERT_EQ(replay.exitCode, 0) << replay.output;
    }
    const std::string status = temp.Read("status.txt");
    ASSERT_EQ(status.compare(0, before.size(), before), 0) << status.substr(0, 200);
    const std::string runs = status.substr(before.size());
    ASSERT_GT(runs.size(), 10000u);
    EXPECT_TRUE(runs.substr(0, runs.size() / 2) == runs.substr(runs.size() / 2)) << "each run added its own texts";
}

}  // namespace

// Input that is not NMEA: a file that gives no sentence is named, with what to do,
// after "File processed", counts as a file error, and no folder is named as holding
// day files that were never written.
class NotNmeaReplayTest : public ReplayCommandTest {
protected:
    // Replays the named file (in the test folder) alone.
    Outcome ReplayAlone(const std::string& name) {
        return Kestrave("replay '" + dir + "/" + name + "' --out '" + dir + "/out'" + Common());
    }
    void ExpectNothingWritten(const Outcome& run) {
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_NE(run.output.find("\nNo day file was written.\n"), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("are in"), std::string::npos) << run.output;
        EXPECT_FALSE(temp.Exists("out/2026-01-14.plt"));
    }
};

TEST_F(NotNmeaReplayTest, AGpxFileIsNamedWithTheConversionToRun) {
    temp.Write("track.gpx", "<?xml version=\"1.0\"?>\n<gpx><trk><trkseg><trkpt lat=\"52.5\" lon=\"13.4\"/>"
                            "</trkseg></trk></gpx>\n");
    Outcome run = ReplayAlone("track.gpx");
    const std::string gpx = dir + "/track.gpx";
    EXPECT_NE(run.output.find(gpx + "\nno NMEA sentence found in " + gpx +
                              ": Kestrave reads NMEA 0183 recordings; convert GPX first, e.g. with GPSBabel "
                              "(gpsbabel -i gpx -f " + gpx + " -o nmea -F " + dir + "/track.nmea).\n"),
              std::string::npos)
        << run.output;
    ExpectNothingWritten(run);
}

TEST_F(NotNmeaReplayTest, AnEmptyFileIsCalledEmpty) {
    temp.Write("track.nmea", "");
    Outcome run = ReplayAlone("track.nmea");
    EXPECT_NE(run.output.find(dir + "/track.nmea\n" + dir + "/track.nmea is empty.\n"), std::string::npos)
        << run.output;
    ExpectNothingWritten(run);
}

// Compressed bytes could hold a "$GP...\n" by chance: the magic decides.
TEST_F(NotNmeaReplayTest, AGzipFileIsToldToBeUnpackedEvenWithAStraySentence) {
    temp.Write("track.nmea.gz", std::string("\x1f\x8b\x08\x00", 4) + "\x93$GPTXT,stray\n" + std::string(64, '\xa5'));
    Outcome run = ReplayAlone("track.nmea.gz");
    EXPECT_NE(run.output.find(dir + "/track.nmea.gz\n" + dir + "/track.nmea.gz is compressed: unpack it first (gunzip).\n"),
              std::string::npos)
        << run.output;
    ExpectNothingWritten(run);
}

// A receiver that never had a fix still sends RMC and GGA: a recording, not a mistake.
TEST_F(NotNmeaReplayTest, ARecordingWithoutAFixIsNoError) {
    std::string recording;
    for (int second = 0; second < 30; ++second) {
        char time[16];
        snprintf(time, sizeof time, "1200%02d.00", second);
        for (const std::string& body : {"GPRMC," + std::string(time) + ",V,,,,,,140126,,,N",
                                       "GPGGA," + std::string(time) + ",,,,,0,00,99.99,,,,,,"}) {
            unsigned sum = 0;
            for (char c : body) sum ^= static_cast<unsigned char>(c);
            char tail[8];
            snprintf(tail, sizeof tail, "*%02X\r\n", sum);
            recording += "$" + body + tail;
        }
    }
    temp.Write("nofix.nmea", recording);
    Outcome run = ReplayAlone("nofix.nmea");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("File processed\n" + dir +
                              "/nofix.nmea holds NMEA sentences but no fix: the receiver had none, so there is "
                              "nothing to record.\nNo day file was written.\n"),
              std::string::npos)
        << run.output;
}

// The folder is named once anything reached it, and the bad file still sets the code.
TEST_F(NotNmeaReplayTest, AmongRealRecordingsTheFolderIsNamedAndTheCodeIsOne) {
    temp.Write("track.gpx", "<gpx></gpx>\n");
    Outcome run = Kestrave("replay '" + drive + "' '" + dir + "/track.gpx' --out '" + dir + "/out'" + Common());
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("no NMEA sentence found in " + dir + "/track.gpx"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Day files (.plt track, .rte route, .gpx track) are in " + dir + "/out\n"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("No day file was written."), std::string::npos);
}
