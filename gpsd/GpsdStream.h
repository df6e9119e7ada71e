#pragma once
#include <cstdint>

// What gpsd sends a watcher that asked for NMEA: its own JSON reports, each a line
// that begins with '{', and the receivers' sentences relayed as they came. Filter
// hands on every other line byte for byte and keeps from the reports only what
// decides whether there is anything to log: how many receivers gpsd has active.
// A line may be split over any number of calls.
class GpsdStream {
public:
    static constexpr int kReportBytes = 512;
    enum class Receivers { Unknown, None, Some };

    // Moves the sentence bytes of data[0..count) to the front of data; returns how many.
    uint32_t Filter(uint8_t* data, uint32_t count);
    // Forgets a half-read line and what the reports said: a new connection begins.
    void Reset();

    Receivers receivers() const { return receivers_; }
    // True once a DEVICES report came (the answer to the watch request).
    bool Listed() const { return listed_; }

private:
    void EndReport();

    bool lineStart_ = true;
    bool inReport_ = false;
    bool listed_ = false;
    Receivers receivers_ = Receivers::Unknown;
    int active_ = 0;
    int reportLength_ = 0;
    char report_[kReportBytes] = {};
};
