#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "nmea/GpsFix.h"
#include "tests/support/ExampleFix.h"
#include "tests/support/TestApplication.h"

namespace {

std::wstring StatusText(Application& app) { return app.dialog.Box(kStatusBox).Text(); }
std::wstring LogText(Application& app) { return app.dialog.Box(kLogBox).Text(); }

class MainWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<TestApplication> rig = std::make_unique<TestApplication>();
    Application& app = rig->app;
};

TEST_F(MainWindowTest, NoDataReplacesTheStatusOnEverySixthTickWithoutInput) {
    for (int tick = 1; tick <= 18; ++tick) {
        app.dialog.SetText(kStatusBox, L"fix");
        app.window.Tick();
        bool noData = StatusText(app) == L"No data \r\n";
        EXPECT_EQ(noData, tick % 6 == 0) << "tick " << tick;
    }
}

TEST_F(MainWindowTest, IdleTimerIsResetOnTheFirstTickAndEvery128th) {
    for (int tick = 0; tick < 257; ++tick) app.window.Tick();
    EXPECT_EQ(rig->keepAwake.resets, 3);  // ticks 1, 129 and 257
}

TEST_F(MainWindowTest, FlushPressedTwiceWithinOneTickFlushesOnce) {
    app.track.AddPoint(ExampleFix());
    app.dialog.PressFlush();
    app.dialog.PressFlush();
    EXPECT_EQ(rig->files.Calls(FakeFileSystem::Op::Open), 0) << "the button only asks";
    app.window.Tick();
    EXPECT_EQ(rig->files.Calls(FakeFileSystem::Op::Open), 1);
    app.window.Tick();
    EXPECT_EQ(rig->files.Calls(FakeFileSystem::Op::Open), 1);
    EXPECT_NE(rig->files.Contents(L"\\Kestrave\\2009-03-25.plt").find("12:17:46"), std::string::npos);
}

TEST_F(MainWindowTest, UnopenableReplayFileLogsPathThenNumberedErrorAndChangesNothing) {
    app.messageCounter.Next();  // an earlier route message took number 1
    EXPECT_FALSE(app.window.OpenNmeaFile(L"\\Missing\\drive.nmea"));
    EXPECT_EQ(LogText(app), L"\\Missing\\drive.nmea\r\n(2) File Open Error: 2 \r\n");
    EXPECT_EQ(app.flags.flushRequested, 0);
    EXPECT_FALSE(app.poller.Replaying());
}

TEST_F(MainWindowTest, OpeningAReplayFlushesEarlierLinesBeforeTheFirstByteIsRead) {
    app.track.AddPoint(ExampleFix());
    rig->files.AddFile(L"\\drive.nmea", "$GPGGA,bad\r\n");
    ASSERT_TRUE(app.window.OpenNmeaFile(L"\\drive.nmea"));
    EXPECT_EQ(app.flags.flushRequested, 1);
    rig->files.FailNext(FakeFileSystem::Op::Read);  // so the replay could not have fed anything first
    app.window.Tick();
    EXPECT_NE(rig->files.Contents(L"\\Kestrave\\2009-03-25.plt").find("12:17:46"), std::string::npos);
    EXPECT_EQ(LogText(app), L"\\drive.nmea\r\nFile processed\r\n");
}

TEST_F(MainWindowTest, ASecondReplayFileClosesTheFirst) {
    rig->files.AddFile(L"\\a.nmea", "$GPGGA\r\n");
    rig->files.AddFile(L"\\b.nmea", "$GPGGA\r\n");
    ASSERT_TRUE(app.window.OpenNmeaFile(L"\\a.nmea"));
    ASSERT_TRUE(app.window.OpenNmeaFile(L"\\b.nmea"));
    EXPECT_EQ(rig->files.OpenCount(), 1);
    app.window.Tick();
    EXPECT_EQ(rig->files.OpenCount(), 0);
}

TEST_F(MainWindowTest, TeardownFlushesBothWritersClosesTheReplayAndStopsTicks) {
    GpsFix fix = ExampleFix();
    app.track.AddPoint(fix);
    app.route.AddWaypoint(fix);
    rig->files.AddFile(L"\\a.nmea", "$GPGGA\r\n");
    ASSERT_TRUE(app.window.OpenNmeaFile(L"\\a.nmea"));
    app.window.Teardown();
    EXPECT_TRUE(rig->files.HasFile(L"\\Kestrave\\2009-03-25.plt"));
    EXPECT_TRUE(rig->files.HasFile(L"\\Kestrave\\2009-03-25.rte"));
    EXPECT_EQ(rig->files.OpenCount(), 0);
    EXPECT_EQ(app.flags.flushRequested, 0);
    uint32_t ticks = app.window.TickCount();
    app.window.Tick();
    EXPECT_EQ(app.window.TickCount(), ticks);
}

}  // namespace
