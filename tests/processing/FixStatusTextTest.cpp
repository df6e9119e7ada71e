#include <gtest/gtest.h>
#include <cmath>
#include <cwchar>
#include "processing/FixStatusText.h"
#include "tests/support/ProcessingRig.h"

namespace {

class FixStatusTextTest : public testing::Test {
protected:
    size_t Length() const { return std::wcslen(status.Text()); }

    RecordingTextBoxes boxes;
    FixStatusText status{boxes};
};

TEST_F(FixStatusTextTest, NoFixText) {
    GpsFix fix = FixAt(7 * 3600 + 5 * 60 + 9);
    fix.seconds = 9.9999995;
    status.ShowNoFix(fix);
    EXPECT_EQ(boxes.status, L"UTC: 07:05:10 \r\nNo fix\r\n");
}

// Altitudes of every magnitude up to the largest double: the text never runs past its
// buffer, keeps its first lines, and what is shown is what the box got.
TEST_F(FixStatusTextTest, HugeNumbersNeverOverrunTheText) {
    for (int exponent = 0; exponent <= 308; ++exponent) {
        GpsFix fix = FixAt(12 * 3600);
        fix.altitude = std::pow(10.0, exponent);
        fix.latitude = exponent % 2 ? -fix.altitude : fix.latitude;
        status.ShowFix(fix, fix);
        ASSERT_LT(Length(), static_cast<size_t>(kStatusTextChars)) << exponent;
        EXPECT_EQ(std::wstring(status.Text(), 26), L"UTC:  25.03.09 12:00:00 \r\n") << exponent;
        status.ShowDropped();
        ASSERT_LT(Length(), static_cast<size_t>(kStatusTextChars)) << exponent;
        EXPECT_EQ(boxes.status, status.Text()) << exponent;
    }
}

// When the mark no longer fits, the text stays as it was rather than being cut.
TEST_F(FixStatusTextTest, DroppedMarkThatDoesNotFitIsLeftOut) {
    int nearlyFull = 0;
    for (int exponent = 100; exponent <= 250; ++exponent) {
        GpsFix fix = FixAt(12 * 3600);
        fix.altitude = std::pow(10.0, exponent);
        status.ShowFix(fix, fix);
        const std::wstring before = status.Text();
        status.ShowDropped();
        if (before.size() + 10 < static_cast<size_t>(kStatusTextChars)) {
            EXPECT_EQ(std::wstring(status.Text()), before + L"\r\nDROPPED ") << exponent;
        } else {
            ++nearlyFull;
            EXPECT_EQ(std::wstring(status.Text()), before) << exponent;
        }
    }
    EXPECT_GT(nearlyFull, 0);
}

}  // namespace
