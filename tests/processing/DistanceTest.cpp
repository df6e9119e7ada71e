#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include "processing/Distance.h"

// Distances here are worked out in the test from the sphere and trigonometry, or
// measured from ExceedsDistance by bisection on the limit; none is copied from the code.

namespace {

const double kPi = std::acos(-1.0);
const double kDeg = kPi / 180.0;

// IUGG mean Earth radius R1 = (2a + b) / 3 of GRS80, 6371.0088 km.
const double kMeanRadius = 6371008.8;
const double kMeanMetresPerDegree = kMeanRadius * kDeg;

// The code's sphere lies 3.6 ppm above the mean radius; 10 ppm allows for that and
// for nothing the size of a wrong factor.
const double kModelTolerance = 10e-6;

// The sphere the factors are built on: 6371.032 km, with pi in full for the east-west
// table and as 3.1415927 for the north-south factor.
const double kModelRadius = 6371032.0;

// Great-circle distance on the mean sphere (haversine).
double GreatCircle(double lat1, double lon1, double lat2, double lon2) {
    const double sLat = std::sin((lat2 - lat1) * kDeg / 2);
    const double sLon = std::sin((lon2 - lon1) * kDeg / 2);
    const double h = sLat * sLat + std::cos(lat1 * kDeg) * std::cos(lat2 * kDeg) * sLon * sLon;
    return 2 * kMeanRadius * std::asin(std::sqrt(h));
}

// The distance ExceedsDistance measures between two positions: the smallest limit at
// which they no longer count as apart, found by bisection.
double Measured(double lat1, double lon1, double lat2, double lon2) {
    if (!ExceedsDistance(lat1, lon1, lat2, lon2, 0.0)) return 0.0;
    double inside = 0.0;
    double outside = 1.0e9;
    EXPECT_FALSE(ExceedsDistance(lat1, lon1, lat2, lon2, outside));
    for (int step = 0; step < 2000 && std::nextafter(inside, outside) < outside; ++step) {
        const double mid = inside + (outside - inside) / 2;
        (ExceedsDistance(lat1, lon1, lat2, lon2, mid) ? inside : outside) = mid;
    }
    return outside;
}

// Two positions `metres` apart on the mean sphere, centred on (lat, lon) so that their
// mean latitude is lat itself, the second one on the given bearing from the first.
struct Pair {
    double lat1, lon1, lat2, lon2;
};

Pair Centred(double lat, double lon, double bearingDeg, double metres) {
    const double north = metres / 2 * std::cos(bearingDeg * kDeg) / kMeanMetresPerDegree;
    const double east = metres / 2 * std::sin(bearingDeg * kDeg) / (kMeanMetresPerDegree * std::cos(lat * kDeg));
    return {lat - north, lon - east, lat + north, lon + east};
}

double Measured(const Pair& p) { return Measured(p.lat1, p.lon1, p.lat2, p.lon2); }

}  // namespace

// ---- The earth model against independent values ----------------------------------

TEST(DistanceEarthModel, DegreeOfLatitudeIsOneOnTheMeanSphere) {
    EXPECT_NEAR(Measured(0.0, 0.0, 1.0, 0.0) / kMeanMetresPerDegree, 1.0, kModelTolerance);
    EXPECT_NEAR(Measured(50.0, 8.0, 51.0, 8.0) / kMeanMetresPerDegree, 1.0, kModelTolerance);
    EXPECT_NEAR(MetresPerDegreeLat / kMeanMetresPerDegree, 1.0, kModelTolerance);
}

TEST(DistanceEarthModel, DegreeOfLongitudeAtTheEquatorIsOneOnTheMeanSphere) {
    EXPECT_NEAR(Measured(0.0, 0.0, 0.0, 1.0) / kMeanMetresPerDegree, 1.0, kModelTolerance);
    EXPECT_NEAR(Measured(0.0, -75.0, 0.0, -74.0) / kMeanMetresPerDegree, 1.0, kModelTolerance);
}

// The nautical mile was the minute of latitude rounded to 1852 m; on the mean sphere a
// minute is 1853.2 m.
TEST(DistanceEarthModel, MinuteOfLatitudeIsJustOverANauticalMile) {
    EXPECT_TRUE(ExceedsDistance(45.0, 0.0, 45.0 + 1.0 / 60, 0.0, 1852.0));
    EXPECT_FALSE(ExceedsDistance(45.0, 0.0, 45.0 + 1.0 / 60, 0.0, 1854.0));
}

// The metre was a ten-millionth of the quarter meridian; on the mean sphere the
// quarter is 10007.5 km.
TEST(DistanceEarthModel, EquatorToPoleIsJustOverTenThousandKilometres) {
    EXPECT_TRUE(ExceedsDistance(0.0, 0.0, 90.0, 0.0, 10000e3));
    EXPECT_FALSE(ExceedsDistance(0.0, 0.0, 90.0, 0.0, 10010e3));
    EXPECT_TRUE(ExceedsDistance(-90.0, 0.0, 0.0, 0.0, 10000e3));
    EXPECT_FALSE(ExceedsDistance(-90.0, 0.0, 0.0, 0.0, 10010e3));
}

// Short pairs at whole-degree mean latitudes, in several directions, agree with the
// great circle on the mean sphere.
TEST(DistanceEarthModel, ShortPairsMatchTheGreatCircle) {
    for (double lat : {0.0, 1.0, 10.0, 30.0, 45.0, 48.0, 60.0, 80.0, 89.0, -33.0, -75.0}) {
        for (double bearing : {0.0, 30.0, 90.0, 135.0, 250.0}) {
            const Pair p = Centred(lat, 11.0, bearing, 250.0);
            const double expected = GreatCircle(p.lat1, p.lon1, p.lat2, p.lon2);
            EXPECT_NEAR(Measured(p) / expected, 1.0, kModelTolerance) << "lat " << lat << " bearing " << bearing;
        }
    }
}

// Pinned to the last of the 8 decimals the factors are written with: a change there
// moves which fixes fall at the limit.
TEST(DistanceEarthModel, FactorsAreThoseOfTheModelSphere) {
    EXPECT_NEAR(MetresPerDegreeLat, kModelRadius * 3.1415927 / 180.0, 0.5e-8);
    EXPECT_NEAR(LonMetresTable[0], kModelRadius * kDeg, 0.5e-8);
}

// ---- The east-west table ------------------------------------------------------

// Catches a mistyped digit in any row: each is row 0 times cos(z) to 8 decimals, rows
// 10, 17, 21, 26 and 40 one unit of the last decimal below the rounding.
TEST(LonMetresTable, EveryRowIsTheEquatorRowTimesTheCosine) {
    for (int z = 0; z < kLonMetresRows; ++z) {
        const double exact = LonMetresTable[0] * std::cos(z * kDeg);
        if (z == 10 || z == 17 || z == 21 || z == 26 || z == 40) {
            EXPECT_LT(LonMetresTable[z], exact) << "row " << z;
            EXPECT_NEAR(LonMetresTable[z], exact, 1.0e-8) << "row " << z;
        } else {
            EXPECT_NEAR(LonMetresTable[z], exact, 0.52e-8) << "row " << z;
        }
    }
}

// A degree east-west at each whole latitude shrinks with cos(latitude), the same
// north and south.
TEST(LonMetresTable, LongitudeScalesWithTheCosineOfLatitude) {
    const double equator = Measured(0.0, 0.0, 0.0, 1.0);
    for (int z = 1; z < 90; ++z) {
        EXPECT_NEAR(Measured(z, 0.0, z, 1.0) / equator, std::cos(z * kDeg), 1e-12) << "lat " << z;
        EXPECT_EQ(Measured(-z, 0.0, -z, 1.0), Measured(z, 0.0, z, 1.0)) << "lat " << z;
    }
}

// ---- Decisions ------------------------------------------------------------------

TEST(ExceedsDistance, IdenticalPositionsNeverExceed) {
    for (double limit : {0.0, 1.0, 300.0}) {
        EXPECT_FALSE(ExceedsDistance(48.1, 11.5, 48.1, 11.5, limit)) << limit;
        EXPECT_FALSE(ExceedsDistance(-89.9, -179.0, -89.9, -179.0, limit)) << limit;
    }
}

TEST(ExceedsDistance, AnyMovementExceedsALimitOfZero) {
    EXPECT_TRUE(ExceedsDistance(48.1, 11.5, 48.1000001, 11.5, 0.0));
    EXPECT_TRUE(ExceedsDistance(48.1, 11.5, 48.1, 11.5000001, 0.0));
}

// A distance equal to the limit does not exceed it; the next double below does.
TEST(ExceedsDistance, ALimitEqualToTheDistanceIsNotExceeded) {
    EXPECT_FALSE(ExceedsDistance(0.0, 0.0, 1.0, 0.0, MetresPerDegreeLat));
    EXPECT_TRUE(ExceedsDistance(0.0, 0.0, 1.0, 0.0, std::nextafter(MetresPerDegreeLat, 0.0)));
    for (int z : {0, 33, 89}) {
        const double along = LonMetresTable[z];
        EXPECT_FALSE(ExceedsDistance(z, 0.0, z, 1.0, along)) << "lat " << z;
        EXPECT_TRUE(ExceedsDistance(z, 0.0, z, 1.0, std::nextafter(along, 0.0))) << "lat " << z;
    }
}

// The pair whose distance is just inside a 300 m limit, found by moving the points
// apart by bisection, lies 300 m apart on the great circle in every direction.
TEST(ExceedsDistance, PairsAtTheLimitAreThreeHundredMetresApart) {
    for (double bearing : {0.0, 45.0, 90.0, 200.0}) {
        double inside = 0.0;
        double outside = 1000.0;
        while (std::nextafter(inside, outside) < outside) {
            const double mid = inside + (outside - inside) / 2;
            const Pair p = Centred(48.0, 11.0, bearing, mid);
            (ExceedsDistance(p.lat1, p.lon1, p.lat2, p.lon2, 300.0) ? outside : inside) = mid;
        }
        const Pair in = Centred(48.0, 11.0, bearing, inside);
        EXPECT_NEAR(GreatCircle(in.lat1, in.lon1, in.lat2, in.lon2) / 300.0, 1.0, kModelTolerance) << bearing;
        const Pair nearer = Centred(48.0, 11.0, bearing, inside * 0.9999);
        const Pair farther = Centred(48.0, 11.0, bearing, inside * 1.0001);
        EXPECT_FALSE(ExceedsDistance(nearer.lat1, nearer.lon1, nearer.lat2, nearer.lon2, 300.0)) << bearing;
        EXPECT_TRUE(ExceedsDistance(farther.lat1, farther.lon1, farther.lat2, farther.lon2, 300.0)) << bearing;
    }
}

// The two axes add as the sides of a right triangle, with the east-west side taken at
// the row of the mean latitude.
TEST(ExceedsDistance, DiagonalIsTheHypotenuseOfTheTwoAxes) {
    const double north = Measured(0.0, 0.0, 1.0, 0.0);
    // Mean 33.5 rounds to row 34.
    const double east34 = Measured(34.0, 0.0, 34.0, 1.0);
    EXPECT_NEAR(Measured(33.0, 0.0, 34.0, 1.0) / std::hypot(north, east34), 1.0, 1e-12);
    const Pair small = Centred(48.0, 11.0, 60.0, 300.0);
    const double smallNorth = Measured(small.lat1, small.lon1, small.lat2, small.lon1);
    const double smallEast = Measured(48.0, small.lon1, 48.0, small.lon2);
    EXPECT_NEAR(Measured(small) / std::hypot(smallNorth, smallEast), 1.0, 1e-12);
}

TEST(ExceedsDistance, SymmetricInOrderAndMirroredLongitude) {
    for (double bearing : {0.0, 70.0, 160.0, 300.0}) {
        const Pair p = Centred(-27.0, 153.0, bearing, 299.99);
        for (double limit : {299.98, 299.99, 300.0}) {
            const bool forward = ExceedsDistance(p.lat1, p.lon1, p.lat2, p.lon2, limit);
            EXPECT_EQ(ExceedsDistance(p.lat2, p.lon2, p.lat1, p.lon1, limit), forward) << bearing;
            EXPECT_EQ(ExceedsDistance(p.lat1, -p.lon1, p.lat2, -p.lon2, limit), forward) << bearing;
        }
    }
    EXPECT_EQ(Measured(48.2, 0.0, 48.3, 0.001), Measured(-48.2, 0.0, -48.3, 0.001));
}

// The row is the mean latitude to the nearest whole degree, halves up before the sign
// is dropped: +45.5 takes row 46, -45.5 row 45.
TEST(ExceedsDistance, EastWestUsesTheRowOfTheRoundedMeanLatitude) {
    EXPECT_EQ(Measured(-33.4, 151.0, -33.4, 152.0), Measured(-33.0, 151.0, -33.0, 152.0));
    EXPECT_EQ(Measured(-33.6, 151.0, -33.6, 152.0), Measured(-34.0, 151.0, -34.0, 152.0));
    EXPECT_EQ(Measured(45.5, 7.0, 45.5, 8.0), Measured(46.0, 7.0, 46.0, 8.0));
    EXPECT_EQ(Measured(-45.5, 7.0, -45.5, 8.0), Measured(-45.0, 7.0, -45.0, 8.0));
    // Pythagoras with row 33 for a mean of -33.5.
    const double row33 = std::hypot(Measured(0.0, 0.0, 1.0, 0.0), Measured(33.0, 7.0, 33.0, 8.0));
    EXPECT_NEAR(Measured(-33.0, 7.0, -34.0, 8.0) / row33, 1.0, 1e-12);
}

// From a rounded mean latitude of 90 on only north-south counts; row 89 still counts
// east-west.
TEST(ExceedsDistance, NearThePolesEastWestFadesThenStops) {
    const double row89 = Measured(89.0, 0.0, 89.0, 1.0);
    EXPECT_NEAR(row89 / Measured(0.0, 0.0, 0.0, 1.0), std::cos(89.0 * kDeg), 1e-12);
    EXPECT_EQ(Measured(89.4, 0.0, 89.4, 1.0), row89);
    EXPECT_EQ(Measured(-89.5, 0.0, -89.5, 1.0), row89);
    EXPECT_FALSE(ExceedsDistance(89.5, 0.0, 89.5, 180.0, 0.0));
    EXPECT_FALSE(ExceedsDistance(-89.6, 0.0, -89.6, 180.0, 0.0));
    EXPECT_FALSE(ExceedsDistance(90.0, -170.0, 90.0, 170.0, 0.0));
    EXPECT_NEAR(Measured(89.6, 0.0, 89.7, 0.0) / (0.1 * kMeanMetresPerDegree), 1.0, 1e-5);
    EXPECT_NEAR(Measured(89.6, 0.0, 89.7, 45.0) / (0.1 * kMeanMetresPerDegree), 1.0, 1e-5);
}

// Longitudes are not wrapped: two points 22 m apart across 180 degrees count as
// 359.9998 degrees of longitude apart.
TEST(ExceedsDistance, NoWrapAcrossTheDateLine) {
    EXPECT_LT(GreatCircle(0.0, 179.9999, 0.0, -179.9999), 23.0);
    const double perDegree = Measured(0.0, 0.0, 0.0, 1.0);
    EXPECT_NEAR(Measured(0.0, 179.9999, 0.0, -179.9999) / perDegree, 359.9998, 1e-8);
    EXPECT_NEAR(Measured(-60.0, -179.9999, -60.0, 179.9999) / Measured(-60.0, 0.0, -60.0, 1.0), 359.9998, 1e-8);
}

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
    EXPECT_FALSE(ExceedsDistance(10.0, 0.0, nan, 0.0, 300.0));
    EXPECT_FALSE(ExceedsDistance(10.0, 0.0, 10.0, nan, 300.0));
}
