#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "nmea/GgaParser.h"
#include "tests/support/MarkedFix.h"

namespace {

// The step that stopped the parse, as the design numbers it (0: parsed to its end).
int Gga(const char* sentence, GpsFix& fix) { return static_cast<int>(ParseGga(sentence, fix)); }

constexpr const char* kExample = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";

void ExpectExampleTime(const GpsFix& fix) {
    EXPECT_EQ(fix.hour, 12);
    EXPECT_EQ(fix.minute, 35);
    EXPECT_EQ(fix.seconds, 19.0);
}

void ExpectRmcFieldsUntouched(const GpsFix& fix) {
    EXPECT_EQ(fix.day, 1);
    EXPECT_EQ(fix.month, 2);
    EXPECT_EQ(fix.year, 3);
    EXPECT_EQ(fix.latitude, 9.5);
    EXPECT_EQ(fix.longitude, 10.5);
    EXPECT_EQ(fix.speedKmh, 11.5);
    EXPECT_EQ(fix.course, 13.5);
}

TEST(GgaParser, ParsesTimeSatellitesHdopAndAltitude) {
    GpsFix fix = MarkedFix();
    ASSERT_EQ(Gga(kExample, fix), 0);
    ExpectExampleTime(fix);
    EXPECT_EQ(fix.timeOfDay, 45319.0);
    EXPECT_EQ(fix.satellites, 8);
    EXPECT_EQ(fix.hdop, 0.9);
    EXPECT_EQ(fix.altitude, 545.4);
    ExpectRmcFieldsUntouched(fix);
}

TEST(GgaParser, NoFixLeavesEverySentinel) {
    constexpr const char* kNoFix[] = {
        "$GPGGA,123519,4807.038,N,01131.000,E,0,08,0.9,545.4,M,46.9,M,,*46",
        "$GPGGA,123519,4807.038,N,01131.000,E,,08,0.9,545.4,M,46.9,M,,*00",
        "$GPGGA,123519,4807.038,N,01131.000,E,-1,08,0.9,545.4,M,46.9,M,,*00",
        "$GPGGA,123519,4807.038,N,01131.000,E,x,08,0.9,545.4,M,46.9,M,,*00",
    };
    for (const char* sentence : kNoFix) {
        SCOPED_TRACE(sentence);
        GpsFix fix = MarkedFix();
        EXPECT_EQ(Gga(sentence, fix), 5);
        ExpectExampleTime(fix);
        EXPECT_EQ(fix.satellites, kNoSatellites);
        EXPECT_EQ(fix.hdop, kNoHdop);
        EXPECT_EQ(fix.altitude, kNoAltitude);
        EXPECT_EQ(fix.timeOfDay, kGgaNotParsed);
    }
}

TEST(GgaParser, EmptyAltitudeKeepsSatellitesAndHdop) {
    GpsFix fix = MarkedFix();
    EXPECT_EQ(Gga("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,,M,46.9,M,,*00", fix), 9);
    EXPECT_EQ(fix.satellites, 8);
    EXPECT_EQ(fix.hdop, 0.9);
    EXPECT_EQ(fix.altitude, kNoAltitude);
    EXPECT_EQ(fix.timeOfDay, kGgaNotParsed);
}

TEST(GgaParser, AltitudeOnlyInMetres) {
    constexpr const char* kUnits[] = {
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,F,46.9,M,,*00",
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,m,46.9,M,,*00",
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,",
    };
    for (const char* sentence : kUnits) {
        SCOPED_TRACE(sentence);
        GpsFix fix = MarkedFix();
        EXPECT_EQ(Gga(sentence, fix), 10);
        EXPECT_EQ(fix.altitude, kNoAltitude);
        EXPECT_EQ(fix.timeOfDay, kGgaNotParsed);
    }
}

constexpr SentenceStep kFailures[] = {
    {"$GPGGA,123519", 2},
    {"$GPGGA,123519,4807.038", 3},
    {"$GPGGA,123519,4807\xb0" "038,N,01131.000,E,1,08,0.9,545.4,M*00", 3},
    {"$GPGGA,123519,4807.038,N", 4},
    {"$GPGGA,123519,4807.038,N,01131.000", 3},
    {"$GPGGA,123519,4807.038,N,01131.000,E", 4},
    {"$GPGGA,123519,4807.038,N,01131.000,E,1", 6},
    {"$GPGGA,123519,4807.038,N,01131.000,E,1,08", 7},
    {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9", 8},
    {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4", 8},
    {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4*00", 8},
};

TEST(GgaParser, FailingStepNamesTheResult) {
    for (const SentenceStep& c : kFailures) {
        GpsFix fix = MarkedFix();
        EXPECT_EQ(Gga(c.sentence, fix), c.expected) << c.sentence;
        EXPECT_EQ(fix.timeOfDay, kGgaNotParsed) << c.sentence;
        EXPECT_EQ(fix.altitude, kNoAltitude) << c.sentence;
    }
}

TEST(GgaParser, WrongTypeStillResetsThePresets) {
    GpsFix fix = MarkedFix();
    EXPECT_EQ(Gga("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", fix), 1);
    EXPECT_EQ(fix.altitude, kNoAltitude);
    EXPECT_EQ(fix.hdop, kNoHdop);
    EXPECT_EQ(fix.timeOfDay, kGgaNotParsed);
    EXPECT_EQ(fix.satellites, kNoSatellites);
    EXPECT_EQ(fix.seconds, 7.5);  // the GGA has no seconds preset
    EXPECT_EQ(fix.hour, 4);
    EXPECT_EQ(Gga("$GPGG", fix), 1);
}

TEST(GgaParser, SatelliteCountBeyond32BitsSaturates) {
    GpsFix fix = MarkedFix();
    ASSERT_EQ(Gga("$GPGGA,123519,,,,,99999999999999999999,99999999999,1e999,1,M*00", fix), 0);
    EXPECT_EQ(fix.satellites, INT32_MAX);
    EXPECT_EQ(fix.hdop, HUGE_VAL);
}

TEST(GgaParser, NeverReadsBytesAfterTheTerminatingNul) {
    constexpr SentenceStep kStaleCases[] = {
        {"$GPGGA,1", 2},
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,", 8},
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,", 10},
    };
    for (const SentenceStep& c : kStaleCases) {
        SCOPED_TRACE(c.sentence);
        StaleBuffer buffer(kExample, c.sentence);
        GpsFix fix = MarkedFix();
        EXPECT_EQ(Gga(buffer.bytes, fix), c.expected);
        EXPECT_EQ(fix.timeOfDay, kGgaNotParsed);
        EXPECT_EQ(fix.altitude, kNoAltitude);
    }
}

}  // namespace
