#pragma once
#include <cstdint>
#include <string>

#include "simulator/DriveSchedule.h"
#include "simulator/SimulatedDriver.h"
#include "simulator/SimulatedSky.h"
#include "simulator/SimulatorRandom.h"

// What the made-up receiver records. The defaults give the bundled example drive:
// three hours from Berlin on a winter evening, across local and UTC midnight.
struct SimulatorOptions {
    uint32_t seed = 1;
    double hours = 3.0;  // length of the drive; cut to 0 to 240 hours
    // UTC date and time of the first epoch; an impossible value is pulled into range.
    int startYear = 2026;
    int startMonth = 1;
    int startDay = 14;
    int startSecondOfDay = 21 * 3600 + 45 * 60;
    // Where the drive starts, degrees, north and east positive.
    double startLatitude = 52.5163;
    double startLongitude = 13.3777;
};

// A deterministic GPS receiver at 1 Hz: RMC, GGA, GSA and GSV sentences of one
// drive, the same bytes for the same options on every machine.
class NmeaSimulator {
public:
    explicit NmeaSimulator(const SimulatorOptions& options);

    // Appends the bytes of the next one-second epoch (all its sentences, CR LF line
    // ends) to out; false when the drive is over.
    bool NextEpoch(std::string& out);

    uint32_t EpochCount() const { return epochCount_; }

private:
    struct Reception {
        bool fix;
        double hdop;
        int satellitesUsed;
        double latitude;
        double longitude;
        double altitude;  // metres above mean sea level
    };

    Reception Receive();
    void Clock(char (&text)[32]) const;  // hhmmss.00
    void AppendRmc(std::string& out, const Reception& r) const;
    void AppendGga(std::string& out, const Reception& r) const;
    void AppendGsa(std::string& out, const Reception& r) const;
    void AppendGsv(std::string& out, const Reception& r) const;
    void AdvanceClock();

    uint32_t epochCount_;
    uint32_t epoch_ = 0;
    DriveSchedule schedule_;
    SimulatedDriver driver_;
    SimulatedSky sky_;
    SimulatorRandom random_;
    // UTC date and time of the current epoch.
    int year_;
    int month_;
    int day_;
    int secondOfDay_;
    // Slowly wandering reception quality, 0 (poor) to 1 (open sky).
    double openSky_ = 0.6;
    // Correlated position and height error, metres.
    double errorNorth_ = 0.0;
    double errorEast_ = 0.0;
    double errorUp_ = 0.0;
};

// Writes the whole recording to path; on failure returns false and sets error to a
// user-facing sentence that says what happened and what to do.
bool WriteSimulatedRecording(const char* path, const SimulatorOptions& options, std::string& error);
