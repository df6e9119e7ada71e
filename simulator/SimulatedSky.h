#pragma once
#include <cstdint>

#include "simulator/SimulatorRandom.h"

// One satellite as a GSV sentence lists it.
struct SkySatellite {
    int prn;
    int elevation;  // degrees
    int azimuth;    // degrees
    int snr;        // dB-Hz
};

// The GPS satellites above the horizon: twelve channels whose satellites climb,
// culminate and set slowly; a channel whose satellite has set stays empty for a while
// before a new one rises in it.
class SimulatedSky {
public:
    static constexpr int kChannels = 12;

    explicit SimulatedSky(uint64_t seed);

    // Moves the sky on by one second.
    void Step();

    // Fills out with the satellites in view, in channel order; returns their number.
    int InView(SkySatellite (&out)[kChannels]) const;

private:
    struct Channel {
        int prn;  // 0 while empty
        double elevation;
        double azimuth;
        double elevationRate;  // degrees per second
        double azimuthRate;
        double snrBase;
        double snr;
        uint32_t emptySeconds;
    };

    void Rise(Channel& c, double elevation);
    bool PrnInUse(int prn) const;

    SimulatorRandom random_;
    Channel channels_[kChannels];
};
