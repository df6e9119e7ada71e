#pragma once
#include <cstdint>

#include "simulator/DriveSchedule.h"
#include "simulator/SimulatorRandom.h"

// The true motion of the made-up traveller, one second at a time: blocks of road
// between junctions, where it goes straight on, turns a corner or stands at a light,
// with gentle curves inside the blocks. Walking, town and motorway differ in block
// length, speed and turns; a change of phase happens at the next junction it plans.
class SimulatedDriver {
public:
    SimulatedDriver(uint64_t seed, double latitude, double longitude);

    // Moves on by one second; wanted is the phase the schedule asks for now.
    void Step(DrivePhase wanted);

    double Latitude() const { return latitude_; }
    double Longitude() const { return longitude_; }
    double SpeedMs() const { return speed_; }
    double Course() const { return course_; }        // degrees, 0 to below 360
    double Distance() const { return distance_; }    // metres travelled since the start

private:
    enum class Junction { Straight, Corner, Stop };

    void StartBlock();
    void PlanPhaseChange(DrivePhase wanted);
    void Arrive(double overshoot);
    double TargetSpeed() const;
    void Turn();
    void Move(double metres);

    SimulatorRandom random_;
    DrivePhase phase_ = DrivePhase::Walk;
    double latitude_;
    double longitude_;
    double speed_ = 0.0;  // m/s
    double course_;
    double distance_ = 0.0;

    // The block being driven and the junction at its end.
    double remaining_ = 0.0;    // metres to the junction
    double cruise_ = 0.0;       // m/s
    Junction junction_ = Junction::Straight;
    double junctionSpeed_ = 0.0;   // m/s to reach the junction with
    double cornerAngle_ = 0.0;     // degrees, positive to the right
    double cornerRate_ = 0.0;      // degrees per second
    uint32_t stopSeconds_ = 0;
    bool phaseChange_ = false;     // the junction ends the phase
    DrivePhase nextPhase_ = DrivePhase::Walk;
    // A gentle curve inside the block, started when remaining_ falls to curveAt_.
    double curveAt_ = -1.0;
    double curveAngle_ = 0.0;
    double curveRate_ = 0.0;

    // Turning in progress, and standing still.
    double turnLeft_ = 0.0;        // degrees still to turn, signed
    double turnRate_ = 0.0;
    double turnSpeedLimit_ = 0.0;  // m/s while turning
    uint32_t standing_ = 0;        // seconds still to stand
};
