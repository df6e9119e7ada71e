#include "simulator/SimulatedSky.h"

namespace {

constexpr double kHorizon = 5.0;    // degrees; lower satellites are not listed
constexpr double kZenithTurn = 85.0;

}  // namespace

SimulatedSky::SimulatedSky(uint64_t seed) : random_(seed), channels_() {
    for (Channel& c : channels_) {
        double u = random_.Unit();
        Rise(c, 10.0 + 70.0 * u * u);  // more satellites low than high, as in a real sky
        c.elevationRate = random_.Sign() * c.elevationRate;
    }
}

bool SimulatedSky::PrnInUse(int prn) const {
    for (const Channel& c : channels_) {
        if (c.prn == prn) return true;
    }
    return false;
}

void SimulatedSky::Rise(Channel& c, double elevation) {
    int prn = random_.IntBetween(1, 32);
    while (PrnInUse(prn)) prn = prn % 32 + 1;  // at most 12 of 32 are taken
    c.prn = prn;
    c.elevation = elevation;
    c.azimuth = random_.Between(0.0, 360.0);
    c.elevationRate = random_.Between(0.002, 0.006);
    c.azimuthRate = random_.Sign() * random_.Between(0.001, 0.004);
    c.snrBase = random_.Between(28.0, 40.0);
    c.snr = c.snrBase;
    c.emptySeconds = 0;
}

void SimulatedSky::Step() {
    for (Channel& c : channels_) {
        if (c.prn == 0) {
            if (--c.emptySeconds == 0) Rise(c, kHorizon);
            continue;
        }
        c.elevation += c.elevationRate;
        if (c.elevation > kZenithTurn && c.elevationRate > 0.0) c.elevationRate = -c.elevationRate;
        if (c.elevation < kHorizon) {
            c.prn = 0;
            c.emptySeconds = static_cast<uint32_t>(random_.IntBetween(600, 1800));
            continue;
        }
        c.azimuth += c.azimuthRate;
        if (c.azimuth >= 360.0) c.azimuth -= 360.0;
        if (c.azimuth < 0.0) c.azimuth += 360.0;
        // Higher satellites come in stronger; the signal flickers by a dB or two.
        double wanted = c.snrBase + 0.12 * c.elevation;
        c.snr += 0.3 * (wanted - c.snr) + random_.Between(-1.0, 1.0);
        if (c.snr < 15.0) c.snr = 15.0;
        if (c.snr > 50.0) c.snr = 50.0;
    }
}

int SimulatedSky::InView(SkySatellite (&out)[kChannels]) const {
    int count = 0;
    for (const Channel& c : channels_) {
        if (c.prn == 0) continue;
        out[count].prn = c.prn;
        out[count].elevation = static_cast<int>(c.elevation + 0.5);
        out[count].azimuth = static_cast<int>(c.azimuth) % 360;
        out[count].snr = static_cast<int>(c.snr + 0.5);
        ++count;
    }
    return count;
}
