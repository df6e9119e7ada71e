// The one line that tells whether anything is being saved, through the states a
// logger meets: waiting for data, no fix, recording, a day file that cannot be
// written, a receiver that went.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "tests/support/TestApplication.h"

namespace {

using Kind = RecordingState::Kind;

// An RMC of 25.03.09 at 12:17:ss with a valid checksum; status A (a fix) or V.
std::string Rmc(int second, char status = 'A') {
    char body[96];
    snprintf(body, sizeof body, "GPRMC,1217%02d,%c,5545.000,N,03737.000,E,010.0,090.0,250309,,", second, status);
    unsigned sum = 0;
    for (const char* c = body; *c != '\0'; ++c) sum ^= static_cast<unsigned char>(*c);
    char line[128];
    snprintf(line, sizeof line, "$%s*%02X\r\n", body, sum);
    return line;
}

class RecordingStateTest : public ::testing::Test {
protected:
    // One tick, with these bytes waiting at the port.
    void Tick(const std::string& bytes = "") {
        rig->serial.Feed(bytes);
        app.window.Tick();
    }
    std::wstring Line() const { return app.state.Line(); }

    std::unique_ptr<TestApplication> rig = std::make_unique<TestApplication>();
    Application& app = rig->app;
};

TEST_F(RecordingStateTest, WaitsForDataThenAFixThenRecordsAndSaysWhenEitherStops) {
    Tick();
    EXPECT_EQ(app.state.GetKind(), Kind::NoData);
    EXPECT_EQ(Line(), L"No data yet from COM1");
    EXPECT_EQ(app.state.GetLevel(), RecordingState::Level::Warning);

    for (int second = 0; second < 3; ++second) Tick(Rmc(second, 'V'));
    EXPECT_EQ(Line(), L"No fix yet: is the antenna's view of the sky free?");
    const uint32_t changes = app.state.Changes();
    for (int second = 3; second < 10; ++second) Tick(Rmc(second));
    EXPECT_EQ(app.state.GetKind(), Kind::Recording) << Line();
    EXPECT_EQ(Line().rfind(L"Recording: COM1, ", 0), 0u) << Line();
    EXPECT_EQ(app.state.GetLevel(), RecordingState::Level::Good);
    EXPECT_EQ(app.state.Changes(), changes + 1) << "the counts in the line are no change of state";

    // The receiver loses the sky: fixes stop, sentences go on.
    for (int second = 10; second < 17; ++second) Tick(Rmc(second, 'V'));
    EXPECT_EQ(app.state.GetKind(), Kind::NoFix);
    EXPECT_EQ(Line(), L"No fix since 12:17:09 UTC: is the antenna's view of the sky free?")
        << "a fix is shown when the next RMC comes";
    // The cable goes quiet.
    for (int tick = 0; tick < 7; ++tick) Tick();
    EXPECT_EQ(Line(), L"No data since 12:17:09 UTC from COM1");
}

TEST_F(RecordingStateTest, ADayFileThatCannotBeWrittenIsNotRecordingUntilAFlushWritesAgain) {
    for (int second = 0; second < 8; ++second) Tick(Rmc(second));
    ASSERT_EQ(app.state.GetKind(), Kind::Recording) << Line();
    rig->files.FailNext(FakeFileSystem::Op::Open, 30, 1);  // the track file's, after the GPX's
    app.dialog.PressFlush();
    Tick(Rmc(8));
    EXPECT_EQ(app.state.GetKind(), Kind::NotRecording);
    EXPECT_EQ(app.state.GetLevel(), RecordingState::Level::Bad);
    EXPECT_EQ(Line().rfind(L"NOT RECORDING: Cannot open ", 0), 0u) << Line();
    EXPECT_NE(Line().find(L"2009-03-25.plt"), std::wstring::npos) << Line();

    app.dialog.PressFlush();
    Tick(Rmc(9));
    EXPECT_EQ(app.state.GetKind(), Kind::Recording) << Line();
    EXPECT_NE(std::wstring(app.dialog.Box(kLogBox).Text()).find(L"Writing again after 1 failed flush: "),
              std::wstring::npos);
}

TEST_F(RecordingStateTest, APortThatWentIsGoneAndOneNeverOpenedIsNotRecording) {
    for (int second = 0; second < 8; ++second) Tick(Rmc(second));
    rig->serial.InjectReadError();
    rig->serial.Fail(FakeSerialDevice::Op::Open);
    Tick();
    EXPECT_EQ(app.state.GetKind(), Kind::DeviceGone);
    EXPECT_EQ(Line(), L"Device gone since 12:17:06 UTC: COM1");
    EXPECT_EQ(std::wstring(app.dialog.Box(kStatusBox).Text()).find(L"Lat"), std::wstring::npos)
        << "the last fix is not shown as current";

    auto fresh = std::make_unique<TestApplication>();
    fresh->serial.Fail(FakeSerialDevice::Op::Open);
    fresh->app.window.Tick();
    EXPECT_EQ(std::wstring(fresh->app.state.Line()), L"NOT RECORDING: COM1 does not open");
    fresh->app.port.SelectPort(SerialPort::kNoPort);
    fresh->app.window.Tick();
    EXPECT_EQ(std::wstring(fresh->app.state.Line()), L"NOT RECORDING: no input port is selected");
}

// Count of a text in the log box.
size_t InLog(Application& app, const std::wstring& text) {
    const std::wstring log = app.dialog.Box(kLogBox).Text();
    size_t count = 0;
    for (size_t at = log.find(text); at != std::wstring::npos; at = log.find(text, at + 1)) ++count;
    return count;
}

// With --warn-after 10: each silence is said once when it is that long, and once when
// it ends. This zone knows no system clock, so the times are the last fix's.
TEST_F(RecordingStateTest, ASilenceIsSaidOnceWhenItIsLongAndWhenItEnds) {
    app.state.SetWarnAfter(10);
    for (int second = 0; second < 10; ++second) Tick(Rmc(second));
    for (int second = 10; second < 30; ++second) Tick(Rmc(second, 'V'));
    EXPECT_EQ(InLog(app, L"No fix since 12:17:09 UTC, for 10 seconds, though sentences come: the antenna needs a "
                         L"view of the open sky.\r\n"),
              1u)
        << app.dialog.Box(kLogBox).Text();
    for (int second = 30; second < 33; ++second) Tick(Rmc(second));
    EXPECT_EQ(InLog(app, L"A fix again at 12:17:30 UTC.\r\n"), 1u) << app.dialog.Box(kLogBox).Text();

    for (int tick = 0; tick < 25; ++tick) Tick();
    EXPECT_EQ(InLog(app, L"No data since 12:17:31 UTC from COM1, for 10 seconds: check the cable"), 1u)
        << app.dialog.Box(kLogBox).Text();
    EXPECT_EQ(InLog(app, L"No fix since"), 1u) << "no fix while no data comes is the data's silence";
    Tick(Rmc(40));
    EXPECT_EQ(InLog(app, L"Data again from COM1 at 12:17:32 UTC.\r\n"), 1u) << app.dialog.Box(kLogBox).Text();

    // The setting's default, and 0 for never.
    auto quiet = std::make_unique<TestApplication>();
    quiet->app.window.Create();
    quiet->app.state.SetWarnAfter(0);
    for (int tick = 0; tick < 400; ++tick) quiet->app.window.Tick();
    EXPECT_EQ(std::wstring(quiet->app.dialog.Box(kLogBox).Text()).find(L"No data since"), std::wstring::npos);
}

}  // namespace
