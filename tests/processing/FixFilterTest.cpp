#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include "processing/FixFilter.h"
#include "tests/support/ProcessingRig.h"

namespace {

constexpr int kNoon = 12 * 3600;

class FixFilterTest : public testing::Test {
protected:
    // A fix within a few metres of 0 N 0 E, where the filter's previous position starts.
    static GpsFix NearOrigin(int secondOfDay) {
        GpsFix fix = FixAt(secondOfDay);
        fix.latitude = 0.0001;
        fix.longitude = 0.0001;
        return fix;
    }

    WriterRig rig;
    RecordingTextBoxes boxes;
    FixStatusText status{boxes};
    RouteSelector route{rig.routeWriter};
    FixFilter filter{status, rig.track, route};
};

TEST_F(FixFilterTest, FirstFixIsComparedWithZeroZero) {
    GpsFix first = FixAt(kNoon);
    status.ShowFix(first, first);
    const std::wstring shown = boxes.status;

    EXPECT_EQ(filter.FilterFix(first), FilterOutcome::kDropped);
    EXPECT_EQ(filter.DropCount(), 1);
    EXPECT_EQ(boxes.status, shown + L"\r\nDROPPED ");
    EXPECT_EQ(boxes.sets.size(), 2u);
    EXPECT_EQ(filter.PrevPosition().latitude, 48.0);
    EXPECT_EQ(filter.PrevPosition().longitude, 11.0);
    // A dropped fix reaches neither the track nor route selection.
    EXPECT_EQ(filter.LastTrackTime(), -1000);
    EXPECT_EQ(rig.track.FillLength(), 0);
    EXPECT_EQ(route.LastRouteTime(), -1000);

    GpsFix second = FixAt(kNoon + 1);
    MoveNorth(second, 100.0);
    EXPECT_EQ(filter.FilterFix(second), FilterOutcome::kTracked);
    EXPECT_EQ(filter.DropCount(), 0);
    EXPECT_GT(rig.track.FillLength(), 0);
    EXPECT_EQ(route.LastRouteTime(), kNoon + 1);
}

TEST_F(FixFilterTest, FirstFixNearZeroZeroIsAccepted) {
    EXPECT_EQ(filter.FilterFix(NearOrigin(kNoon)), FilterOutcome::kTracked);
    EXPECT_EQ(filter.DropCount(), 0);
    EXPECT_TRUE(boxes.sets.empty());
}

// The first fix at the new place is dropped; the next one is compared with it.
TEST_F(FixFilterTest, AJumpDropsExactlyOneFix) {
    GpsFix fix = NearOrigin(kNoon);
    ASSERT_NE(filter.FilterFix(fix), FilterOutcome::kDropped);
    MoveNorth(fix, 400.0);
    EXPECT_EQ(filter.FilterFix(fix), FilterOutcome::kDropped);
    MoveNorth(fix, 250.0);
    EXPECT_NE(filter.FilterFix(fix), FilterOutcome::kDropped);
    EXPECT_EQ(filter.DropCount(), 0);
}

struct HdopCase {
    double hdop;
    int priorDrops;
    bool dropped;
};

class HdopTiers : public FixFilterTest, public testing::WithParamInterface<HdopCase> {};

TEST_P(HdopTiers, DropWhileTooFewDroppedInARow) {
    const HdopCase& c = GetParam();
    GpsFix fix = NearOrigin(kNoon);
    fix.hdop = 9.5;
    for (int i = 0; i < c.priorDrops; ++i) ASSERT_EQ(filter.FilterFix(fix), FilterOutcome::kDropped);

    fix.hdop = c.hdop;
    EXPECT_EQ(filter.FilterFix(fix) == FilterOutcome::kDropped, c.dropped);
    EXPECT_EQ(filter.DropCount(), c.dropped ? c.priorDrops + 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Table, HdopTiers,
                         testing::Values(HdopCase{9.5, 0, true}, HdopCase{9.5, 6, true},
                                         HdopCase{9.5, 7, false}, HdopCase{7.5, 4, true},
                                         HdopCase{7.5, 5, false}, HdopCase{5.5, 2, true},
                                         HdopCase{5.5, 3, false}, HdopCase{3.01, 0, true},
                                         HdopCase{3.01, 1, false}, HdopCase{3.0, 0, false},
                                         HdopCase{-1.0, 0, false}));

struct PacingCase {
    double speedKmh;
    int interval;
};

class TrackPacing : public FixFilterTest, public testing::WithParamInterface<PacingCase> {};

TEST_P(TrackPacing, IntervalFollowsSpeed) {
    const PacingCase& c = GetParam();
    GpsFix fix = NearOrigin(kNoon);
    fix.speedKmh = c.speedKmh;
    ASSERT_EQ(filter.FilterFix(fix), FilterOutcome::kTracked);
    if (c.interval > 0) {
        fix.seconds = c.interval - 1;
        EXPECT_EQ(filter.FilterFix(fix), FilterOutcome::kAccepted);
    }
    fix.seconds = c.interval;
    EXPECT_EQ(filter.FilterFix(fix), FilterOutcome::kTracked);
    EXPECT_EQ(filter.LastTrackTime(), 25 * 86400 + kNoon + c.interval);
}

// Above 180 km/h the interval is 0: two fixes within one second are both written.
INSTANTIATE_TEST_SUITE_P(Table, TrackPacing,
                         testing::Values(PacingCase{0.0, 10}, PacingCase{18.0, 10}, PacingCase{18.01, 9},
                                         PacingCase{20.0, 9}, PacingCase{30.0, 6}, PacingCase{36.0, 5},
                                         PacingCase{45.0, 4}, PacingCase{50.0, 3}, PacingCase{60.0, 3},
                                         PacingCase{90.0, 2}, PacingCase{100.0, 1}, PacingCase{180.0, 1},
                                         PacingCase{180.01, 0}, PacingCase{1e300, 0},
                                         PacingCase{std::numeric_limits<double>::quiet_NaN(), 10}));

// The track clock counts seconds of the month: going back (an older replayed file, a
// new month) writes a point at once.
TEST_F(FixFilterTest, ClockGoingBackWritesAtOnce) {
    GpsFix fix = NearOrigin(23 * 3600 + 59 * 60 + 55);
    fix.day = 31;
    ASSERT_EQ(filter.FilterFix(fix), FilterOutcome::kTracked);

    GpsFix nextMonth = NearOrigin(0);
    nextMonth.day = 1;
    nextMonth.month = 4;
    EXPECT_EQ(filter.FilterFix(nextMonth), FilterOutcome::kTracked);
    EXPECT_EQ(filter.LastTrackTime(), 86400);

    nextMonth.seconds = 5;
    EXPECT_EQ(filter.FilterFix(nextMonth), FilterOutcome::kAccepted);
}

// A seconds field far beyond any minute must not overflow the clock.
TEST_F(FixFilterTest, AbsurdSecondsKeepTheClockDefined) {
    GpsFix fix = NearOrigin(kNoon);
    fix.seconds = 1e12;
    EXPECT_EQ(filter.FilterFix(fix), FilterOutcome::kTracked);
    EXPECT_EQ(filter.LastTrackTime(), int64_t{25} * 86400 + kNoon + INT32_MAX);
    fix.seconds = -1e12;
    EXPECT_EQ(filter.FilterFix(fix), FilterOutcome::kTracked);
}

}  // namespace
