#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "platform/posix/PosixFileSystem.h"
#include "tests/support/ExampleFix.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FixedOffsetZone.h"
#include "tests/support/ReadFile.h"
#include "tests/support/RecordingTextBoxes.h"
#include "tests/support/ShellCommand.h"

// The day files, written to disk, read back by GPSBabel, which nobody here wrote.
namespace {

const char* const kGpsBabel = "/usr/bin/gpsbabel";

std::vector<std::vector<std::string>> ReadBack(const std::string& options, const std::string& file) {
    const std::string command = std::string(kGpsBabel) + " " + options + " -f '" + file + "' -o unicsv -F - 2>&1";
    std::vector<std::vector<std::string>> rows;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return rows;
    char line[1024];
    while (fgets(line, sizeof line, pipe) != nullptr) {
        std::vector<std::string> fields;
        std::stringstream stream(line);
        std::string field;
        while (std::getline(stream, field, ',')) fields.push_back(field.substr(0, field.find_first_of("\r\n")));
        rows.push_back(fields);
    }
    pclose(pipe);
    return rows;
}

std::string SixDecimals(double degrees) {
    char text[32];
    snprintf(text, sizeof text, "%.6f", degrees);
    return text;
}

// "12:17:45.512" in seconds of the day.
double SecondsOfDay(const std::string& time) {
    int hour = 0, minute = 0;
    double second = 0.0;
    sscanf(time.c_str(), "%d:%d:%lf", &hour, &minute, &second);
    return hour * 3600 + minute * 60 + second;
}

class OziInterop : public testing::Test {
protected:
    void SetUp() override {
        if (access(kGpsBabel, X_OK) != 0) GTEST_SKIP() << "GPSBabel is not installed at " << kGpsBabel;
        char pattern[] = "/tmp/kestrave-ozi-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override {
        if (!root.empty()) std::filesystem::remove_all(root);
    }

    // Fixes of one day, south and west among them, one without altitude.
    static std::vector<GpsFix> Fixes() {
        std::vector<GpsFix> fixes;
        const double positions[][3] = {{55.75, 37.6166, 150.0},
                                       {55.7512345, 37.6177777, 151.5},
                                       {-33.8688197, -151.2092955, kNoAltitude},
                                       {0.0000004, -0.0000004, -12.3}};
        for (int i = 0; i < 4; ++i) {
            GpsFix fix = ExampleFixAt(25, 3, 9, 12, 17 + i, 10.25 + 11 * i);
            fix.latitude = positions[i][0];
            fix.longitude = positions[i][1];
            fix.altitude = positions[i][2];
            fixes.push_back(fix);
        }
        return fixes;
    }

    void ExpectSamePoint(const std::vector<std::string>& row, const GpsFix& fix) {
        ASSERT_GE(row.size(), 6u);
        EXPECT_EQ(row[1], SixDecimals(fix.latitude));
        EXPECT_EQ(row[2], SixDecimals(fix.longitude));
        EXPECT_EQ(row[4], "2009/03/25");
        EXPECT_NEAR(SecondsOfDay(row[5]), fix.hour * 3600 + fix.minute * 60 + fix.seconds, 1.0);
    }

    std::string root;
    FakeClock clock;
    FixedOffsetZone zone;
    RecordingTextBoxes boxes;
    MessageCounter messages;
};

TEST_F(OziInterop, TrackFileReadsBack) {
    PosixFileSystem files(root.c_str());
    TrackWriter track(files, clock, zone, boxes);
    const std::vector<GpsFix> fixes = Fixes();
    for (const GpsFix& fix : fixes) track.AddPoint(fix);
    ASSERT_EQ(track.Flush(), 0);

    const auto rows = ReadBack("-t -i ozi", root + "/Kestrave/2009-03-25.plt");
    ASSERT_EQ(rows.size(), fixes.size() + 1) << (rows.empty() ? "" : rows[0][0]);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"No", "Latitude", "Longitude", "Altitude", "Date", "Time"}));
    for (size_t i = 0; i < fixes.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectSamePoint(rows[i + 1], fixes[i]);
        if (fixes[i].altitude == kNoAltitude) {
            EXPECT_EQ(rows[i + 1][3], "");
        } else {
            EXPECT_NEAR(atof(rows[i + 1][3].c_str()), fixes[i].altitude, 0.05);
        }
    }
}

TEST_F(OziInterop, RouteFileReadsBackAcrossARestart) {
    const std::vector<GpsFix> fixes = Fixes();
    for (int run = 0; run < 2; ++run) {
        PosixFileSystem files(root.c_str());
        RouteWriter route(files, clock, zone, boxes, messages);
        route.AddWaypoint(fixes[2 * run]);
        route.AddWaypoint(fixes[2 * run + 1]);
        ASSERT_EQ(route.Flush(), 0);
    }
    EXPECT_EQ(boxes.log, L"(1) Route continued... \r\n");

    const auto rows = ReadBack("-r -i ozi", root + "/Kestrave/2009-03-25.rte");
    ASSERT_EQ(rows.size(), fixes.size() + 1) << (rows.empty() ? "" : rows[0][0]);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"No", "Latitude", "Longitude", "Name", "Date", "Time"}));
    const char* const names[] = {"\"RRB001\"", "\"RRB002\"", "\"RRB003\"", "\"RRB004\""};
    for (size_t i = 0; i < fixes.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectSamePoint(rows[i + 1], fixes[i]);
        EXPECT_EQ(rows[i + 1][3], names[i]);
    }
}


// What a GPX file holds under each element of a kind: the text between its tags.
std::vector<std::string> Elements(const std::string& gpx, const std::string& tag) {
    std::vector<std::string> found;
    const std::string open = "<" + tag + " ", close = "</" + tag + ">";
    for (size_t at = 0; (at = gpx.find(open, at)) != std::string::npos;) {
        const size_t end = gpx.find(close, at);
        if (end == std::string::npos) break;
        found.push_back(gpx.substr(at, end - at));
        at = end;
    }
    return found;
}

// The lines of a day file that begin with the prefix, after its header of `header` lines.
std::vector<std::string> BodyLines(const std::string& file, size_t header, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream text(ReadFile(file));
    size_t number = 0;
    for (std::string line; std::getline(text, line);) {
        if (++number > header && line.rfind(prefix, 0) == 0) lines.push_back(line);
    }
    return lines;
}

// The documented way to a GPX file (docs/gpx.md), on the day files of a real replay: every track point
// becomes a trkpt, every waypoint an rtept of the same name, in order.
TEST_F(OziInterop, ReplayedDaysConvertToGpx) {
    const std::string out = root + "/out";
    ShellOutcome replay = Kestrave("replay '" + std::string(KESTRAVE_SOURCE_DIR) + "/examples/drive.nmea' --out '" +
                                   out + "' --config '" + root + "/config'");
    ASSERT_EQ(replay.exitCode, 0) << replay.output;

    for (const char* day : {"2026-01-14", "2026-01-15"}) {
        SCOPED_TRACE(day);
        const std::string base = out + "/" + day;
        for (const auto& [kind, babelOptions] : {std::pair<std::string, std::string>{"plt", "-t"}, {"rte", "-r"}}) {
            ShellOutcome convert = RunShell(std::string(kGpsBabel) + " " + babelOptions + " -i ozi -f '" + base + "." +
                                            kind + "' -o gpx -F '" + base + "-" + kind + ".gpx' 2>&1");
            ASSERT_EQ(convert.exitCode, 0) << convert.output;
        }
        const std::vector<std::string> points = BodyLines(base + ".plt", 6, "");
        EXPECT_GT(points.size(), 50u);
        EXPECT_EQ(Elements(ReadFile(base + "-plt.gpx"), "trkpt").size(), points.size());

        std::vector<std::string> names;
        for (const std::string& waypoint : BodyLines(base + ".rte", 0, "W,")) {
            std::vector<std::string> fields;
            std::stringstream stream(waypoint);
            for (std::string field; std::getline(stream, field, ',');) fields.push_back(field);
            ASSERT_GE(fields.size(), 5u) << waypoint;
            names.push_back(fields[4]);
        }
        EXPECT_GT(names.size(), 20u);
        std::vector<std::string> converted;
        for (const std::string& point : Elements(ReadFile(base + "-rte.gpx"), "rtept")) {
            const size_t name = point.find("<name>");
            converted.push_back(name == std::string::npos ? "" : point.substr(name + 6, point.find("</name>") - name - 6));
        }
        EXPECT_EQ(converted, names);
    }
}

}  // namespace
