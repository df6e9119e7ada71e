// The day files read a line at a time, and their points' times as GPX gets them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "plot/OziGpx.h"
#include "tests/support/TempFolder.h"

namespace {

// A CR LF split between two reads is one line end, and an overlong line is cut, not
// kept whole in memory.
TEST(FileLinesTest, LineEndsAcrossReadsAndOverlongLines) {
    TempFolder temp;
    // 65 lines of 1001 bytes, then one whose CR is the 65536th byte, its LF the next.
    std::string text;
    for (int i = 0; i < 65; ++i) text += std::string(1000, 'a') + "\n";
    text += std::string(65535 - text.size(), 'a');
    const std::string longLine(FileLines::kMaxLineBytes + 100, 'b');
    temp.Write("lines", text + "\r\nsecond\r" + longLine + "\nlast");
    const int fd = open((temp.path + "/lines").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    FileLines lines(fd);
    std::vector<std::pair<size_t, bool>> got;
    std::string line;
    bool ended = false;
    while (lines.Next(&line, &ended)) got.emplace_back(line.size(), ended);
    close(fd);
    std::vector<std::pair<size_t, bool>> expected(65, {1000, true});
    for (const std::pair<size_t, bool>& rest : std::vector<std::pair<size_t, bool>>{
             {470, true}, {6, true}, {FileLines::kMaxLineBytes, false}, {0, true}, {4, false}}) {
        expected.push_back(rest);
    }
    EXPECT_EQ(got, expected);
}

// The text time wins over the OleDate, with the century nearest the OleDate's; without
// text, the OleDate to the nearest second.
TEST(OziGpxTest, TimesComeFromTheTextElseTheRoundedOleDate) {
    const struct {
        double stamp;
        const char* date;
        const char* time;
        int year, month, day, hour, minute, second;
    } cases[] = {
        {46036.90633102, "14.01.26", "21:45:07", 2026, 1, 14, 21, 45, 7},
        {46036.90633102, "", "", 2026, 1, 14, 21, 45, 7},          // 21:45:06.9999
        {36169.6307194, "", "", 1999, 1, 9, 15, 8, 14},            // 15:08:14.156
        {36169.6307194, "09.01.99", "15:08:14", 1999, 1, 9, 15, 8, 14},
        {73051.0, "01.01.00", "00:00:00", 2100, 1, 1, 0, 0, 0},    // not 2000
        {0.0, "01.01.00", "00:00:00", 2000, 1, 1, 0, 0, 0},        // no OleDate: this century
        {0.0, "", "", 0, 0, 0, 0, 0, 0},                           // nothing: refused
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stamp);
        TrackPoint point{52.0, 13.0, kNoAltitudeFeet, c.stamp, false, c.date, c.time};
        const GpxPoint gpx = GpxPointOf(point);
        EXPECT_EQ((std::vector<int>{gpx.year, gpx.month, gpx.day, gpx.hour, gpx.minute, gpx.second}),
                  (std::vector<int>{c.year, c.month, c.day, c.hour, c.minute, c.second}));
        EXPECT_EQ(gpx.elevation, GpxPoint::kUnknown);
    }
    EXPECT_FALSE(GpxCanHold(GpxPointOf(TrackPoint{52.0, 13.0, 0.0, 0.0, false, "", ""})));
    EXPECT_NEAR(GpxPointOf(TrackPoint{52.0, 13.0, 328.084, 1.0, false, "", ""}).elevation, 100.0, 1e-5);
}

}  // namespace
