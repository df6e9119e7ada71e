#pragma once

// The colours of the track by speed: a few bands of equal, round width (1, 2, 2.5 or 5
// times a power of ten km/h, a whole number) that together reach the day's top speed.
class SpeedScale {
public:
    static constexpr int kBands = 6;

    explicit SpeedScale(double maxSpeedKmh);

    int Band(double speedKmh) const;
    static const char* Colour(int band);
    // km/h covered by one band; band b starts at b times this.
    double BandWidth() const { return width_; }

private:
    double width_ = 1.0;
};
