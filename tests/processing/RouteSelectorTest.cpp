#include <gtest/gtest.h>
#include "processing/RouteSelector.h"
#include "tests/support/ProcessingRig.h"

namespace {

constexpr int kBase = 12 * 3600;  // UTC second of the day of the last route point

// Unless a case says otherwise: HDOP 1.0, 40 km/h, and a last route point 20 s
// earlier, 100 m away, with the same course and speed as the fix.
struct RouteCase {
    const char* name;
    double lastCourse;
    double lastSpeed;
    int dt;         // s since the last route point
    double metres;  // north of the last route point
    double course;
    double speed;
    double hdop;
    bool selected;
};

// clang-format off
const RouteCase kRouteCases[] = {
    // name                                   last crs  kmh   dt     m   course    kmh  hdop  selected
    {"nothing changed",                          90.0, 40.0,    20, 100.0,  90.0,  40.0,  1.0, false},
    {"missing HDOP, 5 s, sharp turn",            90.0, 40.0,     5, 100.0, 180.0,  40.0, -1.0, false},
    {"missing HDOP, 10 s, sharp turn",           90.0, 40.0,    10, 100.0, 180.0,  40.0, -1.0, true},
    {"missing HDOP, within 35 m",                90.0, 40.0,    20,  30.0, 180.0,  40.0, -1.0, false},
    {"60 s skips the 50 m test",                 90.0, 40.0,    60,  20.0, 180.0,  40.0,  1.0, true},
    {"61 s applies the 50 m test",               90.0, 40.0,    61,  20.0, 180.0,  40.0,  1.0, false},
    {"5.0 km/h counts as moving",                90.0, 40.0,    20, 100.0, 180.0,   5.0,  1.0, true},
    {"4.99 km/h only by distance",               90.0, 40.0,    20, 100.0, 180.0,  4.99,  1.0, false},
    {"course 350 to 10 is a turn of 20",        350.0, 40.0,    20, 100.0,  10.0,  40.0,  1.0, false},
    {"course 10 to 350 is a turn of 20",         10.0, 40.0,    20, 100.0, 350.0,  40.0,  1.0, false},
    {"turn 45 at 40 km/h",                       90.0, 40.0,    20, 100.0, 135.0,  40.0,  1.0, true},
    {"turn 45 at exactly 30 km/h",               90.0, 30.0,    20, 100.0, 135.0,  30.0,  1.0, false},
    {"turn 50.0 exactly, too slow for 30",      100.0, 30.0,    20, 100.0, 150.0,  30.0,  1.0, false},
    {"turn 50.01",                              100.0, 30.0,    20, 100.0, 150.01, 30.0,  1.0, true},
    {"20 to 35 km/h, 250 m",                     90.0, 20.0,    20, 250.0,  90.0,  35.0,  1.0, false},
    {"20 to 35 km/h, 310 m",                     90.0, 20.0,    20, 310.0,  90.0,  35.0,  1.0, true},
    {"slow, 250 m, 20 s",                        90.0, 40.0,    20, 250.0,  90.0,   4.0,  1.0, false},
    {"slow, 250 m, an hour",                     90.0, 40.0,  3600, 250.0,  90.0,   4.0,  1.0, false},
    {"slow, 250 m, clock went back",             90.0, 40.0, -3600, 250.0,  90.0,   4.0,  1.0, false},
    {"slow, 310 m",                              90.0, 40.0,    20, 310.0,  90.0,   4.0,  1.0, true},
    {"299 s",                                    90.0, 40.0,   299, 100.0,  90.0,  40.0,  1.0, false},
    {"300 s",                                    90.0, 40.0,   300, 100.0,  90.0,  40.0,  1.0, true},
    // After UTC midnight the clock of the day starts again.
    {"clock went back, moving",                  90.0, 40.0,  -100, 100.0,  90.0,  40.0,  1.0, true},
    {"clock went back, HDOP 2.5 within 25 m",    90.0, 40.0,  -100,  20.0,  90.0,  40.0,  2.5, false},
};
// clang-format on

class RouteSelection : public testing::TestWithParam<RouteCase> {
protected:
    WriterRig rig;
    RouteSelector selector{rig.routeWriter};
};

TEST_P(RouteSelection, Decides) {
    const RouteCase& c = GetParam();
    GpsFix last = FixAt(kBase);
    last.course = c.lastCourse;
    last.speedKmh = c.lastSpeed;
    ASSERT_TRUE(selector.ConsiderFix(last));

    GpsFix fix = FixAt(kBase + c.dt);
    MoveNorth(fix, c.metres);
    fix.course = c.course;
    fix.speedKmh = c.speed;
    fix.hdop = c.hdop;
    EXPECT_EQ(selector.ConsiderFix(fix), c.selected) << c.name;
    EXPECT_EQ(selector.LastRouteTime(), c.selected ? kBase + c.dt : kBase) << c.name;
    EXPECT_EQ(selector.LastRoutePoint().course, c.selected ? c.course : c.lastCourse) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Table, RouteSelection, testing::ValuesIn(kRouteCases));

class RouteSelectorTest : public testing::Test {
protected:
    WriterRig rig;
    RouteSelector selector{rig.routeWriter};
};

TEST_F(RouteSelectorTest, FirstMovingFixBecomesAWaypoint) {
    GpsFix fix = FixAt(kBase);
    fix.speedKmh = 5.0;
    EXPECT_TRUE(selector.ConsiderFix(fix));
    EXPECT_EQ(selector.LastRouteTime(), kBase);
    const RoutePoint& point = selector.LastRoutePoint();
    EXPECT_EQ(point.course, 90.0);
    EXPECT_EQ(point.speedKmh, 5.0);
    EXPECT_EQ(point.latitude, 48.0);
    EXPECT_EQ(point.longitude, 11.0);
    EXPECT_GT(rig.routeWriter.FillLength(), 0);
}

// The last route point starts at 0 N 0 E.
TEST_F(RouteSelectorTest, FirstFixNearZeroZeroIsNoWaypoint) {
    GpsFix fix = FixAt(kBase);
    fix.latitude = 0.0001;
    fix.longitude = 0.0001;
    EXPECT_FALSE(selector.ConsiderFix(fix));
    EXPECT_EQ(selector.LastRouteTime(), -1000);
}

// A fix that is not selected leaves nothing behind: time is still counted from the
// last selected one.
TEST_F(RouteSelectorTest, RejectedFixesDoNotMoveTheReference) {
    GpsFix fix = FixAt(kBase);
    fix.speedKmh = 40.0;
    ASSERT_TRUE(selector.ConsiderFix(fix));
    for (int dt = 20; dt < 300; dt += 20) {
        fix = FixAt(kBase + dt);
        fix.speedKmh = 40.0;
        MoveNorth(fix, 100.0);
        ASSERT_FALSE(selector.ConsiderFix(fix)) << dt;
    }
    fix = FixAt(kBase + 300);
    fix.speedKmh = 40.0;
    MoveNorth(fix, 100.0);
    EXPECT_TRUE(selector.ConsiderFix(fix));
}

}  // namespace
