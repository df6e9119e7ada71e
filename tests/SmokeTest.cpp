#include <gtest/gtest.h>
#include "tests/support/FakeClock.h"
TEST(Smoke, ClockAdvances) { FakeClock c; c.Advance(5); EXPECT_EQ(c.TickMs(), 5u); }
