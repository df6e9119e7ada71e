// How the day files grow: by whole lines only, whatever a flush meets on the way,
// with a numbered message and, once for each cause, a line in words.
#include <gtest/gtest.h>

#include <string>

#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "tests/support/ContinuedDay.h"
#include "tests/support/ExampleFix.h"
#include "tests/support/ProcessingRig.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/LogLines.h"

namespace {

using Op = FakeFileSystem::Op;

const std::wstring kTrackFile = L"\\Kestrave\\2009-03-25.plt";
const std::wstring kRouteFile = L"\\Kestrave\\2009-03-25.rte";
constexpr uint32_t kDiskFull = 112;

// The track file's own steps, counted without its GPX beside it.
struct Rig : WriterRig {
    Rig() { track.SetGpx(false); }

    // The day's files as an earlier run left them.
    void Holds(const std::wstring& path, const std::string& bytes) {
        files.AddFolder(L"\\Kestrave");
        files.AddFile(path, bytes);
    }
    // The line in words that the fake's path and reason make for a step.
    std::wstring Words(const wchar_t* what, const std::wstring& path, uint32_t error) {
        wchar_t where[kDisplayPathChars];
        wchar_t reason[64];
        files.DisplayPath(path.c_str(), where, kDisplayPathChars);
        files.DescribeError(error, reason, 64);
        return std::wstring(what) + where + L": " + reason + L". ";
    }
};

bool StartsWith(const std::wstring& text, const std::wstring& start) {
    return text.compare(0, start.size(), start) == 0;
}

// --- Partial writes and cut files

TEST(DayFileAppend, AWriteThatFailsPartWayLeavesTheFileAsItWasAndKeepsTheLines) {
    const std::string earlier = "earlier run\r\n";
    for (bool existing : {false, true}) {  // the header of a new file, or the lines behind an old one
        SCOPED_TRACE(existing);
        Rig rig;
        if (existing) rig.Holds(kTrackFile, earlier);
        rig.track.AddPoint(ExampleFix());
        const std::string pending = rig.track.PendingText();
        rig.files.ShortWrite(7, 0, kDiskFull);
        EXPECT_EQ(rig.track.Flush(), existing ? kFlushWriteFailed : kFlushHeaderFailed);
        EXPECT_EQ(rig.files.Contents(kTrackFile), existing ? earlier : "");
        EXPECT_EQ(rig.track.PendingText(), pending);

        EXPECT_EQ(rig.track.Flush(), 0);
        const std::string after = rig.files.Contents(kTrackFile);
        EXPECT_EQ(after.substr(after.size() - pending.size()), pending);
        EXPECT_EQ(after.find("OziExplorer"), after.rfind("OziExplorer")) << "one header at most";
    }
}

// A line cut short is taken out; one that lacks only its LF is ended.
TEST(DayFileAppend, ACutLastLineIsTakenOutBeforeTheNewLines) {
    const struct {
        std::string end;
        std::string kept;
    } cases[] = {{"W,1, 57, 57,RKC1", ""}, {"0,0, \r", "0,0, \r\n"}, {"0,0, \r\n", "0,0, \r\n"}};
    for (const auto& c : cases) {
        Rig rig;
        rig.Holds(kTrackFile, "header\r\n" + c.end);
        rig.Holds(kRouteFile, std::string(100, ' ') + "\r\n" + c.end);
        rig.track.AddPoint(ExampleFix());
        rig.routeWriter.AddWaypoint(ExampleFix());
        const std::string line = rig.track.PendingText();
        const std::string waypoint = rig.routeWriter.PendingText();
        EXPECT_EQ(rig.track.Flush(), 0);
        EXPECT_EQ(rig.routeWriter.Flush(), 0);
        EXPECT_EQ(rig.files.Contents(kTrackFile), "header\r\n" + c.kept + line);
        EXPECT_EQ(rig.files.Contents(kRouteFile), std::string(100, ' ') + "\r\n" + c.kept + waypoint);
    }
}

// A cut that the failed write could not take back is taken out by the next flush.
TEST(DayFileAppend, ALineCutByAFailedRollbackIsTakenOutByTheNextFlush) {
    Rig rig;
    rig.Holds(kTrackFile, "header\r\n");
    rig.track.AddPoint(ExampleFix());
    const std::string line = rig.track.PendingText();
    rig.files.ShortWrite(10, 0, kDiskFull);
    rig.files.FailNext(Op::Truncate);
    EXPECT_EQ(rig.track.Flush(), kFlushWriteFailed);
    EXPECT_EQ(rig.track.Flush(), 0);
    EXPECT_EQ(rig.files.Contents(kTrackFile), "header\r\n" + line);
}

TEST(DayFileAppend, AnUnreadableLastByteStopsTheFlushBeforeAnyWrite) {
    Rig rig;
    rig.Holds(kTrackFile, "header\r\n");
    rig.track.AddPoint(ExampleFix());
    rig.files.FailNext(Op::Read, 30);
    EXPECT_EQ(rig.track.Flush(), kFlushReadFailed);
    EXPECT_EQ(NumberedMessages(rig.boxes.log), L"(1) Read File Error: 30 \r\n");
    EXPECT_EQ(rig.files.Calls(Op::Write), 0);
    EXPECT_EQ(rig.files.OpenCount(), 0);
}

// --- Large files

TEST(DayFileAppend, FilesBeyondFourGibibytesAreAppendedToAndContinued) {
    const uint64_t large = (uint64_t{1} << 32) + 1000;
    Rig rig;
    rig.files.AddFolder(L"\\Kestrave");
    rig.files.AddLargeFile(kTrackFile, large, "cut");
    rig.files.AddLargeFile(kRouteFile, large, std::string(300, ' ') + "\r\n" + kWaypoint57Line);
    const std::string line = ContinueBothFiles(rig);
    EXPECT_EQ(rig.files.Contents(kTrackFile), "cut\r\n" + line);
    EXPECT_EQ(NumberedMessages(rig.boxes.log), L"(1) Route continued... \r\n");
}

// --- Runs over the same minutes

// The lines of a fresh writer for fixes at these seconds after 12:00:00.
std::string TrackLinesAt(std::initializer_list<int> seconds) {
    Rig rig;
    for (int second : seconds) rig.track.AddPoint(ExampleFixAt(25, 3, 9, 12, second / 60, second % 60));
    return rig.track.PendingText();
}

// The first look of a run at a day file decides what it holds already; the run's own
// lines never hold back the points it brings after them.
TEST(DayFileAppend, ARunWritesNoPointTheFileHeldAtItsFirstLook) {
    Rig rig;
    for (int second = 0; second < 10; ++second) rig.track.AddPoint(ExampleFixAt(25, 3, 9, 12, 0, second));
    ASSERT_EQ(rig.track.Flush(), 0);
    const std::string first = rig.files.Contents(kTrackFile);

    TrackWriter rerun(rig.files, rig.clock, rig.zone, rig.boxes);
    rerun.SetGpx(false);  // without a GPX the look waits for the first flush
    for (int second : {5, 6, 7, 8, 9, 10, 11, 3, 20, 16}) rerun.AddPoint(ExampleFixAt(25, 3, 9, 12, 0, second));
    ASSERT_EQ(rerun.Flush(), 0);
    for (int second : {4, 9, 15}) rerun.AddPoint(ExampleFixAt(25, 3, 9, 12, 0, second));
    ASSERT_EQ(rerun.Flush(), 0);
    EXPECT_EQ(rig.files.Contents(kTrackFile), first + TrackLinesAt({10, 11, 20, 16, 15}));
    EXPECT_EQ(rerun.LinesWritten(), 5u);
    wchar_t where[kDisplayPathChars];
    rig.files.DisplayPath(kTrackFile.c_str(), where, kDisplayPathChars);
    const std::wstring said =
        L"6 track points of this run were already in " + std::wstring(where) + L"; they were not written again.\r\n";
    EXPECT_NE(rig.boxes.log.find(said), std::wstring::npos) << rig.boxes.log;
    EXPECT_EQ(rerun.FlushToDisk(), 0);
    EXPECT_NE(rig.boxes.log.find(L"2 track points of this run were already in"), std::wstring::npos)
        << "the rest is said when the run ends: " << rig.boxes.log;
}

// --- Messages

TEST(DayFileAppend, TheNumberedMessageIsFollowedByTheFileAndTheReasonInWords) {
    Rig rig;
    rig.track.AddPoint(ExampleFix());
    rig.files.FailNext(Op::Open, 32);
    rig.track.Flush();
    const std::vector<std::wstring> lines = LogLines(rig.boxes.log);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], L"(1) File Open Error: 32 \r\n");
    EXPECT_TRUE(StartsWith(lines[1], rig.Words(L"Cannot open ", kTrackFile, 32))) << lines[1];

    rig.files.AddFile(L"\\Other", "");
    rig.track.SetFolder(L"\\Other");
    rig.track.Flush();
    EXPECT_TRUE(StartsWith(LogLines(rig.boxes.log)[3], rig.Words(L"Cannot create the folder ", L"\\Other", 183)));
}

TEST(DayFileAppend, TheWordsComeOnceForEachCause) {
    Rig rig;
    rig.track.AddPoint(ExampleFix());
    const auto flushFailing = [&](Op op, uint32_t error) {
        rig.files.FailNext(op, error);
        rig.track.Flush();
    };
    flushFailing(Op::Open, 13);
    flushFailing(Op::Open, 13);  // the same cause: counted, said within a minute by nothing
    flushFailing(Op::Open, 28);  // another error
    flushFailing(Op::Seek, 28);  // another step
    rig.files.FailNext(Op::Seek, 28);
    rig.track.AddPoint(ExampleFixAt(26, 3, 9, 0, 0, 1.0));  // the old day's flush, the same cause
    flushFailing(Op::Seek, 28);                             // the new day's file
    EXPECT_EQ(rig.track.Flush(), 0);  // says it writes again
    rig.track.AddPoint(ExampleFixAt(26, 3, 9, 0, 0, 2.0));
    flushFailing(Op::Seek, 28);  // again after a success
    std::wstring shape;
    for (const std::wstring& line : LogLines(rig.boxes.log)) shape += line[0] == L'(' ? L'n' : L'w';
    EXPECT_EQ(shape, L"nwnwnwnwwnw");
    EXPECT_TRUE(StartsWith(LogLines(NumberedMessages(rig.boxes.log)).back(), L"(5) ")) << "words take no number";
    EXPECT_NE(rig.boxes.log.find(L"Writing again after 6 failed flushes: "), std::wstring::npos) << rig.boxes.log;

    // A minute on, the same failure is said again with how often it came.
    flushFailing(Op::Seek, 28);
    rig.clock.Advance(60000);
    flushFailing(Op::Seek, 28);
    EXPECT_TRUE(StartsWith(LogLines(rig.boxes.log).back(), L"(6) Set File Pointer Error: 28 repeated 2 times"))
        << rig.boxes.log;
}

// --- Saving to the disk

TEST(DayFileAppend, TheDaysFileGoesToTheDiskAtTheDayChangeAndWhenAsked) {
    Rig rig;
    rig.track.AddPoint(ExampleFix());
    EXPECT_EQ(rig.track.Flush(), 0);
    EXPECT_EQ(rig.files.Calls(Op::Sync), 0) << "an ordinary flush does not wait for the disk";
    rig.track.AddPoint(ExampleFixAt(26, 3, 9, 0, 0, 1.0));
    EXPECT_EQ(rig.files.Calls(Op::Sync), 1) << "the old day, with no lines pending";
    EXPECT_EQ(rig.track.FlushToDisk(), 0);
    EXPECT_EQ(rig.files.Calls(Op::Sync), 2);
    EXPECT_EQ(rig.track.FlushToDisk(), 0);
    EXPECT_EQ(rig.files.Calls(Op::Sync), 2) << "nothing written since";
}

TEST(DayFileAppend, AFailedSyncOrCloseIsAWriteErrorAndKeepsTheLines) {
    for (Op op : {Op::Sync, Op::Close}) {
        Rig rig;
        rig.Holds(kTrackFile, "header\r\n");
        rig.track.AddPoint(ExampleFix());
        const std::string line = rig.track.PendingText();
        rig.files.FailNext(op, 5);
        EXPECT_EQ(rig.track.FlushToDisk(), kFlushWriteFailed);
        EXPECT_EQ(NumberedMessages(rig.boxes.log), L"(1) File Write Error: 5 \r\n");
        EXPECT_EQ(rig.track.PendingText(), line);
        EXPECT_EQ(rig.files.Contents(kTrackFile), op == Op::Sync ? "header\r\n" : "header\r\n" + line);
        EXPECT_EQ(rig.files.OpenCount(), 0);
    }
}

}  // namespace
