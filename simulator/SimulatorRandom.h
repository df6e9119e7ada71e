#pragma once
#include <cstdint>

// SplitMix64: a tiny generator whose sequence is the same on every compiler and
// library, unlike std::rand and the std:: distributions.
class SimulatorRandom {
public:
    explicit SimulatorRandom(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1), exactly representable.
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Between(double low, double high) { return low + (high - low) * Unit(); }
    // Uniform over low..high, both included.
    int IntBetween(int low, int high) {
        return low + static_cast<int>(Next() % static_cast<uint64_t>(high - low + 1));
    }
    bool Chance(double probability) { return Unit() < probability; }
    // +1 or -1 with equal odds.
    double Sign() { return (Next() & 1) ? 1.0 : -1.0; }

private:
    uint64_t state_;
};
