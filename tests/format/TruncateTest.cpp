#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "format/Truncate.h"
#include "format/WholeSeconds.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(TruncateToInt32, DefinedForEveryDouble) {
    const struct {
        double value;
        int32_t expected;
    } cases[] = {
        {3.99, 3},
        {-3.99, -3},
        {0.0, 0},
        {kNaN, 0},
        {kInf, INT32_MAX},
        {-kInf, INT32_MIN},
        {1e300, INT32_MAX},
        {-1e300, INT32_MIN},
        {2147483647.9, INT32_MAX},
        {2147483646.5, 2147483646},
        {-2147483648.9, INT32_MIN},
        {-2147483647.5, -2147483647},
    };
    for (const auto& c : cases) EXPECT_EQ(TruncateToInt32(c.value), c.expected) << c.value;
}

TEST(WholeSeconds, AddsAMicrosecondBeforeTruncating) {
    EXPECT_EQ(WholeSeconds(46.0), 46);
    EXPECT_EQ(WholeSeconds(56.9999995), 57);
    EXPECT_EQ(WholeSeconds(56.999), 56);
    EXPECT_EQ(WholeSeconds(kNaN), 0);
    EXPECT_EQ(WholeSeconds(1e300), INT32_MAX);
}

}  // namespace
