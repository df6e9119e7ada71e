#include <gtest/gtest.h>

#include <cstring>

#include "nmea/RmcParser.h"
#include "tests/support/MarkedFix.h"

namespace {

// The step that stopped the parse, as the design numbers it (0: parsed to its end).
int Rmc(const char* sentence, GpsFix& fix) { return static_cast<int>(ParseRmc(sentence, fix)); }

constexpr const char* kExample =
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";

void ExpectExampleTime(const GpsFix& fix) {
    EXPECT_EQ(fix.hour, 12);
    EXPECT_EQ(fix.minute, 35);
    EXPECT_DOUBLE_EQ(fix.seconds, 19.0);
}

void ExpectDateUntouched(const GpsFix& fix) {
    EXPECT_EQ(fix.day, 1);
    EXPECT_EQ(fix.month, 2);
    EXPECT_EQ(fix.year, 3);
}

TEST(RmcParser, ParsesEveryFieldOfAFix) {
    GpsFix fix = MarkedFix();
    ASSERT_EQ(Rmc(kExample, fix), 0);
    ExpectExampleTime(fix);
    EXPECT_EQ(fix.timeOfDay, 45319.0);
    EXPECT_EQ(fix.latitude, 7.038 * 0.016666666666666666 + 48);
    EXPECT_DOUBLE_EQ(fix.latitude, 48.1173);
    EXPECT_EQ(fix.longitude, 11.516666666666666);
    EXPECT_EQ(fix.speedKmh, 22.4 * 1.852);
    EXPECT_DOUBLE_EQ(fix.speedKmh, 41.4848);
    EXPECT_EQ(fix.course, 84.4);
    EXPECT_EQ(fix.day, 23);
    EXPECT_EQ(fix.month, 3);
    EXPECT_EQ(fix.year, 94);
    EXPECT_EQ(fix.altitude, kNoAltitude);
    // The RMC does not carry these; they keep what the record held.
    EXPECT_EQ(fix.satellites, 6);
    EXPECT_EQ(fix.hdop, 14.5);
}

TEST(RmcParser, SouthAndWestAreNegative) {
    GpsFix fix = MarkedFix();
    ASSERT_EQ(Rmc("$GPRMC,123519,A,4807.038,S,01131.000,W,022.4,084.4,230394,003.1,W*65", fix), 0);
    EXPECT_EQ(fix.latitude, -(7.038 * 0.016666666666666666 + 48));
    EXPECT_EQ(fix.longitude, -11.516666666666666);
}

TEST(RmcParser, FractionalSecondsEnterTheTimeOfDay) {
    GpsFix fix = MarkedFix();
    ASSERT_EQ(Rmc("$GPRMC,235959.75,A,4807.038,N,01131.000,E,0,0,230394,,*00", fix), 0);
    EXPECT_EQ(fix.seconds, 59.75);
    EXPECT_EQ(fix.timeOfDay, 86399.75);
}

TEST(RmcParser, StatusOtherThanAKeepsPositionAndDate) {
    constexpr const char* kStatuses[] = {
        "$GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*7D",
        "$GPRMC,123519,,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*00",
        "$GPRMC,123519,AA,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*00",
        "$GPRMC,123519,a,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*00",
        "$GPRMC,123519,A",
    };
    for (const char* sentence : kStatuses) {
        SCOPED_TRACE(sentence);
        GpsFix fix = MarkedFix();
        EXPECT_EQ(Rmc(sentence, fix), 10);
        ExpectExampleTime(fix);
        EXPECT_EQ(fix.timeOfDay, kRmcNotParsed);
        EXPECT_EQ(fix.latitude, 9.5);
        EXPECT_EQ(fix.longitude, 10.5);
        ExpectDateUntouched(fix);
    }
}

TEST(RmcParser, DateMustBeSixCharacters) {
    constexpr const char* kDates[] = {
        "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,23039,003.1,W*00",
        "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,2303945,003.1,W*00",
        "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394*00",
        "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394",
        "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,",
    };
    for (const char* sentence : kDates) {
        SCOPED_TRACE(sentence);
        GpsFix fix = MarkedFix();
        EXPECT_EQ(Rmc(sentence, fix), 7);
        EXPECT_DOUBLE_EQ(fix.latitude, 48.1173);
        EXPECT_EQ(fix.longitude, 11.516666666666666);
        EXPECT_EQ(fix.speedKmh, 22.4 * 1.852);
        EXPECT_EQ(fix.course, 84.4);
        ExpectDateUntouched(fix);
        EXPECT_EQ(fix.timeOfDay, kRmcNotParsed);
    }
}

constexpr SentenceStep kFailures[] = {
    {"$GPRMC,123519", 2},
    {"$GPRMC,123519\t,A,4807.038,N,01131.000,E,022.4,084.4,230394*00", 2},
    {"$GPRMC,123519,A,4807.038,n,01131.000,E,022.4,084.4,230394*00", 3},
    {"$GPRMC,123519,A,4807.038,X,01131.000,E,022.4,084.4,230394*00", 3},
    {"$GPRMC,123519,A,4807.038,NE,01131.000,E,022.4,084.4,230394*00", 3},
    {"$GPRMC,123519,A,4807.038", 3},
    {"$GPRMC,123519,A,4807\xb0" "038,N,01131.000,E,022.4,084.4,230394*00", 3},
    {"$GPRMC,123519,A,4807.038,N,01131.000,e,022.4,084.4,230394*00", 4},
    {"$GPRMC,123519,A,4807.038,N,01131.000,", 4},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4", 5},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4*00", 6},
};

TEST(RmcParser, FailingStepNamesTheResult) {
    for (const SentenceStep& c : kFailures) {
        GpsFix fix = MarkedFix();
        EXPECT_EQ(Rmc(c.sentence, fix), c.expected) << c.sentence;
        EXPECT_EQ(fix.timeOfDay, kRmcNotParsed) << c.sentence;
    }
}

TEST(RmcParser, WrongTypeStillResetsThePresets) {
    GpsFix fix = MarkedFix();
    EXPECT_EQ(Rmc("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", fix), 1);
    EXPECT_EQ(fix.altitude, kNoAltitude);
    EXPECT_EQ(fix.seconds, kRmcNotParsed);
    EXPECT_EQ(fix.timeOfDay, kRmcNotParsed);
    EXPECT_EQ(fix.hour, 4);
    EXPECT_EQ(fix.latitude, 9.5);
    EXPECT_EQ(fix.hdop, 14.5);
    EXPECT_EQ(Rmc("$GPRM", fix), 1);
    EXPECT_EQ(Rmc("", fix), 1);
}

TEST(RmcParser, EmptyTimeFieldsReadAsZero) {
    GpsFix fix = MarkedFix();
    EXPECT_EQ(Rmc("$GPRMC,,V,,,,,,,,,,N*53", fix), 10);
    EXPECT_EQ(fix.hour, 0);
    EXPECT_EQ(fix.minute, 0);
    EXPECT_EQ(fix.seconds, 0.0);
}

TEST(RmcParser, NegativeHourWrapsToItsLowByte) {
    GpsFix fix = MarkedFix();
    ASSERT_EQ(Rmc("$GPRMC,-1-119,A,4807.038,N,01131.000,E,022.4,084.4,230394,,*00", fix), 0);
    EXPECT_EQ(fix.hour, 255);
    EXPECT_EQ(fix.minute, 255);
    EXPECT_EQ(fix.timeOfDay, 4294967295.0 * 60.0 + 4294967295.0 * 3600.0 + 19.0);
}

// The assembler reuses one buffer, so a short sentence sits in front of the tail of a
// longer one. Nothing after its NUL may be read.
constexpr SentenceStep kStaleCases[] = {
    {"$GPRMC,1", 2},
    {"$GPRMC,1235", 2},
    {"$GPRMC,123519,A,4", 3},
    {"$GPRMC,123519,A,4807.038,N,0", 4},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,2303", 7},
};

TEST(RmcParser, NeverReadsBytesAfterTheTerminatingNul) {
    for (const SentenceStep& c : kStaleCases) {
        SCOPED_TRACE(c.sentence);
        StaleBuffer buffer(kExample, c.sentence);
        GpsFix fix = MarkedFix();
        EXPECT_EQ(Rmc(buffer.bytes, fix), c.expected);
        EXPECT_EQ(fix.timeOfDay, kRmcNotParsed);
        ExpectDateUntouched(fix);
    }
}

}  // namespace
