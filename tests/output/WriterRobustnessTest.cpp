#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "tests/support/ExampleFix.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/FixedOffsetZone.h"
#include "tests/support/RecordingTextBoxes.h"

// Fixes of a malformed sentence: any bit pattern in the doubles, impossible dates.
namespace {

class AbsurdFixes {
public:
    GpsFix Next() {
        GpsFix fix = ExampleFix();
        fix.day = static_cast<uint8_t>(random_());
        fix.month = static_cast<uint8_t>(random_() % 16);
        fix.year = static_cast<uint8_t>(random_());
        fix.hour = static_cast<uint8_t>(random_() % 30);
        fix.minute = static_cast<uint8_t>(random_() % 70);
        fix.seconds = Double();
        fix.latitude = Double();
        fix.longitude = Double();
        fix.altitude = Double();
        return fix;
    }

private:
    // Ordinary values half the time, any bit pattern (NaN, infinities, 1e308) otherwise.
    double Double() {
        if (random_() % 2 == 0) return static_cast<double>(random_() % 20000) / 100.0 - 100.0;
        const uint64_t bits = random_();
        double value = 0.0;
        memcpy(&value, &bits, sizeof value);
        return value;
    }

    std::mt19937_64 random_{20090325};
};

// The pending text is whole lines, of one length as told, inside the buffer.
void ExpectWholeLines(const char* pending, int32_t fillLength, int32_t bufferBytes) {
    ASSERT_LT(fillLength, bufferBytes);
    ASSERT_EQ(static_cast<int32_t>(strlen(pending)), fillLength);
    if (fillLength > 0) {
        ASSERT_EQ(std::string(pending + fillLength - 2), "\r\n");
    }
}

TEST(WriterRobustness, AbsurdFixesNeverBreakTheBuffers) {
    FakeFileSystem files;
    FakeClock clock;
    FixedOffsetZone zone(-300);
    RecordingTextBoxes boxes;
    MessageCounter messages;
    TrackWriter track(files, clock, zone, boxes);
    RouteWriter route(files, clock, zone, boxes, messages);
    AbsurdFixes fixes;
    for (int i = 0; i < 20000; ++i) {
        const GpsFix fix = fixes.Next();
        clock.Advance(7000);
        track.AddPoint(fix);
        route.AddWaypoint(fix);
        ASSERT_NO_FATAL_FAILURE(ExpectWholeLines(track.PendingText(), track.FillLength(), 2048 + 256)) << i;
        ASSERT_NO_FATAL_FAILURE(ExpectWholeLines(route.PendingText(), route.FillLength(), 1024 + 256)) << i;
    }
    EXPECT_EQ(track.Flush(), 0);
    EXPECT_EQ(route.Flush(), 0);
    EXPECT_EQ(files.OpenCount(), 0);
    EXPECT_EQ(boxes.log.find(L"Error"), std::wstring::npos);
}

}  // namespace
