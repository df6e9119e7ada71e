#include <string>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTargets.h"
#include "output/DayFileEnds.h"
#include "output/RouteWriter.h"
#include "tests/support/ExampleFix.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/FixedOffsetZone.h"
#include "tests/support/RecordingTextBoxes.h"

// The bytes as the route file an earlier run left for the day, then two waypoints
// of that day: the first continues the file, and the flush appends behind it those
// that are later than the last whole waypoint line the file held.
void FuzzContinueRoute(const uint8_t* data, size_t size) {
    static const std::wstring kDayFile = L"\\Kestrave\\2009-03-25.rte";
    const std::string before(reinterpret_cast<const char*>(data), size);
    FakeFileSystem files;
    FakeClock clock;
    FixedOffsetZone zone;
    RecordingTextBoxes boxes;
    MessageCounter messages;
    RouteWriter writer(files, clock, zone, boxes, messages);
    files.AddFolder(L"\\Kestrave");
    files.AddFile(kDayFile, before);

    writer.AddWaypoint(ExampleFix());
    writer.AddWaypoint(ExampleFixAt(25, 3, 9, 12, 18, 0.0));
    FUZZ_CHECK(writer.Flush() == 0);
    FUZZ_CHECK(files.OpenCount() == 0);

    // What the writer looked at: the last 256 bytes, or a short file from byte 2; a file
    // below 93 bytes holds no waypoint.
    const std::string tail = before.size() >= 258 ? before.substr(before.size() - 256)
                             : before.size() >= 93 ? before.substr(2)
                                                   : std::string();
    const int64_t held = DayFileEnds::LastLineStamp(tail.data(), tail.size(), 7, false);
    // 12:17:46 and 12:18:00 on 25.03.09, as the lines write them.
    const int expected = (held == DayFileEnds::kNone || held < 3989751233796) + (held == DayFileEnds::kNone || held < 3989751250000);

    const std::string after = files.Contents(kDayFile);
    if (expected == 0) {
        FUZZ_CHECK(after == before);
        return;
    }
    // Continuing keeps every whole line: the old bytes stay, but for a last line cut
    // short behind a line end among the last 256 bytes, which is taken out; then come
    // whole waypoint lines.
    const size_t lastEnd = before.empty() ? std::string::npos : before.find_last_of('\n');
    const bool cutOut = !before.empty() && before.back() != '\n' && before.back() != '\r' &&
                        lastEnd != std::string::npos && before.size() - lastEnd - 1 < 256;
    const std::string kept = cutOut ? before.substr(0, lastEnd + 1) : before;
    FUZZ_CHECK(after.compare(0, kept.size(), kept) == 0);
    std::string added = after.substr(kept.size());
    if (before.empty()) {
        // An empty file first gets its header.
        FUZZ_CHECK(added.compare(0, 12, "OziExplorer ") == 0);
        const size_t firstLine = added.find("\r\nW,1,");
        FUZZ_CHECK(firstLine != std::string::npos);
        added.erase(0, firstLine + 2);
    } else if (!cutOut && before.back() != '\n') {
        // A cut last line is ended before the first waypoint goes behind it.
        const std::string lineEnd = before.back() == '\r' ? "\n" : "\r\n";
        FUZZ_CHECK(added.compare(0, lineEnd.size(), lineEnd) == 0);
        added.erase(0, lineEnd.size());
    }
    FUZZ_CHECK(added.compare(0, 4, "W,1,") == 0);
    FUZZ_CHECK((added.find("\r\nW,1,") != std::string::npos) == (expected == 2));
    FUZZ_CHECK(added.size() >= 2 && added.compare(added.size() - 2, 2, "\r\n") == 0);
}
