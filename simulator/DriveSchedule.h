#pragma once
#include <cstdint>

enum class DrivePhase { Walk, Town, Motorway };

// The shape of the drive: what happens when, laid out on a three-hour drive and
// stretched or squeezed to the drive's real length, so that a short test drive holds
// every kind of event too. Times are epochs (seconds) since the start.
class DriveSchedule {
public:
    explicit DriveSchedule(uint32_t epochCount) : epochCount_(epochCount) {}

    DrivePhase PhaseAt(uint32_t epoch) const;
    bool HasFix(uint32_t epoch) const;
    bool GgaFirst(uint32_t epoch) const;
    bool IsJump(uint32_t epoch) const;
    // The HDOP of a stretch of poor reception, or 0.0 outside those stretches.
    double PoorHdopAt(uint32_t epoch) const;

private:
    // The epoch of a moment given in seconds of the three-hour layout.
    uint32_t At(uint32_t layoutSeconds) const;
    bool Within(uint32_t epoch, uint32_t fromMinute, uint32_t toMinute) const;

    uint32_t epochCount_;
};
