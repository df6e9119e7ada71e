#pragma once
#include <cstdint>

// A position in degrees, north and east positive.
struct Position {
    double latitude;
    double longitude;
};

// Metres per degree of latitude.
constexpr double MetresPerDegreeLat = 111195.48679259;

// Metres per degree of longitude at each whole degree of latitude, 0 to 89.
constexpr int kLonMetresRows = 90;
extern const double LonMetresTable[kLonMetresRows];

// True when the two positions (degrees) lie more than limit metres apart. A flat-earth
// approximation with the cosine taken from LonMetresTable at the whole-degree mean
// latitude: no trigonometry and no square root, for a processor without an FPU.
// Longitudes are subtracted as they are, without a wrap at 180 degrees.
bool ExceedsDistance(double lat1, double lon1, double lat2, double lon2, double limit);
