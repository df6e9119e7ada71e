#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "tests/support/ExampleFix.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/FixedOffsetZone.h"
#include "tests/support/LogLines.h"
#include "tests/support/RecordingTextBoxes.h"

namespace {

using Op = FakeFileSystem::Op;

const std::string kExampleHeader =
    "OziExplorer Route File Version 1.0\r\nWGS 84\r\nReserved 1\r\nReserved 2\r\nR,0,R0,,255\r\n"
    "R,1,R090325,Track 25.03.2009,16711680\r\n";
const std::wstring kExampleFile = L"\\Kestrave\\2009-03-25.rte";
// Behind the point numbers and the name of a waypoint line at the example fix.
const std::string kExampleTail = ",55.75000000,37.61660000,39897.51233796,0,1,3,0,65535,,0,0, \r\n";

std::string Waypoint(const std::string& numbersAndName) { return "W,1," + numbersAndName + kExampleTail; }
// A waypoint the day's file holds from an earlier run, a minute before the example fix.
std::string Held(const std::string& numbersAndName) {
    return "W,1," + numbersAndName + ",55.75000000,37.61660000,39897.51164352,0,1,3,0,65535,,0,0, \r\n";
}

// Blanks before or behind text that make the file `size` bytes long.
std::string PadFront(const std::string& text, size_t size) { return std::string(size - text.size(), ' ') + text; }
std::string PadBack(const std::string& text, size_t size) { return text + std::string(size - text.size(), ' '); }

struct RouteRig {
    FakeFileSystem files;
    FakeClock clock;
    FixedOffsetZone zone;
    RecordingTextBoxes boxes;
    MessageCounter messages;
    RouteWriter writer{files, clock, zone, boxes, messages};

    // The day's file as an earlier run left it.
    void DayFileHolds(const std::string& bytes, const std::wstring& path = kExampleFile) {
        files.AddFolder(L"\\Kestrave");
        files.AddFile(path, bytes);
    }
    std::string Pending() const { return writer.PendingText(); }
};

TEST(RouteWriter, FirstWaypointOfADayWithoutFile) {
    RouteRig rig;
    EXPECT_EQ(kExampleHeader.size(), 120u);
    EXPECT_EQ(rig.writer.AddWaypoint(ExampleFix()), 0);
    EXPECT_EQ(rig.Pending(), "W,1,  1,  1,RRB001,55.75000000,37.61660000,39897.51233796,0,1,3,0,65535,,0,0, \r\n");
    rig.writer.AddWaypoint(ExampleFix());
    EXPECT_EQ(rig.Pending(), Waypoint("  1,  1,RRB001") + Waypoint("  2,  2,RRB002"));

    EXPECT_EQ(rig.writer.Flush(), 0);
    EXPECT_EQ(rig.files.Contents(kExampleFile), kExampleHeader + Waypoint("  1,  1,RRB001") + Waypoint("  2,  2,RRB002"));
    EXPECT_EQ(rig.boxes.log, L"");
    EXPECT_EQ(rig.files.OpenCount(), 0);
}

TEST(RouteWriter, FreshPrefixFollowsDayAndPosition) {
    const struct {
        int day;
        double latitude, longitude;
        const char* name;
    } cases[] = {
        {25, 55.75, 37.6166, "RRB001"},   // t 9, v 409
        {26, 55.75, 37.6166, "RRR001"},   // v 425
        {31, 0.0, 0.0, "RUQ001"},         // t 0, v 496
        {1, -33.8688, 151.2093, "RBA001"},  // t 8, v 24
        {25, std::numeric_limits<double>::quiet_NaN(), 1.0, "RQQ001"},
        {25, std::numeric_limits<double>::infinity(), 1.0, "RQQ001"},
    };
    for (const auto& c : cases) {
        RouteRig rig;
        GpsFix fix = ExampleFixAt(c.day, 3, 9, 12, 17, 46.0);
        fix.latitude = c.latitude;
        fix.longitude = c.longitude;
        rig.writer.AddWaypoint(fix);
        EXPECT_EQ(rig.Pending().substr(12, 6), c.name) << c.day << " " << c.latitude << " " << c.longitude;
    }
}

TEST(RouteWriter, ContinuesTheDaysRoute) {
    RouteRig rig;
    const std::string earlier = kExampleHeader + Held(" 56, 56,RKC122") + Held(" 57, 57,RKC123");
    rig.DayFileHolds(earlier);
    rig.writer.AddWaypoint(ExampleFix());
    EXPECT_EQ(rig.Pending(), Waypoint(" 58, 58,RKC124"));
    EXPECT_EQ(rig.boxes.log, L"(1) Route continued... \r\n");

    EXPECT_EQ(rig.writer.Flush(), 0);
    EXPECT_EQ(rig.files.Contents(kExampleFile), earlier + Waypoint(" 58, 58,RKC124"));
}

// A power cut left the last waypoint line cut, or a line cannot be read: the route goes
// on from the last whole, readable one, so no number comes twice.
TEST(RouteWriter, AContinuationReadsBackPastACutOrUnreadableLastLine) {
    const struct {
        const char* name;
        std::string end;
    } cases[] = {
        {"cut", Held(" 89, 89,RJW089") + "W,1, 90, 9"},
        {"cut after its line end", Held(" 89, 89,RJW089") + "W,1, 90, 90,RJW0"},
        {"unreadable", Held(" 89, 89,RJW089") + Held(" 90, 90,rjw090")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RouteRig rig;
        rig.DayFileHolds(kExampleHeader + Held(" 88, 88,RJW088") + c.end);
        rig.writer.AddWaypoint(ExampleFix());
        EXPECT_EQ(rig.Pending(), Waypoint(" 90, 90,RJW090"));
        EXPECT_EQ(NumberedMessages(rig.boxes.log), L"(1) Route continued... \r\n");
    }
}

TEST(RouteWriter, NameCounterWrapsAndAdvancesTheSecondLetter) {
    const struct {
        const char* last;
        const char* next[2];
    } cases[] = {
        {" 57, 57,RKZ999", {" 58, 58,RKA000", " 59, 59,RKA001"}},
        {" 57, 57,RKC998", {" 58, 58,RKC999", " 59, 59,RKD000"}},
        {"999,999,RAB007", {"1000,1000,RAB008", "1001,1001,RAB009"}},
    };
    for (const auto& c : cases) {
        RouteRig rig;
        rig.DayFileHolds(kExampleHeader + Held(c.last));
        rig.writer.AddWaypoint(ExampleFix());
        rig.writer.AddWaypoint(ExampleFix());
        EXPECT_EQ(rig.Pending(), Waypoint(c.next[0]) + Waypoint(c.next[1])) << c.last;
    }
}

// Files that cannot be continued leave the fresh numbering, with or without a message.
TEST(RouteWriter, FreshStartWhenTheFileCannotBeContinued) {
    const struct {
        const char* name;
        std::string file;
        void (*arrange)(RouteRig& rig);
        const wchar_t* message;
    } cases[] = {
        {"below 93 bytes", PadFront("\n" + Held(" 57, 57,RKC123"), 92), nullptr, L""},
        {"header only", kExampleHeader, nullptr, L"(1) Route point not found \r\n"},
        {"not R", kExampleHeader + Held(" 57, 57,XKC123"), nullptr, L""},
        {"small letter", kExampleHeader + Held(" 57, 57,RkC123"), nullptr, L""},
        {"digit for letter", kExampleHeader + Held(" 57, 57,RK1123"), nullptr, L""},
        {"counter negative", kExampleHeader + Held(" 57, 57,RKC-01"), nullptr, L""},
        {"counter above 999", kExampleHeader + Held(" 57, 57,RKC1000"), nullptr, L""},
        {"point number 0", kExampleHeader + Held("  0,  0,RKC123"), nullptr, L""},
        {"point number beyond int32", kExampleHeader + Held("99999999999,99999999999,RKC123"), nullptr, L""},
        {"text ends before second comma", kExampleHeader + "W,1, 57, 57", nullptr, L""},
        {"name cut short", kExampleHeader + "W,1, 57, 57,RKC", nullptr, L""},
        {"size unknown", kExampleHeader + Held(" 57, 57,RKC123"),
         [](RouteRig& r) { r.files.FailNext(Op::Size); }, L""},
        {"cannot open", kExampleHeader + Held(" 57, 57,RKC123"),
         [](RouteRig& r) { r.files.FailNext(Op::Open, 32); }, L""},
        {"seek fails", kExampleHeader + Held(" 57, 57,RKC123"),
         [](RouteRig& r) { r.files.FailNext(Op::Seek, 131); }, L"(1) Set File Pointer Error: 131 \r\n"},
        {"read fails", kExampleHeader + Held(" 57, 57,RKC123"),
         [](RouteRig& r) { r.files.FailNext(Op::Read, 30); }, L"(1) Read File Error: 30 \r\n"},
        {"read empty", kExampleHeader + Held(" 57, 57,RKC123"), [](RouteRig& r) { r.files.readLimit = 0; },
         L"(1) Read File Error: 0 \r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RouteRig rig;
        rig.DayFileHolds(c.file);
        if (c.arrange != nullptr) c.arrange(rig);
        rig.writer.AddWaypoint(ExampleFix());
        EXPECT_EQ(rig.Pending(), Waypoint("  1,  1,RRB001"));
        EXPECT_EQ(NumberedMessages(rig.boxes.log), c.message);
        EXPECT_EQ(rig.files.OpenCount(), 0);
    }
}

// With no whole waypoint left, the route starts again, and the log says why.
TEST(RouteWriter, NoWholeWaypointLeftIsSaid) {
    RouteRig rig;
    rig.DayFileHolds(kExampleHeader + Held(" 90, 90,rjw090") + "W,1, 91, 9");
    rig.writer.AddWaypoint(ExampleFix());
    EXPECT_EQ(rig.Pending(), Waypoint("  1,  1,RRB001"));
    wchar_t where[kDisplayPathChars];
    rig.files.DisplayPath(kExampleFile.c_str(), where, kDisplayPathChars);
    EXPECT_NE(rig.boxes.log.find(L"No whole waypoint line at the end of " + std::wstring(where) +
                                 L", so the day's route starts again at 1.\r\n"),
              std::wstring::npos)
        << rig.boxes.log;
}

// Only the last 256 bytes are read, or a short file from byte 2: a waypoint line must
// start (with the line feed before it) inside that window to be found.
TEST(RouteWriter, ReadsOnlyTheWindowAtTheEnd) {
    const std::string last = Held(" 57, 57,RKC123");
    // 5000 bytes whose last waypoint line has its line feed at byte lineFeedAt; blanks behind it.
    const auto bigFile = [&](size_t lineFeedAt) {
        std::string text = kExampleHeader + Held("  1,  1,RKA001");
        text += std::string(lineFeedAt - text.size(), ' ') + "\n" + last;
        return text + std::string(5000 - 2 - text.size(), ' ') + "\r\n";
    };
    const struct {
        const char* name;
        std::string file;
        const char* next;
        const wchar_t* message;
    } cases[] = {
        {"5000 bytes, line feed first in window", bigFile(5000 - 256), " 58, 58,RKC124", L"(1) Route continued... \r\n"},
        {"5000 bytes, line cut at window start", bigFile(5000 - 257), "  1,  1,RRB001",
         L"(1) Route point not found \r\n"},
        {"200 bytes, line feed at byte 2", PadBack("  \n" + Held(" 57, 57,RKC123"), 200), " 58, 58,RKC124",
         L"(1) Route continued... \r\n"},
        {"200 bytes, line feed at byte 1", PadBack(" \n" + Held(" 57, 57,RKC123"), 200), "  1,  1,RRB001",
         L"(1) Route point not found \r\n"},
        {"93 bytes", PadFront("\n" + Held(" 57, 57,RKC123"), 93), " 58, 58,RKC124", L"(1) Route continued... \r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RouteRig rig;
        rig.DayFileHolds(c.file);
        rig.writer.AddWaypoint(ExampleFix());
        EXPECT_EQ(rig.Pending(), Waypoint(c.next));
        EXPECT_EQ(rig.boxes.log, c.message);
    }
}

TEST(RouteWriter, NewLocalDayFlushesTheOldAndStartsOrContinuesTheNew) {
    for (bool newDayHasFile : {false, true}) {
        SCOPED_TRACE(newDayHasFile);
        RouteRig rig;
        if (newDayHasFile) rig.DayFileHolds(kExampleHeader + Waypoint(" 57, 57,RKC123"), L"\\Kestrave\\2009-03-26.rte");
        rig.writer.AddWaypoint(ExampleFixAt(25, 3, 9, 23, 59, 0.0));
        rig.writer.AddWaypoint(ExampleFixAt(26, 3, 9, 0, 1, 0.0));

        EXPECT_EQ(rig.files.Contents(kExampleFile),
                  kExampleHeader + "W,1,  1,  1,RRB001,55.75000000,37.61660000,39897.99930556,0,1,3,0,65535,,0,0, \r\n");
        const std::string next = newDayHasFile ? " 58, 58,RKC124" : "  1,  1,RRR001";
        EXPECT_EQ(rig.Pending(), "W,1," + next + ",55.75000000,37.61660000,39898.00069444,0,1,3,0,65535,,0,0, \r\n");
    }
}

TEST(RouteWriter, MessagesShareTheGlobalCounterWhileTheTrackCountsApart) {
    RouteRig rig;
    TrackWriter track{rig.files, rig.clock, rig.zone, rig.boxes};
    rig.messages.Next();
    rig.messages.Next();  // two messages of the main window
    rig.DayFileHolds(kExampleHeader + Held(" 57, 57,RKC123"));
    rig.writer.AddWaypoint(ExampleFix());
    track.AddPoint(ExampleFix());

    rig.files.FailNext(Op::Open, 32);
    EXPECT_EQ(track.Flush(), 3);
    rig.files.FailNext(Op::Write, 112);
    EXPECT_EQ(rig.writer.Flush(), 6);
    EXPECT_EQ(NumberedMessages(rig.boxes.log),
              L"(3) Route continued... \r\n(1) File Open Error: 32 \r\n(4) File Write Error: 112 \r\n");
    EXPECT_EQ(rig.messages.Value(), 4u);
}

TEST(RouteWriter, FullBufferAndTimedFlush) {
    RouteRig rig;
    while (rig.writer.FillLength() < 925) rig.writer.AddWaypoint(ExampleFix());
    const std::string pending = rig.Pending();
    rig.writer.AddWaypoint(ExampleFix());
    EXPECT_EQ(rig.files.Contents(kExampleFile), kExampleHeader + pending);
    EXPECT_EQ(rig.Pending(), Waypoint(" 13, 13,RRB013"));

    rig.clock.now = 438000;
    rig.writer.AddWaypoint(ExampleFix());
    EXPECT_EQ(rig.writer.FillLength(), static_cast<int32_t>(2 * kExampleTail.size() + 2 * 18));
    rig.clock.now = 438001;
    EXPECT_EQ(rig.writer.AddWaypoint(ExampleFix()), 0);
    EXPECT_EQ(rig.writer.FillLength(), 0);
}

TEST(RouteWriter, RefusedWaypointKeepsBufferAndNumbering) {
    RouteRig rig;
    while (rig.writer.FillLength() + 82 < 925) rig.writer.AddWaypoint(ExampleFix());
    const std::string pending = rig.Pending();
    GpsFix absurd = ExampleFix();
    absurd.latitude = 1e300;
    absurd.longitude = -1e300;
    EXPECT_EQ(rig.writer.AddWaypoint(absurd), 0);
    EXPECT_EQ(rig.Pending(), pending);
    rig.writer.AddWaypoint(ExampleFix());
    EXPECT_EQ(rig.Pending(), pending + Waypoint(" 12, 12,RRB012"));
}

TEST(RouteWriter, ContinuationNeverReadsOverPendingLines) {
    RouteRig rig;
    rig.writer.AddWaypoint(ExampleFix());
    rig.DayFileHolds(kExampleHeader + Waypoint(" 57, 57,RKC123"));
    rig.writer.ContinueRoute(ExampleFix());
    EXPECT_EQ(rig.Pending(), Waypoint("  1,  1,RRB001"));
    EXPECT_EQ(rig.files.Calls(Op::Read), 0);
}

TEST(RouteWriter, LeavesTheBufferEmptyAfterReadingTheFileEnd) {
    RouteRig rig;
    rig.DayFileHolds(PadFront(std::string(300, 'x'), 5000));
    rig.writer.ContinueRoute(ExampleFix());
    EXPECT_EQ(rig.Pending(), "");
    EXPECT_EQ(rig.writer.FillLength(), 0);
}

TEST(RouteWriter, FolderMustFitItsField) {
    RouteRig rig;
    rig.messages.Next();
    EXPECT_FALSE(rig.writer.SetFolder(std::wstring(kFolderChars, L'f').c_str()));
    EXPECT_EQ(rig.boxes.log, L"(2) Folder Name Too Long \r\n");
    rig.writer.AddWaypoint(ExampleFix());
    EXPECT_EQ(rig.writer.Flush(), 0);
    EXPECT_TRUE(rig.files.HasFile(kExampleFile));
}

}  // namespace
