#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "processing/WeekRollover.h"
#include "tests/support/TestApplication.h"

namespace {

SystemTime Date(int year, int month, int day) {
    SystemTime date{};
    date.year = static_cast<uint16_t>(year);
    date.month = static_cast<uint16_t>(month);
    date.day = static_cast<uint16_t>(day);
    return date;
}

GpsFix FixOn(int year, int month, int day) {
    GpsFix fix{};
    fix.year = static_cast<uint8_t>(year - 2000);
    fix.month = static_cast<uint8_t>(month);
    fix.day = static_cast<uint8_t>(day);
    return fix;
}

TEST(WeekRollover, MovesOnlyDatesWholePeriodsBackAndOnlyAsTheRuleSays) {
    const SystemTime today = Date(2026, 12, 9);
    const struct {
        WeekRollover::Rule rule;
        int year, month, day;         // the receiver's date
        int weeks;                    // moved by
        int toYear, toMonth, toDay;   // and lands on
    } cases[] = {
        {WeekRollover::Rule::NearToday, 2007, 4, 25, 1024, 2026, 12, 9},   // exactly 1024 weeks
        {WeekRollover::Rule::NearToday, 2007, 5, 5, 1024, 2026, 12, 19},   // ten days of slack ahead
        {WeekRollover::Rule::NearToday, 2007, 4, 15, 1024, 2026, 11, 29},  // ten days behind
        {WeekRollover::Rule::NearToday, 2007, 3, 26, 0, 2007, 3, 26},      // a month off: no rollover
        {WeekRollover::Rule::NearToday, 2026, 12, 8, 0, 2026, 12, 8},      // a good receiver
        {WeekRollover::Rule::Any, 2007, 3, 26, 1024, 2026, 11, 9},         // a recording of November
        {WeekRollover::Rule::Any, 2026, 1, 14, 0, 2026, 1, 14},            // a real old recording stays
        {WeekRollover::Rule::Keep, 2007, 4, 25, 0, 2007, 4, 25},
    };
    for (const auto& c : cases) {
        WeekRollover rollover;
        rollover.SetRule(c.rule);
        GpsFix fix = FixOn(c.year, c.month, c.day);
        EXPECT_EQ(rollover.Correct(fix, today), c.weeks) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(2000 + fix.year, c.toYear) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(fix.month, c.toMonth) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(fix.day, c.toDay) << c.year << "-" << c.month << "-" << c.day;
    }
}

// "$<body>*HH\r\n" with the body's checksum.
std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

// A minute of fixes from a receiver that dates them 1024 weeks back.
std::string RolledOverMinute() {
    std::string bytes;
    for (int second = 0; second < 60; ++second) {
        char time[16];
        snprintf(time, sizeof time, "1200%02d.00", second);
        bytes += Sentence(std::string("GPGGA,") + time + ",4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
        bytes += Sentence(std::string("GPRMC,") + time + ",A,4807.038,N,01131.000,E,022.4,084.4,250407,,,A");
    }
    return bytes;
}

class WeekRolloverRun : public ::testing::Test {
protected:
    void SetUp() override { rig->zone.today = Date(2026, 12, 9); }
    std::string Log() {
        std::wstring text = rig->app.dialog.Box(kLogBox).Text();
        return std::string(text.begin(), text.end());
    }
    std::unique_ptr<TestApplication> rig = std::make_unique<TestApplication>();
    Application& app = rig->app;
};

TEST_F(WeekRolloverRun, ALiveReceiversDatesAreMovedAndTheLogSaysSoOnce) {
    app.window.Create();
    app.window.Activate();
    rig->serial.Feed(RolledOverMinute());
    for (int tick = 0; tick < 10; ++tick) app.window.Tick();
    app.track.Flush();
    EXPECT_TRUE(rig->files.HasFile(L"\\Kestrave\\2026-12-09.plt"));
    EXPECT_FALSE(rig->files.HasFile(L"\\Kestrave\\2007-04-25.plt"));
    const std::string log = Log();
    ASSERT_NE(log.find("GPS week rollover"), std::string::npos) << log;
    EXPECT_EQ(log.find("GPS week rollover"), log.rfind("GPS week rollover")) << "once a run";
}

TEST_F(WeekRolloverRun, AReplayKeepsTheRecordedDateUnlessAskedToFixIt) {
    for (bool fix : {false, true}) {
        rig = std::make_unique<TestApplication>();
        rig->zone.today = Date(2026, 12, 9);
        Application& run = rig->app;
        run.window.FixReplayRollover(fix);
        run.window.Create();
        run.window.Activate();
        run.port.portNumber = SerialPort::kNoPort;
        rig->files.AddFile(L"\\drive.nmea", RolledOverMinute());
        ASSERT_TRUE(run.window.OpenNmeaFile(L"\\drive.nmea"));
        for (int tick = 0; tick < 10; ++tick) run.window.Tick();
        run.track.Flush();
        EXPECT_EQ(rig->files.HasFile(L"\\Kestrave\\2026-12-09.plt"), fix);
        EXPECT_EQ(rig->files.HasFile(L"\\Kestrave\\2007-04-25.plt"), !fix);
    }
}

}  // namespace
