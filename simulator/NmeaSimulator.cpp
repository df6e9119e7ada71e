#include "simulator/NmeaSimulator.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "simulator/SimulatorMath.h"

namespace {

constexpr double kMetresPerDegree = 111195.0;
constexpr double kMsToKnots = 3.6 / 1.852;
constexpr double kMaxHours = 240.0;
constexpr double kGeoidSeparation = 39.5;  // metres, about right for northern Germany

// Each part of the simulation draws from its own stream, so that a change in one
// part leaves the others' numbers alone.
enum Stream : uint64_t { kDriverStream = 1, kSkyStream = 2, kReceiverStream = 3 };

uint64_t StreamSeed(uint32_t seed, Stream stream) {
    SimulatorRandom mixer(static_cast<uint64_t>(seed) | (static_cast<uint64_t>(stream) << 32));
    return mixer.Next();
}

// NaN and out-of-range values land inside low..high.
double Clamp(double value, double low, double high) {
    if (value >= low && value <= high) return value;
    return value > high ? high : low;
}

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

uint32_t EpochsOf(double hours) {
    return static_cast<uint32_t>(Clamp(hours, 0.0, kMaxHours) * 3600.0 + 0.5);
}

using NumberText = char[32];

// Rounds half away from zero to a whole number of units; the value is small enough
// for the conversion.
long long Units(double value, double perUnit) { return static_cast<long long>(std::floor(value * perUnit + 0.5)); }

// Prints a non-negative value with 1 or 2 decimals, rounding in integers so that no
// printf rounding rule shows through.
void Fixed(NumberText& text, double value, int decimals) {
    long long scale = decimals == 1 ? 10 : 100;
    long long units = Units(value < 0.0 ? 0.0 : value, static_cast<double>(scale));
    snprintf(text, sizeof text, "%lld.%0*lld", units / scale, decimals, units % scale);
}

// ddmm.mmmm or dddmm.mmmm, without sign.
void Coordinate(NumberText& text, double degrees, int degreeDigits) {
    constexpr long long kUnitsPerDegree = 600000;  // ten-thousandths of a minute
    long long units = Units(std::fabs(degrees), static_cast<double>(kUnitsPerDegree));
    long long minutes = units % kUnitsPerDegree;
    snprintf(text, sizeof text, "%0*lld%02lld.%04lld", degreeDigits, units / kUnitsPerDegree, minutes / 10000,
             minutes % 10000);
}

// The four position fields of RMC and GGA: 5230.9780,N,01322.6620,E
void Position(char (&text)[80], double latitude, double longitude) {
    NumberText lat, lon;
    Coordinate(lat, latitude, 2);
    Coordinate(lon, longitude, 3);
    snprintf(text, sizeof text, "%s,%c,%s,%c", lat, latitude < 0.0 ? 'S' : 'N', lon, longitude < 0.0 ? 'W' : 'E');
}

// Adds "$", the body, "*", the checksum (XOR of the body's bytes) and CR LF.
void AppendSentence(std::string& out, const char* body) {
    unsigned char sum = 0;
    for (const char* p = body; *p != '\0'; ++p) sum ^= static_cast<unsigned char>(*p);
    char tail[8];
    snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    out += '$';
    out += body;
    out += tail;
}

}  // namespace

NmeaSimulator::NmeaSimulator(const SimulatorOptions& options)
    : epochCount_(EpochsOf(options.hours)),
      schedule_(epochCount_),
      driver_(StreamSeed(options.seed, kDriverStream), Clamp(options.startLatitude, -80.0, 80.0),
              Clamp(options.startLongitude, -179.0, 179.0)),
      sky_(StreamSeed(options.seed, kSkyStream)),
      random_(StreamSeed(options.seed, kReceiverStream)) {
    year_ = Clamp(options.startYear, 2000, 2099);
    month_ = Clamp(options.startMonth, 1, 12);
    day_ = Clamp(options.startDay, 1, DaysInMonth(year_, month_));
    secondOfDay_ = Clamp(options.startSecondOfDay, 0, 86399);
}

NmeaSimulator::Reception NmeaSimulator::Receive() {
    Reception r{};
    r.fix = schedule_.HasFix(epoch_);
    openSky_ = Clamp(openSky_ + random_.Between(-0.03, 0.03), 0.0, 1.0);
    double poor = schedule_.PoorHdopAt(epoch_);
    if (poor > 0.0) {
        r.hdop = poor;
        r.satellitesUsed = poor > 8.0 ? 4 : (poor > 5.5 ? 5 : 6);
    } else {
        r.hdop = 0.8 + 1.2 * (1.0 - openSky_);
        r.satellitesUsed = 7 + static_cast<int>(5.0 * openSky_ + 0.5);
    }
    SkySatellite sats[SimulatedSky::kChannels];
    int inView = sky_.InView(sats);
    if (r.satellitesUsed > inView) r.satellitesUsed = inView;

    // The error wanders rather than jumps, and grows with the HDOP.
    double spread = 3.0 * r.hdop;
    errorNorth_ = 0.9 * errorNorth_ + 0.1 * spread * random_.Between(-1.0, 1.0);
    errorEast_ = 0.9 * errorEast_ + 0.1 * spread * random_.Between(-1.0, 1.0);
    errorUp_ = 0.9 * errorUp_ + 0.15 * spread * random_.Between(-1.0, 1.0);
    double north = errorNorth_;
    double east = errorEast_;
    if (schedule_.IsJump(epoch_)) {
        double metres = random_.Between(500.0, 5000.0);
        double bearing = random_.Between(0.0, 360.0);
        north += metres * CosineDeg(bearing);
        east += metres * SineDeg(bearing);
    }
    r.latitude = driver_.Latitude() + north / kMetresPerDegree;
    r.longitude = driver_.Longitude() + east / (kMetresPerDegree * CosineDeg(driver_.Latitude()));

    // Low hills along the way, repeating every 38 km and 12 km.
    double d = driver_.Distance();
    r.altitude = 46.0 + 9.0 * SineDeg(d * 0.0094) + 4.0 * SineDeg(d * 0.031 + 40.0) + errorUp_;
    return r;
}

void NmeaSimulator::Clock(NumberText& text) const {
    snprintf(text, sizeof text, "%02d%02d%02d.00", secondOfDay_ / 3600, secondOfDay_ / 60 % 60, secondOfDay_ % 60);
}

// $GPRMC,214500.00,A,5230.9780,N,01322.6620,E,24.30,87.5,140126,,,A*hh
// $GPRMC,232500.00,V,,,,,,,140126,,,N*hh        (no fix)
void NmeaSimulator::AppendRmc(std::string& out, const Reception& r) const {
    char body[256];
    NumberText time;
    Clock(time);
    if (!r.fix) {
        snprintf(body, sizeof body, "GPRMC,%s,V,,,,,,,%02d%02d%02d,,,N", time, day_, month_, year_ % 100);
        AppendSentence(out, body);
        return;
    }
    char position[80];
    NumberText knots, course;
    Position(position, r.latitude, r.longitude);
    Fixed(knots, driver_.SpeedMs() * kMsToKnots, 2);
    Fixed(course, driver_.Course() < 359.95 ? driver_.Course() : 0.0, 1);  // 359.96 is printed 0.0
    snprintf(body, sizeof body, "GPRMC,%s,A,%s,%s,%s,%02d%02d%02d,,,A", time, position, knots, course, day_, month_,
             year_ % 100);
    AppendSentence(out, body);
}

// $GPGGA,214500.00,5230.9780,N,01322.6620,E,1,09,1.2,47.3,M,39.5,M,,*hh
// $GPGGA,232500.00,,,,,0,00,99.9,,,,,,*hh       (no fix)
void NmeaSimulator::AppendGga(std::string& out, const Reception& r) const {
    char body[256];
    NumberText time;
    Clock(time);
    if (!r.fix) {
        snprintf(body, sizeof body, "GPGGA,%s,,,,,0,00,99.9,,,,,,", time);
        AppendSentence(out, body);
        return;
    }
    char position[80];
    NumberText hdop, altitude, geoid;
    Position(position, r.latitude, r.longitude);
    Fixed(hdop, r.hdop, 1);
    Fixed(altitude, r.altitude, 1);
    Fixed(geoid, kGeoidSeparation, 1);
    snprintf(body, sizeof body, "GPGGA,%s,%s,1,%02d,%s,%s,M,%s,M,,", time, position, r.satellitesUsed, hdop, altitude,
             geoid);
    AppendSentence(out, body);
}

// $GPGSA,A,3,04,07,09,16,20,23,27,30,,,,,2.2,1.2,1.8*hh: the satellites used, the
// strongest of those in view, then PDOP, HDOP and VDOP.
void NmeaSimulator::AppendGsa(std::string& out, const Reception& r) const {
    if (!r.fix) {
        AppendSentence(out, "GPGSA,A,1,,,,,,,,,,,,,99.9,99.9,99.9");
        return;
    }
    SkySatellite sats[SimulatedSky::kChannels];
    int inView = sky_.InView(sats);
    bool used[SimulatedSky::kChannels] = {};
    for (int n = 0; n < r.satellitesUsed; ++n) {
        int best = -1;
        for (int i = 0; i < inView; ++i) {
            if (!used[i] && (best < 0 || sats[i].snr > sats[best].snr)) best = i;
        }
        used[best] = true;
    }
    std::string body = "GPGSA,A,3";
    char field[16];
    int listed = 0;
    for (int i = 0; i < inView; ++i) {
        if (!used[i]) continue;
        snprintf(field, sizeof field, ",%02d", sats[i].prn);
        body += field;
        ++listed;
    }
    for (; listed < SimulatedSky::kChannels; ++listed) body += ',';
    NumberText pdop, hdop, vdop;
    Fixed(pdop, r.hdop * std::sqrt(3.25), 1);
    Fixed(hdop, r.hdop, 1);
    Fixed(vdop, r.hdop * 1.5, 1);
    body = body + ',' + pdop + ',' + hdop + ',' + vdop;
    AppendSentence(out, body.c_str());
}

// $GPGSV,3,1,11,04,62,105,44,07,31,288,38,09,12,046,31,16,47,164,41*hh, four
// satellites a sentence; no signal strengths while there is no fix.
void NmeaSimulator::AppendGsv(std::string& out, const Reception& r) const {
    SkySatellite sats[SimulatedSky::kChannels];
    int inView = sky_.InView(sats);
    int messages = inView == 0 ? 1 : (inView + 3) / 4;
    int weaker = r.hdop > 3.0 ? 6 : 0;  // buildings dim what they do not hide
    char body[256];
    for (int m = 0; m < messages; ++m) {
        int length = snprintf(body, sizeof body, "GPGSV,%d,%d,%02d", messages, m + 1, inView);
        for (int i = 4 * m; i < inView && i < 4 * m + 4; ++i) {
            const SkySatellite& s = sats[i];
            length += r.fix ? snprintf(body + length, sizeof body - length, ",%02d,%02d,%03d,%02d", s.prn, s.elevation,
                                       s.azimuth, s.snr - weaker)
                            : snprintf(body + length, sizeof body - length, ",%02d,%02d,%03d,", s.prn, s.elevation,
                                       s.azimuth);
        }
        AppendSentence(out, body);
    }
}

void NmeaSimulator::AdvanceClock() {
    if (++secondOfDay_ < 86400) return;
    secondOfDay_ = 0;
    if (++day_ <= DaysInMonth(year_, month_)) return;
    day_ = 1;
    if (++month_ <= 12) return;
    month_ = 1;
    ++year_;
}

bool NmeaSimulator::NextEpoch(std::string& out) {
    if (epoch_ >= epochCount_) return false;
    if (epoch_ > 0) {
        driver_.Step(schedule_.PhaseAt(epoch_));
        sky_.Step();
    }
    Reception r = Receive();
    bool ggaFirst = schedule_.GgaFirst(epoch_);
    if (!ggaFirst) AppendRmc(out, r);
    AppendGga(out, r);
    AppendGsa(out, r);
    AppendGsv(out, r);
    if (ggaFirst) AppendRmc(out, r);
    AdvanceClock();
    ++epoch_;
    return true;
}

bool WriteSimulatedRecording(const char* path, const SimulatorOptions& options, std::string& error) {
    if (path == nullptr || *path == '\0') {
        error = "no file name was given for the simulated drive. Name one with --out FILE.";
        return false;
    }
    FILE* file = fopen(path, "wb");
    if (file == nullptr) {
        error = std::string("cannot create ") + path + ": " + strerror(errno) +
                ". Check that the folder exists and that you may write to it.";
        return false;
    }
    struct stat info {};
    bool regularFile = fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
    NmeaSimulator simulator(options);
    std::string chunk;
    bool more = true;
    int failure = 0;
    while (more && failure == 0) {
        more = simulator.NextEpoch(chunk);
        if (chunk.size() < 65536 && more) continue;
        if (fwrite(chunk.data(), 1, chunk.size(), file) != chunk.size()) failure = errno != 0 ? errno : EIO;
        chunk.clear();
    }
    if (fclose(file) != 0 && failure == 0) failure = errno != 0 ? errno : EIO;
    if (failure != 0) {
        if (regularFile) remove(path);  // half a drive would pass for a whole one; a device stays
        error = std::string("cannot write the simulated drive to ") + path + ": " + strerror(failure) +
                ". Check that the disk has room and try again.";
        return false;
    }
    return true;
}
