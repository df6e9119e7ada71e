// kestrave gpx: the day files as GPX, every time to the second, checked against the
// schema, the track file's own text and a program nobody here wrote.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/ShellCommand.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TextCount.h"

namespace {

const std::string kDrive = std::string(KESTRAVE_SOURCE_DIR) + "/examples/drive.nmea";
const std::string kSchema = std::string(KESTRAVE_TESTDATA_DIR) + "/../../schema/gpx/gpx11-tpx2.xsd";

bool Have(const char* program) { return system(("command -v " + std::string(program) + " >/dev/null").c_str()) == 0; }

// The times of a track file's lines as GPX writes them: "14.01.26, 21:45:07" is
// "2026-01-14T21:45:07Z".
std::vector<std::string> TrackTimes(const std::string& plt) {
    std::vector<std::string> times;
    int line = 0;
    for (size_t at = 0, end; (end = plt.find("\r\n", at)) != std::string::npos; at = end + 2) {
        if (line++ < 6) continue;
        const std::string stamp = plt.substr(end - 18, 18);
        times.push_back("20" + stamp.substr(6, 2) + "-" + stamp.substr(3, 2) + "-" + stamp.substr(0, 2) + "T" +
                        stamp.substr(10, 8) + "Z");
    }
    return times;
}

// The texts of every element named tag, in order, from the first at or after from.
std::vector<std::string> Texts(const std::string& xml, const std::string& tag, size_t from = 0) {
    std::vector<std::string> texts;
    const std::string open = "<" + tag + ">";
    for (size_t at = from; (at = xml.find(open, at)) != std::string::npos; at += open.size()) {
        texts.push_back(xml.substr(at + open.size(), xml.find("</" + tag + ">", at) - at - open.size()));
    }
    return texts;
}

void ExpectSchemaValid(const std::string& path) {
    if (!Have("xmllint") || access(kSchema.c_str(), R_OK) != 0) return;
    const ShellOutcome check = RunShell("xmllint --noout --schema '" + kSchema + "' '" + path + "' 2>&1");
    EXPECT_EQ(check.exitCode, 0) << check.output;
}

class GpxCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Kestrave("replay '" + kDrive + "' --out '" + Path("day") + "' --config '" + Path("config") + "'")
                      .exitCode,
                  0);
    }
    std::string Path(const std::string& name) const { return temp.path + "/" + name; }
    ShellOutcome Gpx(const std::string& args) { return Kestrave("gpx " + args); }

    TempFolder temp;
};

// Every point of the day, at the very second its track line says, and every waypoint by
// name; GPSBabel reads the same back.
TEST_F(GpxCommandTest, TheReplayedDayConvertsToTheSecond) {
    const ShellOutcome run = Gpx("'" + Path("day/2026-01-14.plt") + "' --out '" + Path("x.gpx") + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string gpx = temp.Read("x.gpx");
    ExpectSchemaValid(Path("x.gpx"));
    const std::vector<std::string> times = TrackTimes(temp.Read("day/2026-01-14.plt"));
    ASSERT_GT(times.size(), 1000u);
    EXPECT_EQ(Count(gpx, "<trkpt "), times.size());
    EXPECT_EQ(Texts(gpx, "time", gpx.find("<trk>")), times);
    EXPECT_NE(run.output.find("(" + std::to_string(times.size()) + " points)"), std::string::npos) << run.output;

    std::vector<std::string> names;
    const std::string rte = temp.Read("day/2026-01-14.rte");
    for (size_t at = 0; (at = rte.find("\nW,", at)) != std::string::npos; ++at) names.push_back(rte.substr(at + 13, 6));
    std::vector<std::string> rteNames = Texts(gpx.substr(0, gpx.find("<trk>")), "name");
    rteNames.erase(rteNames.begin(), rteNames.begin() + 2);  // the document's and the route's own
    EXPECT_EQ(rteNames, names);
    EXPECT_EQ(Count(gpx, "<rtept "), names.size());
    // The track's points as the live GPX of the day has them: place and time alike.
    const std::string live = temp.Read("day/2026-01-14.gpx");
    EXPECT_EQ(Texts(gpx, "time", gpx.find("<trk>")), Texts(live, "time"));
    EXPECT_EQ(Count(gpx, "<trk>\r\n<name>Track-2026-01-14</name>\r\n<trkseg>\r\n"), 1u);

    if (!Have("gpsbabel")) return;
    const ShellOutcome back = RunShell("gpsbabel -t -i gpx -f '" + Path("x.gpx") + "' -o unicsv -F - 2>&1");
    ASSERT_EQ(back.exitCode, 0) << back.output;
    std::vector<std::string> read;
    for (size_t at = back.output.find('\n') + 1, end; (end = back.output.find('\n', at)) != std::string::npos;
         at = end + 1) {
        std::string row = back.output.substr(at, end - at);
        if (!row.empty() && row.back() == '\r') row.pop_back();
        const size_t time = row.rfind(',');
        const std::string date = row.substr(row.rfind(',', time - 1) + 1, 10);
        read.push_back(date.substr(0, 4) + "-" + date.substr(5, 2) + "-" + date.substr(8, 2) + "T" +
                       row.substr(time + 1) + "Z");
    }
    EXPECT_EQ(read, times);
}

// Without --out, one document of both days on standard output: every route before every
// track, as GPX 1.1 demands; the day counts go to standard error.
TEST_F(GpxCommandTest, AFolderGoesToStandardOutputAsOneDocument) {
    const ShellOutcome run =
        RunShell("'" + std::string(KESTRAVE_BINARY) + "' gpx '" + Path("day") + "' 2>/dev/null >'" + Path("all.gpx") + "'");
    ASSERT_EQ(run.exitCode, 0);
    const std::string gpx = temp.Read("all.gpx");
    ExpectSchemaValid(Path("all.gpx"));
    EXPECT_EQ(Count(gpx, "<rte>"), 2u);
    EXPECT_EQ(Count(gpx, "<trk>"), 2u);
    EXPECT_LT(gpx.rfind("</rte>"), gpx.find("<trk>"));
    EXPECT_EQ(Count(gpx, "<trkpt "),
              TrackTimes(temp.Read("day/2026-01-14.plt")).size() + TrackTimes(temp.Read("day/2026-01-15.plt")).size());

    ASSERT_EQ(mkdir(Path("each").c_str(), 0755), 0);
    ASSERT_EQ(Gpx("'" + Path("day") + "' --out '" + Path("each") + "'").exitCode, 0);
    for (const char* day : {"2026-01-14", "2026-01-15"}) {
        EXPECT_EQ(Count(temp.Read(std::string("each/") + day + ".gpx"), "<trkpt "),
                  TrackTimes(temp.Read(std::string("day/") + day + ".plt")).size())
            << day;
    }
}

// The live GPX of a day is never replaced, nor an input, a FIFO, or the logger's folder;
// a conversion written earlier may be.
TEST_F(GpxCommandTest, TheLiveGpxAndTheInputsAreNeverReplaced) {
    const std::string live = temp.Read("day/2026-01-14.gpx");
    temp.Write("copied.gpx", live);
    ASSERT_EQ(mkfifo(Path("pipe.gpx").c_str(), 0600), 0);
    const std::string plt = Path("day/2026-01-14.plt");
    const struct {
        std::string out;
        std::string says;
    } cases[] = {
        {Path("day/2026-01-14.gpx"),
         Path("day/2026-01-14.gpx") + " is the GPX day file that kestrave's logger keeps beside " + plt},
        {Path("day/../day/2026-01-14.plt"), "is the file being read, " + plt},
        {Path("day/2026-01-14.rte"), "is the file being read, " + Path("day/2026-01-14.rte")},
        {Path("pipe.gpx"), Path("pipe.gpx") + " is a FIFO"},
        {Path("copied.gpx"), Path("copied.gpx") + " is a GPX day file that kestrave's logger wrote"},
        {Path("day"), "--out " + Path("day") + " is the folder of " + plt},
    };
    for (const auto& c : cases) {
        const ShellOutcome run = Gpx("'" + plt + "' --out '" + c.out + "'");
        EXPECT_EQ(run.exitCode, 1) << c.out;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("Choose another path with --out.") + run.output.find("Name another folder"),
                  2 * std::string::npos)
            << "says what to do: " << run.output;
    }
    EXPECT_EQ(temp.Read("day/2026-01-14.gpx"), live);
    EXPECT_EQ(temp.Read("copied.gpx"), live);
    const ShellOutcome option = Gpx("'" + plt + "' --seed 1");
    EXPECT_EQ(option.exitCode, 2);
    EXPECT_NE(option.output.find("gpx takes no option '--seed'; only --out FILE.gpx or --out DIR."), std::string::npos)
        << option.output;
    EXPECT_EQ(Gpx("'" + plt + "' --out '" + Path("mine.gpx") + "'").exitCode, 0);
    EXPECT_EQ(Gpx("'" + plt + "' --out '" + Path("mine.gpx") + "'").exitCode, 0) << "its own conversion is replaced";
}

// Another program's track: no text time, so the OleDate to the nearest second; no
// altitude (-777); a leap second in the text is left out and counted.
TEST_F(GpxCommandTest, AnotherProgramsTrackTakesItsTimeFromTheOleDate) {
    temp.Write("hike.plt",
               "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
               "0,2,255,Hike,0,0,2,8421376\r\n3\r\n"
               // 36169.6307194 days is 1999-01-09 15:08:14.156: 15:08:14.
               "-27.350436, 153.055540,1,-777,36169.6307194, 09-Jan-99, 3:08:14 PM\r\n"
               "-27.350475, 153.055480,0,328.084,36169.6307310\r\n"
               "-27.350500, 153.055400,0,10,36160.0, 31.12.98, 23:59:60\r\n");
    const ShellOutcome run = Gpx("'" + Path("hike.plt") + "' --out '" + Path("out.gpx") + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string gpx = temp.Read("out.gpx");
    ExpectSchemaValid(Path("out.gpx"));
    EXPECT_EQ(Texts(gpx, "time"), (std::vector<std::string>{"1999-01-09T15:08:14Z", "1999-01-09T15:08:15Z"}));
    EXPECT_EQ(Texts(gpx, "ele"), std::vector<std::string>{"100"});
    EXPECT_NE(run.output.find("hike.plt: 1 point left out: GPX cannot hold its time"), std::string::npos)
        << run.output;
    EXPECT_NE(gpx.find("<name>Track-hike</name>"), std::string::npos);
}

}  // namespace
