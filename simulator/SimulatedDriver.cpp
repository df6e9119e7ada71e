#include "simulator/SimulatedDriver.h"

#include <cmath>

#include "simulator/SimulatorMath.h"

namespace {

constexpr double kMetresPerDegree = 111195.0;
constexpr double kKmh = 1.0 / 3.6;        // one km/h in m/s
constexpr double kPlannedBraking = 1.5;   // m/s², for the approach to a junction
constexpr double kHardestBraking = 3.0;   // m/s²
constexpr double kNoLimit = 1000.0;       // m/s

double Acceleration(DrivePhase phase) {
    switch (phase) {
        case DrivePhase::Walk: return 1.0;
        case DrivePhase::Town: return 2.0;
        default: return 1.0;
    }
}

}  // namespace

SimulatedDriver::SimulatedDriver(uint64_t seed, double latitude, double longitude)
    : random_(seed), latitude_(latitude), longitude_(longitude) {
    course_ = random_.Between(0.0, 360.0);
    StartBlock();
}

void SimulatedDriver::StartBlock() {
    junction_ = Junction::Straight;
    junctionSpeed_ = 0.0;
    curveAt_ = -1.0;
    double curveChance = 0.0;
    double curveLow = 0.0, curveHigh = 0.0, rateLow = 0.0, rateHigh = 0.0;
    double pick = random_.Unit();
    switch (phase_) {
        case DrivePhase::Walk:
            remaining_ = random_.Between(60.0, 180.0);
            cruise_ = random_.Between(4.0, 5.0) * kKmh;
            if (pick < 0.7) {
                junction_ = Junction::Corner;
                junctionSpeed_ = cruise_;
                cornerAngle_ = random_.Sign() * random_.Between(70.0, 110.0);
                cornerRate_ = 45.0;
            } else if (pick < 0.85) {
                junction_ = Junction::Stop;  // a pedestrian light
                stopSeconds_ = static_cast<uint32_t>(random_.IntBetween(30, 60));
            }
            break;
        case DrivePhase::Town:
            remaining_ = random_.Between(250.0, 800.0);
            cruise_ = random_.Between(30.0, 50.0) * kKmh;
            if (pick < 0.2) {
                junction_ = Junction::Stop;  // traffic lights
                stopSeconds_ = static_cast<uint32_t>(random_.IntBetween(60, 120));
            } else if (pick < 0.7) {
                junction_ = Junction::Corner;
                junctionSpeed_ = random_.Between(15.0, 20.0) * kKmh;
                cornerAngle_ = random_.Sign() * random_.Between(75.0, 105.0);
                cornerRate_ = 12.0;
            }
            curveChance = 0.4;
            curveLow = 10.0, curveHigh = 40.0, rateLow = 1.0, rateHigh = 3.0;
            break;
        case DrivePhase::Motorway:
            remaining_ = random_.Between(2000.0, 6000.0);
            cruise_ = (pick < 0.15 ? random_.Between(90.0, 100.0) : random_.Between(110.0, 130.0)) * kKmh;
            curveChance = 0.7;
            curveLow = 10.0, curveHigh = 45.0, rateLow = 0.3, rateHigh = 1.0;
            break;
    }
    if (random_.Chance(curveChance)) {
        curveAt_ = remaining_ * random_.Between(0.3, 0.7);
        curveAngle_ = random_.Sign() * random_.Between(curveLow, curveHigh);
        curveRate_ = random_.Between(rateLow, rateHigh);
    }
}

// Turns the coming junction into the change of phase, close enough ahead that the
// phase changes within a minute or two of the time the schedule gives.
void SimulatedDriver::PlanPhaseChange(DrivePhase wanted) {
    phaseChange_ = true;
    nextPhase_ = wanted;
    if (wanted == DrivePhase::Walk || phase_ == DrivePhase::Walk) {
        junction_ = Junction::Stop;  // park the car, or get into it
        stopSeconds_ = wanted == DrivePhase::Walk ? 120 : 90;
        junctionSpeed_ = 0.0;
    } else {
        junction_ = Junction::Corner;  // the ramp onto or off the motorway
        junctionSpeed_ = (wanted == DrivePhase::Motorway ? 60.0 : 50.0) * kKmh;
        cornerAngle_ = random_.Sign() * random_.Between(60.0, 120.0);
        cornerRate_ = 4.0;
    }
    double slowDown = speed_ > junctionSpeed_ ? speed_ * speed_ - junctionSpeed_ * junctionSpeed_ : 0.0;
    double soon = 100.0 + slowDown / (2.0 * kPlannedBraking);
    if (remaining_ > soon) remaining_ = soon;
    if (curveAt_ > remaining_) curveAt_ = -1.0;
}

double SimulatedDriver::TargetSpeed() const {
    double target = cruise_;
    if (turnLeft_ != 0.0 && turnSpeedLimit_ < target) target = turnSpeedLimit_;
    if (junction_ != Junction::Straight) {
        // Slow enough to brake to the junction's speed in the distance left.
        double v = junctionSpeed_;
        double allowed = std::sqrt(v * v + 2.0 * kPlannedBraking * remaining_);
        if (allowed < target) target = allowed;
    }
    return target;
}

void SimulatedDriver::Turn() {
    if (turnLeft_ == 0.0) return;
    double step = std::fabs(turnLeft_) < turnRate_ ? turnLeft_ : (turnLeft_ > 0.0 ? turnRate_ : -turnRate_);
    turnLeft_ -= step;
    course_ += step;
    if (course_ >= 360.0) course_ -= 360.0;
    if (course_ < 0.0) course_ += 360.0;
}

void SimulatedDriver::Move(double metres) {
    double north = metres * CosineDeg(course_);
    double east = metres * SineDeg(course_);
    longitude_ += east / (kMetresPerDegree * CosineDeg(latitude_));
    latitude_ += north / kMetresPerDegree;
    distance_ += metres;
    // Only a drive of days gets this far; it turns back before the flat earth breaks.
    bool poleward = latitude_ > 80.0 ? north > 0.0 : (latitude_ < -80.0 && north < 0.0);
    if (poleward) course_ = course_ <= 180.0 ? 180.0 - course_ : 540.0 - course_;
    if (longitude_ > 180.0) longitude_ -= 360.0;
    if (longitude_ < -180.0) longitude_ += 360.0;
}

void SimulatedDriver::Arrive(double overshoot) {
    if (phaseChange_) {
        phase_ = nextPhase_;
        phaseChange_ = false;
    }
    if (junction_ == Junction::Stop) {
        standing_ = stopSeconds_;
        return;  // the next block starts when the wait is over
    }
    if (junction_ == Junction::Corner) {
        turnLeft_ += cornerAngle_;
        turnRate_ = cornerRate_;
        turnSpeedLimit_ = junctionSpeed_;
    }
    StartBlock();
    remaining_ -= overshoot;
}

void SimulatedDriver::Step(DrivePhase wanted) {
    if (standing_ > 0) {
        speed_ = 0.0;
        if (--standing_ == 0) StartBlock();
        return;
    }
    if (wanted != phase_ && !phaseChange_) PlanPhaseChange(wanted);
    if (curveAt_ >= 0.0 && remaining_ <= curveAt_) {
        turnLeft_ += curveAngle_;
        turnRate_ = curveRate_;
        turnSpeedLimit_ = kNoLimit;
        curveAt_ = -1.0;
    }

    double target = TargetSpeed();
    double accelerated = speed_ + Acceleration(phase_);
    double braked = speed_ - kHardestBraking;
    speed_ = target > accelerated ? accelerated : (target < braked ? braked : target);
    Turn();

    double metres = speed_;
    bool arrived = metres >= remaining_;
    if (arrived && junction_ == Junction::Stop) {
        metres = remaining_;  // roll up to the stop line
        speed_ = metres;
    }
    Move(metres);
    remaining_ -= metres;
    if (arrived) Arrive(-remaining_);
}
