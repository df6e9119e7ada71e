#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "simulator/NmeaSimulator.h"

namespace {

std::string Generate(const SimulatorOptions& options) {
    NmeaSimulator simulator(options);
    std::string out;
    while (simulator.NextEpoch(out)) {
    }
    return out;
}

// The bundled example's drive, made once for the tests that read all three hours.
const std::string& DefaultDrive() {
    static const std::string drive = Generate(SimulatorOptions());
    return drive;
}

SimulatorOptions HalfHour(uint32_t seed = 1) {
    SimulatorOptions options;
    options.seed = seed;
    options.hours = 0.5;
    return options;
}

std::vector<std::string> Fields(const std::string& sentence) {
    std::vector<std::string> fields;
    std::string body = sentence.substr(1, sentence.find('*') - 1);
    std::stringstream in(body);
    std::string field;
    while (std::getline(in, field, ',')) fields.push_back(field);
    if (!body.empty() && body.back() == ',') fields.push_back("");
    return fields;
}

// One RMC and its GGA, as parsed here, independent of the program's own parsers.
struct Epoch {
    std::string time, date;
    bool rmcFirst = false;
    bool fix = false;
    double latitude = 0, longitude = 0, speedMs = 0, course = 0, hdop = 0;
    int satellites = 0;
    std::vector<std::string> rmc, gga;
};

double Degrees(const std::string& field, int degreeDigits) {
    return std::stod(field.substr(0, degreeDigits)) + std::stod(field.substr(degreeDigits)) / 60.0;
}

// Splits the text into lines (asserting CR LF), pairs RMC and GGA by their order.
std::vector<Epoch> Epochs(const std::string& text, std::vector<std::string>* lines = nullptr) {
    std::vector<Epoch> epochs;
    std::vector<std::vector<std::string>> rmcs, ggas;
    std::vector<size_t> rmcAt, ggaAt;
    size_t start = 0;
    for (size_t n = 0; start < text.size(); ++n) {
        size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "last line without CR LF";
        if (end == std::string::npos) break;
        std::string line = text.substr(start, end - start);
        if (lines) lines->push_back(line);
        if (line.compare(0, 6, "$GPRMC") == 0) rmcs.push_back(Fields(line)), rmcAt.push_back(n);
        if (line.compare(0, 6, "$GPGGA") == 0) ggas.push_back(Fields(line)), ggaAt.push_back(n);
        start = end + 2;
    }
    EXPECT_EQ(rmcs.size(), ggas.size());
    for (size_t i = 0; i < rmcs.size() && i < ggas.size(); ++i) {
        Epoch e;
        e.rmc = rmcs[i];
        e.gga = ggas[i];
        e.time = e.rmc[1];
        e.date = e.rmc[9];
        e.rmcFirst = rmcAt[i] < ggaAt[i];
        e.fix = e.rmc[2] == "A";
        if (e.fix) {
            e.latitude = Degrees(e.rmc[3], 2) * (e.rmc[4] == "S" ? -1 : 1);
            e.longitude = Degrees(e.rmc[5], 3) * (e.rmc[6] == "W" ? -1 : 1);
            e.speedMs = std::stod(e.rmc[7]) * 1.852 / 3.6;
            e.course = std::stod(e.rmc[8]);
            e.satellites = std::stoi(e.gga[7]);
            e.hdop = std::stod(e.gga[8]);
        }
        epochs.push_back(e);
    }
    return epochs;
}

int SecondOfDay(const std::string& time) {
    return std::stoi(time.substr(0, 2)) * 3600 + std::stoi(time.substr(2, 2)) * 60 + std::stoi(time.substr(4, 2));
}

void Displacement(const Epoch& a, const Epoch& b, double& north, double& east) {
    north = (b.latitude - a.latitude) * 111195.0;
    east = (b.longitude - a.longitude) * 111195.0 * std::cos((a.latitude + b.latitude) * 0.5 * M_PI / 180.0);
}

}  // namespace

TEST(NmeaSimulator, EveryLineIsAChecksummedSentenceWithinTheNmeaLength) {
    std::vector<std::string> lines;
    Epochs(Generate(HalfHour()), &lines);
    ASSERT_GT(lines.size(), 1800u * 4);
    for (const std::string& line : lines) {
        ASSERT_LE(line.size() + 2, 82u) << line;
        ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        size_t star = line.find('*');
        ASSERT_EQ(star, line.size() - 3) << line;
        unsigned sum = 0;
        for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(line[i]);
        char expected[3];
        snprintf(expected, sizeof expected, "%02X", sum);
        EXPECT_EQ(line.substr(star + 1), expected) << line;
        std::string type = line.substr(0, 7);
        EXPECT_TRUE(type == "$GPRMC," || type == "$GPGGA," || type == "$GPGSA," || type == "$GPGSV,") << line;
    }
}

TEST(NmeaSimulator, EachSecondHasOneRmcAndOneGgaInEitherOrder) {
    std::vector<Epoch> epochs = Epochs(Generate(HalfHour()));
    ASSERT_EQ(epochs.size(), 1800u);
    int rmcFirst = 0;
    for (size_t i = 0; i < epochs.size(); ++i) {
        ASSERT_EQ(epochs[i].time, epochs[i].gga[1]);
        EXPECT_EQ(SecondOfDay(epochs[i].time), 21 * 3600 + 45 * 60 + static_cast<int>(i));
        rmcFirst += epochs[i].rmcFirst;
    }
    EXPECT_GT(rmcFirst, 100);
    EXPECT_LT(rmcFirst, 1700);
    EXPECT_TRUE(epochs.front().rmcFirst);
    EXPECT_TRUE(epochs.back().rmcFirst);
}

TEST(NmeaSimulator, ReceptionVariesAsWithARealReceiver) {
    std::vector<Epoch> epochs = Epochs(Generate(HalfHour()));
    int longestOutage = 0, outage = 0, poor = 0, good = 0;
    bool hadFix = false;
    for (const Epoch& e : epochs) {
        if (!e.fix) {
            // Empty position, speed and course, as a receiver without fix sends them.
            for (int f = 3; f <= 8; ++f) EXPECT_EQ(e.rmc[f], "") << e.time;
            EXPECT_EQ(e.gga[2] + e.gga[4] + e.gga[6], "0");
            if (hadFix) longestOutage = std::max(longestOutage, ++outage);
            continue;
        }
        hadFix = true;
        outage = 0;
        EXPECT_GE(e.satellites, 4);
        EXPECT_LE(e.satellites, 12);
        EXPECT_GE(e.hdop, 0.8);
        EXPECT_LE(e.hdop, 12.0);
        EXPECT_TRUE(e.hdop <= 2.0 || e.hdop >= 3.5) << e.time << " " << e.hdop;
        (e.hdop >= 3.5 ? poor : good)++;
    }
    EXPECT_GE(longestOutage, 30);  // the tunnel
    EXPECT_GT(poor, 30);
    EXPECT_GT(good, 1500);
}

TEST(NmeaSimulator, DefaultDriveCrossesLocalAndUtcMidnight) {
    std::vector<Epoch> epochs = Epochs(DefaultDrive());
    ASSERT_EQ(epochs.size(), 3u * 3600);
    EXPECT_EQ(epochs.front().time, "214500.00");
    EXPECT_EQ(epochs.front().date, "140126");
    EXPECT_EQ(epochs.back().time, "004459.00");
    EXPECT_EQ(epochs.back().date, "150126");
    double fastest = 0;
    int walking = 0, town = 0, standing = 0, longestStop = 0;
    for (size_t i = 1; i < epochs.size(); ++i) {
        EXPECT_EQ(epochs[i].date, SecondOfDay(epochs[i].time) < 12 * 3600 ? "150126" : "140126");
        double kmh = epochs[i].speedMs * 3.6;
        if (!epochs[i].fix) continue;
        fastest = std::max(fastest, kmh);
        walking += kmh >= 4.0 && kmh <= 5.0;
        town += kmh >= 30.0 && kmh <= 50.0;
        standing = kmh == 0.0 ? standing + 1 : 0;
        longestStop = std::max(longestStop, standing);
    }
    EXPECT_GT(fastest, 110.0);
    EXPECT_LE(fastest, 130.0);
    EXPECT_GT(walking, 300);
    EXPECT_GT(town, 1000);
    EXPECT_GE(longestStop, 60);
}

TEST(NmeaSimulator, DateFollowsTheCalendarAtUtcMidnight) {
    struct Case {
        int year, month, day;
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {2026, 1, 14, "140126", "150126"},
        {2026, 12, 31, "311226", "010127"},
        {2028, 2, 28, "280228", "290228"},
        {2027, 2, 28, "280227", "010327"},
    };
    for (const Case& c : cases) {
        SimulatorOptions options;
        options.hours = 60.0 / 3600.0;
        options.startYear = c.year, options.startMonth = c.month, options.startDay = c.day;
        options.startSecondOfDay = 86400 - 30;
        std::vector<Epoch> epochs = Epochs(Generate(options));
        ASSERT_EQ(epochs.size(), 60u);
        EXPECT_EQ(epochs[29].time, "235959.00");
        EXPECT_EQ(epochs[29].date, c.before);
        EXPECT_EQ(epochs[30].time, "000000.00");
        EXPECT_EQ(epochs[30].date, c.after);
    }
}

TEST(NmeaSimulator, SameSeedSameBytesOtherSeedOtherDrive) {
    std::string first = Generate(HalfHour(7));
    EXPECT_EQ(first, Generate(HalfHour(7)));
    EXPECT_NE(first, Generate(HalfHour(8)));

    std::string path = testing::TempDir() + "simulated.nmea";
    std::string error;
    ASSERT_TRUE(WriteSimulatedRecording(path.c_str(), HalfHour(7), error)) << error;
    std::ifstream file(path, std::ios::binary);
    std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, first);
    std::remove(path.c_str());
}

TEST(NmeaSimulator, BundledExampleIsTheDriveOfSeedOne) {
    std::ifstream file(std::string(KESTRAVE_SOURCE_DIR) + "/examples/drive.nmea", std::ios::binary);
    if (!file) GTEST_SKIP() << "examples/drive.nmea not found";
    std::string bundled((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(bundled == DefaultDrive()) << "regenerate it: kestrave simulate --out examples/drive.nmea --seed 1";
}

// Between two fixes the position moves by the speed of the later one along its course,
// up to the wandering error; the only exceptions are single epochs thrown far away.
TEST(NmeaSimulator, PositionsMoveWithSpeedAndCourseExceptIsolatedJumps) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        std::vector<Epoch> e = Epochs(Generate(HalfHour(seed)));
        int jumps = 0;
        for (size_t i = 1; i + 1 < e.size(); ++i) {
            if (!e[i - 1].fix || !e[i].fix) continue;
            double north, east;
            Displacement(e[i - 1], e[i], north, east);
            double moved = std::hypot(north, east);
            double tolerance = 1.0 + std::max(e[i - 1].hdop, e[i].hdop);
            if (std::fabs(moved - e[i].speedMs) <= tolerance) {
                if (e[i].speedMs > 15.0 && e[i].hdop < 2.5) {
                    double bearing = std::atan2(east, north) * 180.0 / M_PI;
                    double off = std::fabs(std::remainder(bearing - e[i].course, 360.0));
                    EXPECT_LT(off, 15.0) << "seed " << seed << " at " << e[i].time;
                }
                continue;
            }
            // A jump: thrown out at i, back on track at i + 1.
            ASSERT_TRUE(e[i + 1].fix);
            EXPECT_GT(moved, 450.0) << "seed " << seed << " at " << e[i].time;
            EXPECT_LT(moved, 5100.0) << "seed " << seed << " at " << e[i].time;
            double n2, e2;
            Displacement(e[i - 1], e[i + 1], n2, e2);
            EXPECT_NEAR(std::hypot(n2, e2), e[i].speedMs + e[i + 1].speedMs, 2.0 * tolerance);
            ++jumps;
            ++i;
        }
        EXPECT_EQ(jumps, 3) << "seed " << seed;
    }
}

TEST(NmeaSimulator, EndsAfterItsHoursWithoutMoreBytes) {
    SimulatorOptions options;
    options.hours = 10.0 / 3600.0;
    NmeaSimulator simulator(options);
    std::string out;
    int epochs = 0;
    while (simulator.NextEpoch(out)) ++epochs;
    EXPECT_EQ(epochs, 10);
    size_t size = out.size();
    EXPECT_FALSE(simulator.NextEpoch(out));
    EXPECT_EQ(out.size(), size);

    for (double hours : {0.0, -1.0, std::nan("")}) {
        options.hours = hours;
        EXPECT_FALSE(NmeaSimulator(options).NextEpoch(out));
    }
}

TEST(NmeaSimulator, WriteFailureSaysWhatAndWhere) {
    std::string error;
    EXPECT_FALSE(WriteSimulatedRecording("/nonexistent-folder/drive.nmea", HalfHour(), error));
    EXPECT_NE(error.find("/nonexistent-folder/drive.nmea"), std::string::npos) << error;
    EXPECT_NE(error.find("folder exists"), std::string::npos) << error;

    std::ifstream full("/dev/full");
    if (!full) GTEST_SKIP() << "no /dev/full to test a full disk";
    error.clear();
    EXPECT_FALSE(WriteSimulatedRecording("/dev/full", HalfHour(), error));
    EXPECT_NE(error.find("room"), std::string::npos) << error;
    EXPECT_TRUE(std::ifstream("/dev/full")) << "a device must survive a failed write";
}
