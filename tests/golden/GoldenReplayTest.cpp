// Replays every real receiver recording through the whole program and pins what it
// shows and writes: the status texts in order and every day file. Reading every
// satellite system's talker (the default), outputs of up to 20 KB are kept as text in
// tests/golden/replay/<recording>/ (status.txt and the day files) so that a change can
// be read and diffed, and replay-digests.txt lists each recording's outputs with a
// digest for the larger ones. replay-digests-gps-only.txt holds digests alone, for
// reading "$GP" alone. Set KESTRAVE_UPDATE_GOLDEN=1 to rewrite them after a deliberate
// change, and review the difference before committing it. Reviewed line by line
// against the recordings: gpsd-tomtom-mkII (four paired fixes, then the fix is lost),
// gpsd-ch-4711 (the talker changes from epoch to epoch, GN, one GL epoch with 4
// satellites, then GP without a fix: no epoch lost) and gpsd-sirfstarv-nmea (a GLONASS
// copy of every GGA: the status shows the GPS copy's 8 satellites, never 2).
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "shell/WideStrings.h"
#include "tests/support/ReadFile.h"
#include "tests/support/TestApplication.h"

namespace {

const std::string kGoldenDir = std::string(KESTRAVE_SOURCE_DIR) + "/tests/golden/";

uint64_t Fnv1a(const std::string& bytes) {
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

struct StatusRecorder : TextObserver {
    void OnText(int control, const wchar_t* text, bool) override {
        if (control == kStatusBox) {
            log += ToUtf8(text) + "\n----\n";
            ++texts;
        } else {
            logBox += ToUtf8(text);
        }
    }
    std::string log;
    std::string logBox;
    int texts = 0;
};

// What a replay showed and wrote. A fixed zone of UTC+1 makes local days differ from
// UTC ones.
struct ReplayOutput {
    int texts = 0;
    std::string statusLog;
    std::vector<std::pair<std::string, std::string>> dayFiles;  // name, bytes, by name
    std::map<std::string, std::string> gpxFiles;                 // the GPX beside them, apart
};

ReplayOutput Replay(const std::string& bytes, TalkerSet talkers = TalkerSet::AllGnss) {
    auto rig = std::make_unique<TestApplication>(60);
    Application& app = rig->app;
    app.assembler.SetTalkers(talkers);
    StatusRecorder recorder;
    app.dialog.SetObserver(&recorder);
    app.port.portNumber = SerialPort::kNoPort;
    rig->files.AddFile(L"\\in.nmea", bytes);
    app.window.OpenNmeaFile(L"\\in.nmea");
    for (int tick = 0; tick < 100000 && app.poller.Replaying(); ++tick) {
        rig->clock.Advance(1000);
        app.window.Tick();
    }
    app.window.Teardown();
    ReplayOutput out;
    out.texts = recorder.texts;
    out.statusLog = recorder.log;
    for (const auto& file : rig->files.Files()) {
        if (file.first == L"\\in.nmea") continue;
        const std::string name = ToUtf8(file.first.substr(file.first.rfind(L'\\') + 1));
        // The track and route files are the design's, byte for byte; the GPX is checked against them.
        if (name.size() > 4 && name.substr(name.size() - 4) == ".gpx") {
            out.gpxFiles[name] = file.second;
        } else {
            out.dayFiles.emplace_back(name, file.second);
        }
    }
    return out;
}

std::string Hex(uint64_t value) {
    std::ostringstream text;
    text << std::hex << value;
    return text.str();
}

// One line per recording: name, count of status texts, digest of the status log, then
// each day file as name:size:digest.
std::string DigestLine(const std::string& name, const ReplayOutput& out) {
    std::string line = name + " " + std::to_string(out.texts) + " " + Hex(Fnv1a(out.statusLog));
    for (const auto& file : out.dayFiles) {
        line += " " + file.first + ":" + std::to_string(file.second.size()) + ":" + Hex(Fnv1a(file.second));
    }
    return line;
}

std::vector<std::string> Recordings() {
    std::vector<std::string> names;
    if (DIR* folder = opendir(KESTRAVE_TESTDATA_DIR)) {
        while (const dirent* entry = readdir(folder)) {
            std::string file = entry->d_name;
            if (file.size() > 5 && file.substr(file.size() - 5) == ".nmea") names.push_back(file);
        }
        closedir(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool Updating() { return getenv("KESTRAVE_UPDATE_GOLDEN") != nullptr; }

std::map<std::string, std::string> StoredLines(const std::string& digestFile) {
    std::map<std::string, std::string> lines;
    std::istringstream stored(ReadFile(kGoldenDir + digestFile));
    for (std::string line; std::getline(stored, line);) {
        if (!line.empty() && line[0] != '#') lines[line.substr(0, line.find(' '))] = line;
    }
    return lines;
}

std::string Recorded(const std::string& name) {
    return ReadFile(std::string(KESTRAVE_TESTDATA_DIR) + "/" + name);
}

void CompareWithDigests(const std::string& digestFile, TalkerSet talkers) {
    std::vector<std::string> names = Recordings();
    if (names.empty()) GTEST_SKIP() << "no recordings in " << KESTRAVE_TESTDATA_DIR;
    std::map<std::string, std::string> expected = StoredLines(digestFile);
    std::string fresh = "# recording status-texts status-digest day-file:size:digest...\n";
    for (const std::string& name : names) {
        std::string line = DigestLine(name, Replay(Recorded(name), talkers));
        fresh += line + "\n";
        EXPECT_EQ(line, expected[name]) << "replay of " << name << " changed";
    }
    if (Updating()) std::ofstream(kGoldenDir + digestFile, std::ios::binary) << fresh;
}

// Outputs up to this size are kept as text; larger ones as a digest.
constexpr size_t kLargestText = 20 * 1024;

std::string Shown(const std::string& line) {
    std::string out;
    for (char c : line) out += c == '\r' ? std::string("\\r") : std::string(1, c);
    return out;
}

// Where two texts first differ, as the line in each, so that a failure says what changed.
std::string FirstDifference(const std::string& golden, const std::string& fresh) {
    size_t at = 0;
    while (at < golden.size() && at < fresh.size() && golden[at] == fresh[at]) ++at;
    const size_t newline = at == 0 ? std::string::npos : golden.rfind('\n', at - 1);
    const size_t lineStart = newline == std::string::npos ? 0 : newline + 1;
    const auto lineAt = [lineStart](const std::string& text) {
        if (lineStart >= text.size()) return std::string("<end of file>");
        return Shown(text.substr(lineStart, text.find('\n', lineStart) - lineStart));
    };
    return "line " + std::to_string(std::count(golden.begin(), golden.begin() + lineStart, '\n') + 1) +
           "\n  golden: " + lineAt(golden) + "\n  replay: " + lineAt(fresh) + "\n  (golden " +
           std::to_string(golden.size()) + " bytes, replay " + std::to_string(fresh.size()) + " bytes)";
}

std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.') names.insert(entry->d_name);
        }
        closedir(dir);
    }
    return names;
}

// Compares one recording's small outputs with the text kept for it, and on update
// writes them and drops files no longer written.
void CompareWithTexts(const std::string& folder, const std::map<std::string, std::string>& texts) {
    for (const auto& text : texts) {
        if (access((folder + text.first).c_str(), F_OK) != 0) {
            ADD_FAILURE() << folder << text.first << " is missing";
            continue;
        }
        const std::string golden = ReadFile(folder + text.first);
        if (golden != text.second) {
            ADD_FAILURE() << folder << text.first << " differs at " << FirstDifference(golden, text.second);
        }
    }
    std::set<std::string> stale = FilesIn(folder);
    for (const auto& text : texts) stale.erase(text.first);
    if (!Updating()) {
        for (const std::string& name : stale) ADD_FAILURE() << folder << name << " is no longer written";
        return;
    }
    for (const std::string& name : stale) unlink((folder + name).c_str());
    if (texts.empty()) {
        rmdir(folder.c_str());
        return;
    }
    std::filesystem::create_directories(folder);
    for (const auto& text : texts) std::ofstream(folder + text.first, std::ios::binary) << text.second;
}

// replay-digests.txt: per recording its name, the count of status texts, then
// status:... and each day file as name:..., "text" when kept in replay/<recording>/,
// else size:digest.
void CompareWithGolden() {
    const std::string digestFile = "replay-digests.txt";
    std::vector<std::string> names = Recordings();
    if (names.empty()) GTEST_SKIP() << "no recordings in " << KESTRAVE_TESTDATA_DIR;
    std::map<std::string, std::string> expected = StoredLines(digestFile);
    std::string fresh =
        "# recording status-texts status:... day-file:...: text where kept in replay/<recording>/,"
        " else size:digest\n";
    for (const std::string& name : names) {
        const ReplayOutput out = Replay(Recorded(name));
        std::map<std::string, std::string> texts;
        const auto entry = [&texts](const std::string& file, const std::string& bytes) {
            if (bytes.size() > kLargestText) return std::to_string(bytes.size()) + ":" + Hex(Fnv1a(bytes));
            texts[file] = bytes;
            return std::string("text");
        };
        std::string line = name + " " + std::to_string(out.texts) + " status:" + entry("status.txt", out.statusLog);
        for (const auto& file : out.dayFiles) line += " " + file.first + ":" + entry(file.first, file.second);
        fresh += line + "\n";
        EXPECT_EQ(line, expected[name]) << "replay of " << name << " changed";
        CompareWithTexts(kGoldenDir + "replay/" + name.substr(0, name.size() - 5) + "/", texts);
    }
    if (Updating()) std::ofstream(kGoldenDir + digestFile, std::ios::binary) << fresh;
}

TEST(GoldenReplay, EveryRecordingShowsAndWritesWhatWasReviewed) {
    CompareWithGolden();
}

TEST(GoldenReplay, GpsOnlyReadsAsReceiversOfGpsAloneWere) {
    CompareWithDigests("replay-digests-gps-only.txt", TalkerSet::GpsOnly);
}

// A point as both files can say it: "55.75000000 37.61660000 2009-03-25T12:17:46".
std::vector<std::string> TrackPoints(const std::string& plt) {
    std::vector<std::string> points;
    std::istringstream lines(plt);
    int skip = 6;
    for (std::string line; std::getline(lines, line);) {
        if (skip-- > 0) continue;
        char lat[32], lon[32];
        int d, mo, y, h, mi, s;
        if (sscanf(line.c_str(), "%31[^,], %31[^,],0, %*[^,],%*[^,], %d.%d.%d, %d:%d:%d", lat, lon, &d, &mo, &y, &h,
                   &mi, &s) != 8) {
            continue;
        }
        if (s > 59) continue;  // a leap second: the GPX cannot hold it
        char point[96];
        snprintf(point, sizeof point, "%s %s 20%02d-%02d-%02dT%02d:%02d:%02d", lat, lon, y, mo, d, h, mi, s);
        points.push_back(point);
    }
    return points;
}

std::vector<std::string> GpxPoints(const std::string& gpx) {
    std::vector<std::string> points;
    for (size_t at = gpx.find("<trkpt lat=\""); at != std::string::npos; at = gpx.find("<trkpt lat=\"", at + 1)) {
        char lat[32], lon[32], time[32];
        const size_t timeAt = gpx.find("<time>", at);
        if (sscanf(gpx.c_str() + at, "<trkpt lat=\"%31[^\"]\" lon=\"%31[^\"]\"", lat, lon) != 2 ||
            timeAt == std::string::npos || sscanf(gpx.c_str() + timeAt, "<time>%19s", time) != 1) {
            ADD_FAILURE() << "unreadable point at byte " << at;
            continue;
        }
        points.push_back(std::string(lat) + " " + lon + " " + time);
    }
    return points;
}

// Every recording's GPX days hold the track file's points, in order, with their places
// to the last decimal and their times to the second, and pass the GPX 1.1 and
// TrackPointExtension v2 schemas.
TEST(GoldenReplay, EveryGpxHoldsItsTrackFilesPointsAndPassesTheSchema) {
    std::vector<std::string> names = Recordings();
    if (names.empty()) GTEST_SKIP() << "no recordings in " << KESTRAVE_TESTDATA_DIR;
    const std::string folder = std::filesystem::temp_directory_path().string() + "/kestrave-gpx-" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    std::string files;
    size_t points = 0;
    for (const std::string& name : names) {
        const ReplayOutput out = Replay(Recorded(name));
        for (const auto& day : out.dayFiles) {
            if (day.first.substr(day.first.size() - 4) != ".plt") continue;
            const std::string gpxName = day.first.substr(0, day.first.size() - 4) + ".gpx";
            const auto gpx = out.gpxFiles.find(gpxName);
            ASSERT_NE(gpx, out.gpxFiles.end()) << name << ": no " << gpxName;
            const std::vector<std::string> expected = TrackPoints(day.second);
            EXPECT_EQ(GpxPoints(gpx->second), expected) << name << ": " << gpxName;
            points += expected.size();
            const std::string path = folder + "/" + name + "-" + gpxName;
            std::ofstream(path, std::ios::binary) << gpx->second;
            files += " '" + path + "'";
        }
    }
    EXPECT_GT(points, 10000u);
    const std::string schema = std::string(KESTRAVE_TESTDATA_DIR) + "/../../schema/gpx/gpx11-tpx2.xsd";
    if (system("command -v xmllint >/dev/null") == 0 && access(schema.c_str(), R_OK) == 0) {
        const std::string check = "xmllint --noout --schema '" + schema + "'" + files + " 2>&1 | grep -v ' validates$'";
        EXPECT_NE(system(check.c_str()), 0) << "xmllint found faults (above)";
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
