// Replays every real receiver recording through the whole program and pins what it
// shows and writes: the status texts in order and every day file, as digests in
// tests/golden/: replay-digests.txt reading every satellite system's talker (the
// default), replay-digests-gps-only.txt reading "$GP" alone. Set KESTRAVE_UPDATE_GOLDEN=1
// to rewrite them after a deliberate change, and review the difference before
// committing it.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Utf8.h"
#include "tests/support/TestApplication.h"

namespace {

const std::string kGoldenDir = std::string(KESTRAVE_SOURCE_DIR) + "/tests/golden/";

uint64_t Fnv1a(const std::string& bytes) {
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 4 + 1, '\0');
    WideToUtf8(text.c_str(), &out[0], static_cast<int>(out.size()));
    out.resize(strlen(out.c_str()));
    return out;
}

struct StatusRecorder : TextObserver {
    void OnText(int control, const wchar_t* text, bool) override {
        if (control == kStatusBox) {
            log += Utf8(text) + "\n----\n";
            ++texts;
        } else {
            logBox += Utf8(text);
        }
    }
    std::string log;
    std::string logBox;
    int texts = 0;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// One line per recording: name, count of status texts, digest of the status log, then
// each day file as name:size:digest. A fixed zone of UTC+1 makes local days differ
// from UTC ones.
std::string ReplayDigest(const std::string& name, const std::string& bytes, std::string* statusLog,
                         TalkerSet talkers = TalkerSet::AllGnss) {
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
    std::ostringstream line;
    line << name << " " << recorder.texts << " " << std::hex << Fnv1a(recorder.log) << std::dec;
    for (const auto& file : rig->files.Files()) {
        if (file.first == L"\\in.nmea") continue;
        line << " " << Utf8(file.first.substr(file.first.rfind(L'\\') + 1)) << ":" << file.second.size() << ":"
             << std::hex << Fnv1a(file.second) << std::dec;
    }
    if (statusLog != nullptr) *statusLog = recorder.log;
    return line.str();
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

void CompareWithDigests(const std::string& digestFile, TalkerSet talkers) {
    std::vector<std::string> names = Recordings();
    if (names.empty()) GTEST_SKIP() << "no recordings in " << KESTRAVE_TESTDATA_DIR;
    std::map<std::string, std::string> expected;
    std::istringstream stored(ReadAll(kGoldenDir + digestFile));
    for (std::string line; std::getline(stored, line);) {
        if (!line.empty() && line[0] != '#') expected[line.substr(0, line.find(' '))] = line;
    }
    std::string fresh = "# recording status-texts status-digest day-file:size:digest...\n";
    for (const std::string& name : names) {
        std::string line =
            ReplayDigest(name, ReadAll(std::string(KESTRAVE_TESTDATA_DIR) + "/" + name), nullptr, talkers);
        fresh += line + "\n";
        EXPECT_EQ(line, expected[name]) << "replay of " << name << " changed";
    }
    if (getenv("KESTRAVE_UPDATE_GOLDEN") != nullptr) std::ofstream(kGoldenDir + digestFile, std::ios::binary) << fresh;
}

TEST(GoldenReplay, EveryRecordingShowsAndWritesWhatWasReviewed) {
    CompareWithDigests("replay-digests.txt", TalkerSet::AllGnss);
}

TEST(GoldenReplay, GpsOnlyReadsAsReceiversOfGpsAloneWere) {
    CompareWithDigests("replay-digests-gps-only.txt", TalkerSet::GpsOnly);
}

// The recordings reviewed line by line: gpsd-tomtom-mkII, four paired fixes, then the
// fix is lost; gpsd-ch-4711, a receiver that changes talker from epoch to epoch (GN,
// one GL epoch with 4 satellites, then GP without a fix), where no epoch may be lost.
TEST(GoldenReplay, StatusTextsAsReviewed) {
    for (const char* name : {"gpsd-tomtom-mkII", "gpsd-ch-4711"}) {
        std::string bytes = ReadAll(std::string(KESTRAVE_TESTDATA_DIR) + "/" + name + ".nmea");
        if (bytes.empty()) GTEST_SKIP() << "no recordings in " << KESTRAVE_TESTDATA_DIR;
        std::string statusLog;
        ReplayDigest(name, bytes, &statusLog);
        const std::string path = kGoldenDir + name + ".status";
        if (getenv("KESTRAVE_UPDATE_GOLDEN") != nullptr) std::ofstream(path, std::ios::binary) << statusLog;
        EXPECT_EQ(statusLog, ReadAll(path)) << name;
    }
}

}  // namespace
