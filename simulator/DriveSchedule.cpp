#include "simulator/DriveSchedule.h"

#include "simulator/SimulatorMath.h"

namespace {

constexpr uint32_t kLayoutSeconds = 3 * 3600;
constexpr uint32_t kAcquisitionSeconds = 6;  // the receiver's cold start, not stretched

// Minutes of the three-hour layout.
constexpr uint32_t kTownFrom = 7, kMotorwayFrom = 57, kTown2From = 130, kWalk2From = 170;
constexpr uint32_t kGgaFirstFrom = 40, kGgaFirstTo = 150;
constexpr uint32_t kTunnelFrom = 100, kTunnelTo = 104;
constexpr uint32_t kJumpMinutes[] = {25, 90, 160};

struct PoorStretch {
    uint32_t fromMinute;
    uint32_t toMinute;
    double startHdop;
    double peakHdop;  // reached halfway
    double endHdop;
};
// Tall buildings, the reacquisition after the tunnel, tall buildings again.
constexpr PoorStretch kPoorStretches[] = {
    {18, 21, 3.5, 9.0, 3.5},
    {104, 106, 12.0, 7.75, 3.5},
    {145, 148, 3.5, 6.0, 3.5},
};

}  // namespace

uint32_t DriveSchedule::At(uint32_t layoutSeconds) const {
    return static_cast<uint32_t>(static_cast<uint64_t>(layoutSeconds) * epochCount_ / kLayoutSeconds);
}

bool DriveSchedule::Within(uint32_t epoch, uint32_t fromMinute, uint32_t toMinute) const {
    return epoch >= At(fromMinute * 60) && epoch < At(toMinute * 60);
}

DrivePhase DriveSchedule::PhaseAt(uint32_t epoch) const {
    if (epoch < At(kTownFrom * 60) || epoch >= At(kWalk2From * 60)) return DrivePhase::Walk;
    if (Within(epoch, kMotorwayFrom, kTown2From)) return DrivePhase::Motorway;
    return DrivePhase::Town;
}

bool DriveSchedule::HasFix(uint32_t epoch) const {
    return epoch >= kAcquisitionSeconds && !Within(epoch, kTunnelFrom, kTunnelTo);
}

bool DriveSchedule::GgaFirst(uint32_t epoch) const { return Within(epoch, kGgaFirstFrom, kGgaFirstTo); }

bool DriveSchedule::IsJump(uint32_t epoch) const {
    for (uint32_t minute : kJumpMinutes) {
        if (epoch == At(minute * 60)) return true;
    }
    return false;
}

double DriveSchedule::PoorHdopAt(uint32_t epoch) const {
    for (const PoorStretch& s : kPoorStretches) {
        if (!Within(epoch, s.fromMinute, s.toMinute)) continue;
        uint32_t from = At(s.fromMinute * 60);
        double share = static_cast<double>(epoch - from) / static_cast<double>(At(s.toMinute * 60) - from);
        // A half sine wave from start to end, lifted by the peak in the middle.
        double base = s.startHdop + (s.endHdop - s.startHdop) * share;
        double lift = s.peakHdop - 0.5 * (s.startHdop + s.endHdop);
        return base + lift * SineDeg(180.0 * share);
    }
    return 0.0;
}
