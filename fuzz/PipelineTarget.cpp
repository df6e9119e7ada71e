#include <cstring>
#include <memory>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTargets.h"
#include "format/GpxText.h"
#include "tests/support/TestApplication.h"

namespace {

// Far more ticks than any input of the fuzzers' length needs to be read.
constexpr int kMaxTicks = 10000;

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

// The bytes as a replayed file through the whole program, on a file system that
// never fails, in a zone of UTC+1.
void FuzzPipeline(const uint8_t* data, size_t size) {
    auto rig = std::make_unique<TestApplication>(60);
    Application& app = rig->app;
    app.port.portNumber = SerialPort::kNoPort;
    rig->files.AddFile(L"\\in.nmea", std::string(reinterpret_cast<const char*>(data), size));
    FUZZ_CHECK(app.window.OpenNmeaFile(L"\\in.nmea"));
    for (int tick = 0; tick < kMaxTicks && app.poller.Replaying(); ++tick) {
        rig->clock.Advance(1000);
        app.window.Tick();
    }
    FUZZ_CHECK(!app.poller.Replaying());
    app.window.Teardown();
    FUZZ_CHECK(rig->files.OpenCount() == 0);

    // Nothing fails here, so every day file is a header and whole lines, and every GPX
    // a whole document of ours.
    for (const auto& file : rig->files.Files()) {
        if (file.first == L"\\in.nmea") continue;
        FUZZ_CHECK(file.first.compare(0, 10, L"\\Kestrave\\") == 0);
        if (EndsWith(file.first, L".gpx")) {
            const std::string trailer = kGpxTrailer;
            FUZZ_CHECK(file.second.compare(0, strlen(kGpxSignature), kGpxSignature) == 0);
            FUZZ_CHECK(file.second.size() > trailer.size() &&
                       file.second.compare(file.second.size() - trailer.size(), trailer.size(), trailer) == 0);
            FUZZ_CHECK(file.second.find('\0') == std::string::npos);
            continue;
        }
        FUZZ_CHECK(EndsWith(file.first, L".plt") || EndsWith(file.first, L".rte"));
        FUZZ_CHECK(file.second.compare(0, 12, "OziExplorer ") == 0);
        FUZZ_CHECK(file.second.size() >= 2 && file.second.compare(file.second.size() - 2, 2, "\r\n") == 0);
    }
}
