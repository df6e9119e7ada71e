#include "plot/SpeedScale.h"

namespace {

// Slow to fast: blue, through green and yellow, to red.
const char* const kColours[SpeedScale::kBands] = {"#2b5fb8", "#1d9fc9", "#2fa84f", "#b5b800", "#ec7a1c", "#d11f1f"};

}  // namespace

SpeedScale::SpeedScale(double maxSpeedKmh) {
    // 1, 2, 5, 10, 20, 25, 50, 100...: whole numbers, none more than twice the one
    // before, so that a day's speeds fill most of the bands. A bound keeps an absurd
    // speed from looping long.
    const double steps[] = {1.0, 2.0, 2.5, 5.0};
    for (double decade = 1.0; decade < 1e9; decade *= 10.0) {
        for (double step : steps) {
            width_ = step * decade;
            if (width_ != static_cast<double>(static_cast<long long>(width_))) continue;
            if (width_ * kBands >= maxSpeedKmh) return;
        }
    }
}

int SpeedScale::Band(double speedKmh) const {
    const double band = speedKmh / width_;
    if (!(band >= 0.0)) return 0;
    return band >= kBands - 1 ? kBands - 1 : static_cast<int>(band);
}

const char* SpeedScale::Colour(int band) { return kColours[band]; }
