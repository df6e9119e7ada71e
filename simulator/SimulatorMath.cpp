#include "simulator/SimulatorMath.h"

#include <cmath>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

// Taylor series on |x| <= pi/4, where the terms past x^15 and x^16 are below 1e-16.
double SinePolynomial(double x) {
    double x2 = x * x;
    double sum = 1.0;
    for (int n = 15; n >= 3; n -= 2) sum = 1.0 - sum * x2 / (n * (n - 1));
    return x * sum;
}

double CosinePolynomial(double x) {
    double x2 = x * x;
    double sum = 1.0;
    for (int n = 16; n >= 2; n -= 2) sum = 1.0 - sum * x2 / (n * (n - 1));
    return sum;
}

// quarterTurns counts how far the angle was turned back to land within +-45 degrees.
double Reduce(double degrees, int& quarterTurns) {
    if (!std::isfinite(degrees)) degrees = 0.0;
    double turn = degrees - 360.0 * std::floor(degrees / 360.0);  // 0 to 360 inclusive
    double quarters = std::floor((turn + 45.0) / 90.0);           // 0 to 4
    quarterTurns = static_cast<int>(quarters) & 3;
    return (turn - 90.0 * quarters) * kRadiansPerDegree;
}

}  // namespace

double SineDeg(double degrees) {
    int quarterTurns = 0;
    double x = Reduce(degrees, quarterTurns);
    switch (quarterTurns) {
        case 0: return SinePolynomial(x);
        case 1: return CosinePolynomial(x);
        case 2: return -SinePolynomial(x);
        default: return -CosinePolynomial(x);
    }
}

double CosineDeg(double degrees) { return SineDeg(degrees + 90.0); }
