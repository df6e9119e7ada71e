// The lines beside the status text in the terminal program: input, today's counts,
// output folder and what a press of Flush did.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "shell/StatusSummary.h"
#include "tests/support/ExampleFix.h"
#include "tests/support/TestApplication.h"

namespace {

class StatusSummaryTest : public ::testing::Test {
protected:
    std::unique_ptr<TestApplication> rig = std::make_unique<TestApplication>();
    Application& app = rig->app;
    StatusSummary summary{rig->files, app.track, app.route, app.poller, app.port};

    // A point every 10 seconds from 12:00:00 on the day given.
    void AddPoints(int count, int day) {
        for (int i = 0; i < count; ++i) app.track.AddPoint(ExampleFixAt(day, 3, 9, 12, i / 6, (i % 6) * 10.0));
    }
};

// Only lines in the day files count as written; pending ones wait apart. A new local
// day starts again from 0.
TEST_F(StatusSummaryTest, CountsAreTodaysOwnAndFollowTheDay) {
    AddPoints(3, 25);
    app.route.AddWaypoint(ExampleFix());
    EXPECT_EQ(summary.CountsLine(), L"Today: 0 track points, 0 waypoints written, 4 waiting");
    app.track.Flush();
    AddPoints(1, 25);
    EXPECT_EQ(summary.CountsLine(), L"Today: 3 track points, 0 waypoints written, 2 waiting");
    app.route.Flush();
    app.track.Flush();
    EXPECT_EQ(summary.CountsLine(), L"Today: 4 track points, 1 waypoint written");
    AddPoints(2, 26);
    EXPECT_EQ(app.track.LinesToday(), 2u);
    EXPECT_EQ(app.track.LinesWritten(), 4u) << "the old day's lines went to its file at the change";
    EXPECT_EQ(app.track.FilesStarted(), 1u);
}

TEST_F(StatusSummaryTest, TheFolderIsShownAsAHostPathAndTheInputByWhatFeedsIt) {
    app.track.SetFolder(L"\\GPS\\Days");
    wchar_t host[kDisplayPathChars];
    rig->files.DisplayPath(L"\\GPS\\Days", host, kDisplayPathChars);
    EXPECT_EQ(summary.FolderLine(), std::wstring(L"Output: ") + host);

    app.port.portNumber = 3;
    app.port.portSpeed = 9600;
    EXPECT_EQ(summary.InputLine().find(L"Input: COM3, "), 0u) << summary.InputLine();
    EXPECT_NE(summary.InputLine().find(L", 9600 bit/s, not open"), std::wstring::npos) << summary.InputLine();
    app.port.portNumber = SerialPort::kNoPort;
    EXPECT_EQ(summary.InputLine().find(L"Input: no port selected"), 0u);

    rig->files.AddFile(L"\\drive.nmea", "");
    ASSERT_TRUE(app.window.OpenNmeaFile(L"\\drive.nmea"));
    rig->files.DisplayPath(L"\\drive.nmea", host, kDisplayPathChars);
    EXPECT_EQ(summary.InputLine(), std::wstring(L"Replaying ") + host);
}

TEST_F(StatusSummaryTest, FlushShowsWhatItWroteForAFewTicksOrThatItFailed) {
    EXPECT_EQ(summary.FlushNote(0, false), L"") << "nothing before a press";
    AddPoints(2, 25);
    summary.NoteFlush(10);
    EXPECT_EQ(summary.FlushNote(10, true), L"Flushing...");
    app.track.Flush();
    wchar_t host[kDisplayPathChars];
    rig->files.DisplayPath(L"\\Kestrave", host, kDisplayPathChars);
    EXPECT_EQ(summary.FlushNote(11, false), std::wstring(L"Flushed: 2 track points, 0 waypoints written to ") + host);
    EXPECT_EQ(summary.FlushNote(10 + StatusSummary::kFlushNoteTicks + 1, false), L"");

    AddPoints(1, 25);
    summary.NoteFlush(20);
    rig->files.FailNext(FakeFileSystem::Op::Write, 29, 1);  // the track file's, after the GPX's
    app.track.Flush();
    EXPECT_EQ(summary.FlushNote(21, false), L"Flush failed: the log below says why.");
    EXPECT_EQ(app.track.LinesWritten(), 2u) << "the failed lines are not counted as written";
}

}  // namespace
