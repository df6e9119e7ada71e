#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include "processing/Distance.h"

namespace {

struct TableRow {
    int z;
    double entry;
};

// The listed rows, including the five that hold the lower neighbour of the rounding.
const TableRow kListedRows[] = {
    {0, 111195.48514992},  {1, 111178.54953894},  {10, 109506.17587559}, {17, 106336.77129048},
    {21, 103809.92845082}, {26, 99941.84002809},  {30, 96298.11492597},  {40, 85180.68349901},
    {45, 78627.08158684},  {60, 55597.74257496},  {80, 19308.89336107},  {89, 1940.62880083},
};

bool IsLowerNeighbourRow(int z) { return z == 10 || z == 17 || z == 21 || z == 26 || z == 40; }

}  // namespace

TEST(LonMetresTable, ListedRowsHoldTheirExactValues) {
    for (const TableRow& row : kListedRows) {
        EXPECT_EQ(LonMetresTable[row.z], row.entry) << "row " << row.z;
    }
}

// Catches a mistyped digit in any row: each entry is the scaled cosine to 8 decimals,
// the special rows one unit of the last decimal below the rounding.
TEST(LonMetresTable, EveryRowIsTheScaledCosine) {
    const double pi = std::acos(-1.0);
    for (int z = 0; z < kLonMetresRows; ++z) {
        const double exact = 111195.48514992 * std::cos(z * pi / 180.0);
        if (IsLowerNeighbourRow(z)) {
            EXPECT_LT(LonMetresTable[z], exact) << "row " << z;
            EXPECT_NEAR(LonMetresTable[z], exact, 1.0e-8) << "row " << z;
        } else {
            EXPECT_NEAR(LonMetresTable[z], exact, 0.52e-8) << "row " << z;
        }
    }
}

TEST(LonMetresTable, LatitudeFactorIsADistinctConstant) {
    EXPECT_EQ(MetresPerDegreeLat, 111195.48679259);
    EXPECT_GT(MetresPerDegreeLat - LonMetresTable[0], 0.0015);
}

TEST(ExceedsDistance, IdenticalPositionsNeverExceed) {
    for (double limit : {0.0, 1.0, 300.0}) {
        EXPECT_FALSE(ExceedsDistance(48.1, 11.5, 48.1, 11.5, limit)) << limit;
        EXPECT_FALSE(ExceedsDistance(-89.9, -179.0, -89.9, -179.0, limit)) << limit;
    }
}

struct DistanceCase {
    const char* name;
    double lat1, lon1, lat2, lon2, limit;
    bool exceeds;
};

const DistanceCase kDistanceCases[] = {
    {"north-south alone, 300.2 m", 10.0, 5.0, 10.0027, 5.0, 300.0, true},
    {"north-south alone, 289 m", 10.0, 5.0, 10.0026, 5.0, 300.0, false},
    {"east-west at the equator, 311 m", 0.0, 0.0, 0.0, 0.0028, 300.0, true},
    {"diagonal, each axis 222 m, together 314 m", 0.0, 0.0, 0.002, 0.002, 300.0, true},
    {"diagonal, together 299 m", 0.0, 0.0, 0.0019, 0.0019, 300.0, false},
    // Mean latitude rounds to 90: a full degree east-west does not count.
    {"pole, east-west ignored", 89.6, 0.0, 89.6, 1.0, 300.0, false},
    {"south pole, east-west ignored", -89.6, 0.0, -89.6, 1.0, 300.0, false},
    {"row 89 still counts east-west", 89.4, 0.0, 89.4, 1.0, 300.0, true},
    // No wrap at the date line: these are about 360 degrees apart.
    {"date line", 0.0, 179.9999, 0.0, -179.9999, 1000000.0, true},
    // Mean -33.4 takes row 33 (932.6 m for 0.01 degrees), -33.6 row 34 (921.9 m).
    {"mean -33.4 uses row 33", -33.4, 151.0, -33.4, 151.01, 925.0, true},
    {"mean -33.6 uses row 34", -33.6, 151.0, -33.6, 151.01, 925.0, false},
    // Halves round up before the sign goes: 45.5 takes row 46 (772.4 m), -45.5 row 45 (786.3 m).
    {"mean 45.5 uses row 46", 45.5, 7.0, 45.5, 7.01, 780.0, false},
    {"mean -45.5 uses row 45", -45.5, 7.0, -45.5, 7.01, 780.0, true},
};

class ExceedsDistanceCases : public testing::TestWithParam<DistanceCase> {};

TEST_P(ExceedsDistanceCases, DecidesAndIsSymmetric) {
    const DistanceCase& c = GetParam();
    EXPECT_EQ(ExceedsDistance(c.lat1, c.lon1, c.lat2, c.lon2, c.limit), c.exceeds) << c.name;
    EXPECT_EQ(ExceedsDistance(c.lat2, c.lon2, c.lat1, c.lon1, c.limit), c.exceeds) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Table, ExceedsDistanceCases, testing::ValuesIn(kDistanceCases));

// Latitudes from malformed sentences must not index past the table (run under the
// sanitizers): far beyond the poles only north-south counts, and NaN compares false.
TEST(ExceedsDistance, AbsurdLatitudesStayInsideTheTable) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(ExceedsDistance(1e300, 0.0, 1e300, 50.0, 300.0));
    EXPECT_FALSE(ExceedsDistance(-1e300, 0.0, -1e300, 50.0, 300.0));
    EXPECT_TRUE(ExceedsDistance(inf, 0.0, 0.0, 0.0, 300.0));
    EXPECT_FALSE(ExceedsDistance(nan, 0.0, 10.0, 0.0, 300.0));
    EXPECT_FALSE(ExceedsDistance(10.0, nan, 10.0, 0.0, 300.0));
}
