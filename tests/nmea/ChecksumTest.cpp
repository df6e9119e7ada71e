#include <gtest/gtest.h>

#include "nmea/Checksum.h"

namespace {

struct ChecksumCase {
    const char* sentence;
    int expected;
};

// XOR of "RMC,...,W" is 0x6A, of "GPGP" 0x00, of "GPGPab" 0x03.
constexpr ChecksumCase kAccepted[] = {
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", 0},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6a", 0},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*006A", 0},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A trailing", 0},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*0x6A", 0},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W* 6A", 0},
    {"$GPGPab*3", 0},
    {"$GPGP*00", 0},
    {"$GPGP*0", 0},
    {"$GPGP*0x", 0},
    {"$GPGPab*03x", 0},
};

constexpr ChecksumCase kRejected[] = {
    {"", 1},
    {"GPRMC,123519,A*6A", 1},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", 2},
    {"$", 2},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*", 3},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*G1", 3},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*-", 3},
    {"$GPGP* 0", 3},
    {"$GPGP*+0", 3},
    {"$GPGP*-0", 3},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6B", 4},
    {"$GPRMC,123519,A,4807.038,S,01131.000,E,022.4,084.4,230394,003.1,W*6A", 4},
    // Values that a 32-bit wrap would turn into 0x6A must still fail.
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*16A", 4},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*10000006A", 4},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*FFFFFFFFFFFFFFFF0000006A", 4},
    {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*-FFFFFF96", 4},
    {"$GPGP*-1", 4},
};

TEST(Checksum, AcceptsMatchingValueInAnyHexSpelling) {
    for (const ChecksumCase& c : kAccepted) {
        EXPECT_EQ(VerifyChecksum(c.sentence), c.expected) << c.sentence;
    }
}

TEST(Checksum, RejectsWithTheCodeOfTheFailingStep) {
    for (const ChecksumCase& c : kRejected) {
        EXPECT_EQ(VerifyChecksum(c.sentence), c.expected) << c.sentence;
    }
}

TEST(Checksum, StopsAtTheTerminatingNul) {
    // The assembler reuses its buffer: bytes after the NUL belong to an older sentence.
    const char stale[] = "$GPGP\0*00";
    EXPECT_EQ(VerifyChecksum(stale), 2);
    const char staleValue[] = "$GPGP*\0" "00";
    EXPECT_EQ(VerifyChecksum(staleValue), 3);
}

}  // namespace
