// The real program and the GPX day file as users meet it: after a run that was cut short,
// appended to by a later run, beside a GPX of another program, turned off, and read back
// by a program nobody here wrote.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tests/support/FolderNames.h"
#include "tests/support/RuntimeFolder.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TextCount.h"

namespace {

const std::string kDrive = std::string(KESTRAVE_SOURCE_DIR) + "/examples/drive.nmea";
const std::string kSchema = std::string(KESTRAVE_TESTDATA_DIR) + "/../../schema/gpx/gpx11-tpx2.xsd";
const std::string kTrailer = "</trkseg>\r\n</trk>\r\n</gpx>\r\n";
// In UTC+1 the drive runs from the evening of the 14th into the 15th; both halves of it
// write to the 15th.
const std::string kSharedDay = "2026-01-15";

// The times of a track file's points as GPX writes them: "14.01.26, 21:45:07" is
// "2026-01-14T21:45:07Z".
std::vector<std::string> TrackTimes(const std::string& plt) {
    std::vector<std::string> times;
    int line = 0;
    for (size_t at = 0, end; (end = plt.find("\r\n", at)) != std::string::npos; at = end + 2) {
        if (line++ < 6 || end < 18) continue;
        const std::string stamp = plt.substr(end - 18, 18);
        times.push_back("20" + stamp.substr(6, 2) + "-" + stamp.substr(3, 2) + "-" + stamp.substr(0, 2) + "T" +
                        stamp.substr(10, 8) + "Z");
    }
    return times;
}

std::vector<std::string> GpxTimes(const std::string& gpx) {
    std::vector<std::string> times;
    for (size_t at = 0; (at = gpx.find("<time>", at)) != std::string::npos; at += 6) {
        times.push_back(gpx.substr(at + 6, gpx.find("</time>", at) - at - 6));
    }
    return times;
}

// Nothing to check without xmllint or the schema, as on a bare build machine.
void ExpectSchemaValid(const std::string& path) {
    if (system("command -v xmllint >/dev/null") != 0 || access(kSchema.c_str(), R_OK) != 0) return;
    const ShellOutcome check = RunShell("xmllint --noout --schema '" + kSchema + "' '" + path + "' 2>&1");
    EXPECT_EQ(check.exitCode, 0) << check.output;
}

class GpxDayEndToEnd : public ::testing::Test {
protected:
    // The drive in two halves by line count, so that a run may carry on where another ended.
    void SetUp() override {
        const std::string bytes = ReadFile(kDrive);
        size_t middle = 0;
        for (size_t line = Count(bytes, "\n") / 2; line > 0; --line) middle = bytes.find('\n', middle) + 1;
        temp.Write("first.nmea", bytes.substr(0, middle));
        temp.Write("second.nmea", bytes.substr(middle));
    }

    ShellOutcome Replay(const std::string& recording, const std::string& out, const std::string& more = "",
                        const std::string& config = "config") {
        const ShellOutcome run = Kestrave(
            "replay '" + recording + "' --out '" + Path(out) + "' --config '" + Path(config) + "'" + more, "CET-1");
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return run;
    }
    ShellOutcome ReplayInHalves(const std::string& out) {
        Replay(Path("first.nmea"), out);
        return Replay(Path("second.nmea"), out);
    }
    std::string Path(const std::string& name) const { return temp.path + "/" + name; }

    TempFolder temp;
    RuntimeFolder runtime{temp.path.c_str()};
};

// A kill in the middle of a point, and a power cut that leaves the file's last block
// zero-filled: the next run cuts the file back to its last whole point and appends there.
TEST_F(GpxDayEndToEnd, ATornOrZeroFilledEndIsCutBackToTheLastWholePoint) {
    struct Damage {
        const char* name;
        bool zeros;
    };
    for (const Damage damage : {Damage{"torn", false}, Damage{"zeros", true}}) {
        SCOPED_TRACE(damage.name);
        const std::string out = damage.name;
        Replay(Path("first.nmea"), out);
        const std::string gpx = out + "/" + kSharedDay + ".gpx";
        const std::string written = temp.Read(gpx);
        ASSERT_GE(written.size(), kTrailer.size());
        std::string whole;
        if (damage.zeros) {
            whole = written.substr(0, written.size() - kTrailer.size());
            temp.Write(gpx, written + std::string(4096, '\0'));
        } else {
            whole = written.substr(0, written.rfind("<trkpt "));
            temp.Write(gpx, written.substr(0, whole.size() + 60));
        }
        const size_t trackBefore = TrackTimes(temp.Read(out + "/" + kSharedDay + ".plt")).size();

        const ShellOutcome second = Replay(Path("second.nmea"), out);
        EXPECT_EQ(Count(second.output, "The end of " + Path(gpx) +
                                           " was torn (a crash or a power cut); it was cut back to its last whole point."),
                  1u)
            << second.output;
        const std::string after = temp.Read(gpx);
        EXPECT_EQ(after.compare(0, whole.size(), whole), 0) << "every whole point stays as it was";
        EXPECT_EQ(after.find('\0'), std::string::npos);
        EXPECT_EQ(after.size() - after.rfind(kTrailer), kTrailer.size());
        const size_t added = TrackTimes(temp.Read(out + "/" + kSharedDay + ".plt")).size() - trackBefore;
        EXPECT_GT(added, 1000u);
        EXPECT_EQ(Count(after, "<trkpt "), Count(whole, "<trkpt ") + added) << "the second run's points, once";
        ExpectSchemaValid(Path(gpx));
    }
}

TEST_F(GpxDayEndToEnd, AGpxOfAnotherProgramIsLeftAsItIs) {
    const std::string foreign =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"GPSBabel - https://www.gpsbabel.org\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        "  <trk><trkseg><trkpt lat=\"52.5\" lon=\"13.4\"><time>2026-01-15T08:00:00Z</time></trkpt></trkseg></trk>\n"
        "</gpx>\n";
    const std::string gpx = "out/" + kSharedDay + ".gpx";
    ASSERT_EQ(mkdir(Path("out").c_str(), 0755), 0);
    temp.Write(gpx, foreign);

    const ShellOutcome run = Replay(kDrive, "out");
    EXPECT_TRUE(temp.Read(gpx) == foreign) << "not a byte changed";
    EXPECT_EQ(Count(run.output, "Kestrave did not write " + Path(gpx) +
                                    ", so it is left alone: no GPX is written for that day."),
              1u)
        << "said once, not at every flush: " << run.output;
    EXPECT_FALSE(temp.Read("out/" + kSharedDay + ".plt").empty()) << "the track file of that day is written";
    EXPECT_EQ(GpxTimes(temp.Read("out/2026-01-14.gpx")), TrackTimes(temp.Read("out/2026-01-14.plt")))
        << "the other day's GPX is written";
}

// Each run that appends to a day opens a segment of its own; no point is lost or doubled
// where they meet.
TEST_F(GpxDayEndToEnd, TwoRunsOnOneDayMakeTwoSegmentsOfTheTracksPoints) {
    ReplayInHalves("out");
    for (const std::string& day : {std::string("2026-01-14"), kSharedDay}) {
        SCOPED_TRACE(day);
        const std::string gpx = temp.Read("out/" + day + ".gpx");
        EXPECT_EQ(Count(gpx, "<trkseg>"), day == kSharedDay ? 2u : 1u);
        EXPECT_EQ(Count(gpx, "</trkseg>"), Count(gpx, "<trkseg>"));
        const std::vector<std::string> track = TrackTimes(temp.Read("out/" + day + ".plt"));
        EXPECT_GT(track.size(), 1000u);
        EXPECT_EQ(Count(gpx, "<trkpt "), track.size());
        EXPECT_EQ(GpxTimes(gpx), track);
        ExpectSchemaValid(Path("out/" + day + ".gpx"));
    }
}

// Off by the flag or by the setting, the track and route files are those of a run with
// GPX on, byte for byte.
TEST_F(GpxDayEndToEnd, TurnedOffWritesNoGpxAndTheSameTrackAndRoute) {
    Replay(kDrive, "on");
    Replay(kDrive, "flag", " --no-gpx");
    ASSERT_EQ(mkdir(Path("off").c_str(), 0755), 0);
    temp.Write("off/settings.reg",
               "Windows Registry Editor Version 5.00\n\n"
               "[HKEY_CURRENT_USER\\Software\\Zolvet\\Kestrave]\n"
               "\"WriteGpx\"=dword:00000000\n");
    Replay(kDrive, "setting", "", "off");

    const std::set<std::string> days{"2026-01-14.plt", "2026-01-14.rte", "2026-01-15.plt", "2026-01-15.rte"};
    for (const char* off : {"flag", "setting"}) {
        SCOPED_TRACE(off);
        EXPECT_EQ(FolderNames(Path(off)), days);
        for (const std::string& name : days) {
            EXPECT_TRUE(temp.Read(std::string(off) + "/" + name) == temp.Read("on/" + name)) << name;
        }
    }
}

TEST_F(GpxDayEndToEnd, GpsBabelReadsEveryPointBackAtItsTime) {
    if (access("/usr/bin/gpsbabel", X_OK) != 0) GTEST_SKIP() << "gpsbabel is not installed";
    ReplayInHalves("out");
    for (const std::string& day : {std::string("2026-01-14"), kSharedDay}) {
        SCOPED_TRACE(day);
        const ShellOutcome csv = RunShell("TZ=UTC0 gpsbabel -t -i gpx -f '" + Path("out/" + day + ".gpx") +
                                          "' -o unicsv,utc=0 -F - 2>&1");
        ASSERT_EQ(csv.exitCode, 0) << csv.output;
        // "No,Latitude,...,Date,Time" and then "1,52.516217,...,2026/01/14,21:45:07", lines
        // ending in CR LF.
        std::vector<std::string> times;
        for (size_t at = csv.output.find('\n') + 1, end; (end = csv.output.find("\r\n", at)) != std::string::npos;
             at = end + 2) {
            const std::string row = csv.output.substr(at, end - at);
            const size_t time = row.rfind(',');
            const size_t date = row.rfind(',', time - 1);
            std::string stamp = row.substr(date + 1, time - date - 1) + "T" + row.substr(time + 1) + "Z";
            std::replace(stamp.begin(), stamp.end(), '/', '-');
            times.push_back(stamp);
        }
        EXPECT_EQ(times, TrackTimes(temp.Read("out/" + day + ".plt"))) << csv.output.substr(0, 300);
    }
}

}  // namespace
