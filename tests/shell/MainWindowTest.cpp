#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

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
    app.track.SetGpx(false);
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
    EXPECT_FALSE(app.flags.flushRequested);
    EXPECT_FALSE(app.poller.Replaying());
}

TEST_F(MainWindowTest, OpeningAReplayFlushesEarlierLinesBeforeTheFirstByteIsRead) {
    app.track.AddPoint(ExampleFix());
    rig->files.AddFile(L"\\drive.nmea", "$GPGGA,bad\r\n");
    ASSERT_TRUE(app.window.OpenNmeaFile(L"\\drive.nmea"));
    EXPECT_TRUE(app.flags.flushRequested);
    rig->files.FailNext(FakeFileSystem::Op::Read);  // so the replay could not have fed anything first
    app.window.Tick();
    EXPECT_NE(rig->files.Contents(L"\\Kestrave\\2009-03-25.plt").find("12:17:46"), std::string::npos);
    EXPECT_EQ(LogText(app).find(L"\\drive.nmea\r\nCannot read "), 0u) << "the read error's line, not the end's";
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
    EXPECT_FALSE(app.flags.flushRequested);
    uint32_t ticks = app.window.TickCount();
    app.window.Tick();
    EXPECT_EQ(app.window.TickCount(), ticks);
}

}  // namespace

namespace {

// Answers the window's questions as told and records what it was asked to show.
struct ScriptedFrontEnd : FrontEnd {
    void ShowAbout() override { shown.push_back(L"about"); }
    bool AskYesNo(const wchar_t* question, const wchar_t* caption) override {
        shown.push_back(std::wstring(caption) + L": " + question);
        return answerYes;
    }
    bool ChooseNmeaFile(wchar_t* path, int chars) override {
        if (chosen.empty()) return false;
        wcsncpy(path, chosen.c_str(), static_cast<size_t>(chars - 1));
        return true;
    }
    void ShowFolderDialog() override { shown.push_back(L"folders"); }
    void Quit() override { quit = true; }

    bool answerYes = false;
    std::wstring chosen;
    std::vector<std::wstring> shown;
    bool quit = false;
};

class WindowCommandsTest : public MainWindowTest {
protected:
    void SetUp() override { app.window.SetFrontEnd(&face); }
    ScriptedFrontEnd face;
};

TEST_F(WindowCommandsTest, StartUpLoadsPortThenTheFirstTickLoadsTheFolderOrAsksForOne) {
    rig->settings.PutDword(L"PortNumber", 3);
    rig->settings.PutDword(L"PortSpeed", 9600);
    app.window.Create();
    EXPECT_EQ(app.port.portNumber, 3);
    EXPECT_EQ(app.port.portSpeed, 9600);
    EXPECT_TRUE(app.window.Activate());
    EXPECT_FALSE(app.window.Activate()) << "the timer starts once however often the window is activated";
    app.window.Tick();
    EXPECT_EQ(app.window.State(), MainWindow::Running);
    EXPECT_EQ(face.shown, std::vector<std::wstring>{L"folders"}) << "no folder stored";
    EXPECT_EQ(app.window.TickCount(), 0u) << "the first tick does nothing else";
    EXPECT_EQ(rig->serial.Calls(FakeSerialDevice::Op::Open), 0);
    app.window.Tick();
    EXPECT_EQ(rig->serial.Calls(FakeSerialDevice::Op::Open), 1);
}

TEST_F(WindowCommandsTest, AStoredFolderGoesToBothWritersWithoutADialog) {
    rig->settings.PutString(L"OutputDir", L"\\Storage Card\\GPS");
    app.window.Activate();
    app.window.Tick();
    EXPECT_TRUE(face.shown.empty());
    wchar_t folder[kFolderChars];
    app.track.GetFolder(folder);
    EXPECT_EQ(std::wstring(folder), L"\\Storage Card\\GPS");
}

TEST_F(WindowCommandsTest, ExitSavesThePortFirstAndGoesOnOnlyOnYes) {
    app.window.HandleCommand(40014);  // COM3
    app.window.HandleCommand(40028);  // 9600
    app.window.HandleCommand(40004);
    EXPECT_EQ(face.shown, std::vector<std::wstring>{L"Exit: Are you sure?"});
    EXPECT_EQ(rig->settings.Dword(L"PortNumber"), 3u);
    EXPECT_EQ(rig->settings.Dword(L"PortSpeed"), 9600u);
    EXPECT_FALSE(app.window.Closing()) << "No keeps it running";
    EXPECT_FALSE(face.quit);

    face.answerYes = true;
    app.track.AddPoint(ExampleFix());
    app.window.HandleCommand(40004);
    EXPECT_TRUE(app.window.Closing());
    EXPECT_TRUE(face.quit);
    EXPECT_TRUE(rig->files.HasFile(L"\\Kestrave\\2009-03-25.plt")) << "the teardown flushed";
}

TEST_F(WindowCommandsTest, CtrlQClosesAtOnceWithoutSavingOrAsking) {
    app.window.HandleCommand(40011);
    app.window.HandleCommand(1);
    EXPECT_TRUE(face.shown.empty());
    EXPECT_TRUE(rig->settings.values.empty());
    EXPECT_TRUE(app.window.Closing());
    EXPECT_TRUE(face.quit);
}

TEST_F(WindowCommandsTest, PortAndSpeedItemsSelectAndMarkTheChoice) {
    app.window.Tick();
    EXPECT_TRUE(rig->serial.IsOpen());
    app.window.HandleCommand(40026);  // COM15 closes the open port at once
    EXPECT_FALSE(rig->serial.IsOpen());
    EXPECT_EQ(app.port.portNumber, 15);
    EXPECT_EQ(app.window.MarkedPortCommand(), 40026);
    app.window.HandleCommand(40010);
    EXPECT_EQ(app.port.portNumber, -1);
    EXPECT_EQ(app.window.MarkedPortCommand(), 40010);
    app.window.HandleCommand(40032);
    EXPECT_EQ(app.port.portSpeed, 115200);
    EXPECT_EQ(app.window.MarkedSpeedCommand(), 40032);

    app.port.portNumber = 20;  // as a settings file may hold
    app.port.portSpeed = 1200;
    EXPECT_EQ(app.window.MarkedPortCommand(), 0);
    EXPECT_EQ(app.window.MarkedSpeedCommand(), 0);
}

TEST_F(WindowCommandsTest, AboutFolderAndReadNmeaFileGoThroughTheFace) {
    app.window.HandleCommand(40003);
    app.window.HandleCommand(40007);
    app.window.HandleCommand(40006);  // cancelled: nothing happens
    EXPECT_EQ(face.shown, (std::vector<std::wstring>{L"about", L"folders"}));
    EXPECT_TRUE(LogText(app).empty());
    rig->files.AddFile(L"\\drive.nmea", "");
    face.chosen = L"\\drive.nmea";
    app.window.HandleCommand(40006);
    EXPECT_TRUE(app.poller.Replaying());
    EXPECT_EQ(LogText(app), L"\\drive.nmea\r\n");
}

}  // namespace

namespace {

// The window's own ways of closing the port: the teardown and the "None" item.
class WindowPortTest : public MainWindowTest {
protected:
    int DeviceCalls(FakeSerialDevice::Op op) const { return rig->serial.Calls(op); }
};

TEST_F(WindowPortTest, TeardownClosesTheOpenPortAndNoLaterTickReopensIt) {
    app.window.Tick();
    ASSERT_TRUE(app.port.IsOpen());
    app.window.Teardown();
    EXPECT_FALSE(app.port.IsOpen());
    EXPECT_FALSE(rig->serial.IsOpen());
    EXPECT_EQ(DeviceCalls(FakeSerialDevice::Op::Close), 1);
    app.window.Tick();
    EXPECT_EQ(DeviceCalls(FakeSerialDevice::Op::Open), 1);
    EXPECT_EQ(rig->serial.strayCalls, 0);
}

TEST_F(WindowPortTest, TeardownOfAPortClosedByAReadErrorLeavesTheDeviceAlone) {
    app.window.Tick();
    rig->serial.InjectReadError();
    app.window.Tick();
    ASSERT_FALSE(app.port.IsOpen());
    app.window.Teardown();
    EXPECT_EQ(DeviceCalls(FakeSerialDevice::Op::Close), 1) << "only the read error's close";
    EXPECT_EQ(rig->serial.strayCalls, 0);
}

TEST_F(WindowPortTest, NoneClosesTheOpenPortAndLaterTicksOpenNothing) {
    app.window.Tick();
    ASSERT_TRUE(app.port.IsOpen());
    int reads = DeviceCalls(FakeSerialDevice::Op::Read);
    app.window.HandleCommand(40010);  // None
    EXPECT_FALSE(app.port.IsOpen());
    EXPECT_FALSE(rig->serial.IsOpen());
    for (int tick = 0; tick < 3; ++tick) app.window.Tick();
    EXPECT_EQ(DeviceCalls(FakeSerialDevice::Op::Open), 1);
    EXPECT_EQ(DeviceCalls(FakeSerialDevice::Op::Read), reads);
    EXPECT_EQ(StatusText(app), L"COM1 opening...\r\n");
    EXPECT_EQ(rig->serial.strayCalls, 0);
}

}  // namespace
