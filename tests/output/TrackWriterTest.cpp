#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "output/TrackWriter.h"
#include "tests/support/ExampleFix.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/FixedOffsetZone.h"
#include "tests/support/LogLines.h"
#include "tests/support/RecordingTextBoxes.h"

namespace {

using Op = FakeFileSystem::Op;

const std::string kExampleLine = "55.75000000, 37.61660000,0, 492.13, 39897.51233796, 25.03.09, 12:17:46\r\n";
const std::string kExampleHeader =
    "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
    "0,3,255,Track-2009-03-25,0,0,0,255\r\n0          \r\n";
const std::wstring kExampleFile = L"\\Kestrave\\2009-03-25.plt";

// The track file's own steps, without the GPX beside it.
struct TrackRig {
    TrackRig() { writer.SetGpx(false); }
    FakeFileSystem files;
    FakeClock clock;
    FixedOffsetZone zone;
    RecordingTextBoxes boxes;
    TrackWriter writer{files, clock, zone, boxes};

    std::string Pending() const { return writer.PendingText(); }
    std::wstring Log() const { return boxes.log; }
    // Adds example points a second apart until the next one would flush a full buffer.
    void FillUpTo(int32_t length) {
        GpsFix fix = ExampleFix();
        while (writer.FillLength() + static_cast<int32_t>(kExampleLine.size()) < length) {
            ASSERT_EQ(writer.AddPoint(fix), 0);
            fix.seconds = fix.seconds >= 59.0 ? 0.0 : fix.seconds + 1.0;
        }
    }
};

TEST(TrackWriter, WritesTheExampleLineBehindTheHeader) {
    TrackRig rig;
    EXPECT_EQ(kExampleHeader.size(), 132u);
    EXPECT_EQ(rig.writer.AddPoint(ExampleFix()), 0);
    EXPECT_EQ(rig.Pending(), kExampleLine);
    EXPECT_EQ(rig.writer.FillLength(), static_cast<int32_t>(kExampleLine.size()));
    EXPECT_FALSE(rig.files.HasFolder(L"\\Kestrave"));  // the first point flushes nothing

    EXPECT_EQ(rig.writer.Flush(), 0);
    EXPECT_TRUE(rig.files.HasFolder(L"\\Kestrave"));
    EXPECT_EQ(rig.files.Contents(kExampleFile), kExampleHeader + kExampleLine);
    EXPECT_EQ(rig.Pending(), "");
    EXPECT_EQ(rig.writer.FillLength(), 0);
    EXPECT_EQ(rig.files.OpenCount(), 0);
    EXPECT_EQ(rig.Log(), L"");
}

TEST(TrackWriter, LineFormsAndSeconds) {
    const struct {
        double altitude;
        double seconds;
        const char* line;
    } cases[] = {
        {-99999.99, 46.0, "55.75000000, 37.61660000,0, -777,39897.51233796, 25.03.09, 12:17:46\r\n"},
        {-90000.0, 46.0, "55.75000000, 37.61660000,0, -777,39897.51233796, 25.03.09, 12:17:46\r\n"},
        {-89999.99, 46.0, "55.75000000, 37.61660000,0, -295275.56, 39897.51233796, 25.03.09, 12:17:46\r\n"},
        {150.0, 56.9999995, "55.75000000, 37.61660000,0, 492.13, 39897.51246528, 25.03.09, 12:17:57\r\n"},
        {150.0, 56.999, "55.75000000, 37.61660000,0, 492.13, 39897.51246527, 25.03.09, 12:17:56\r\n"},
        {150.0, std::numeric_limits<double>::quiet_NaN(), "55.75000000, 37.61660000,0, 492.13, nan, 25.03.09, 12:17:00\r\n"},
    };
    for (const auto& c : cases) {
        TrackRig rig;
        GpsFix fix = ExampleFix();
        fix.altitude = c.altitude;
        fix.seconds = c.seconds;
        rig.writer.AddPoint(fix);
        EXPECT_EQ(rig.Pending(), c.line) << c.altitude << " " << c.seconds;
    }
}

TEST(TrackWriter, PointsOfOneMinuteShareItsStamp) {
    TrackRig rig;
    rig.writer.AddPoint(ExampleFix());
    rig.writer.AddPoint(ExampleFixAt(25, 3, 9, 12, 17, 56.0));
    EXPECT_EQ(rig.Pending(), kExampleLine + "55.75000000, 37.61660000,0, 492.13, 39897.51245370, 25.03.09, 12:17:56\r\n");
}

TEST(TrackWriter, SplitsAtLocalMidnight) {
    TrackRig rig;
    rig.zone.minutesEast = 120;  // local midnight is 22:00 UTC
    EXPECT_EQ(rig.writer.AddPoint(ExampleFixAt(25, 3, 9, 21, 59, 58.0)), 0);
    EXPECT_EQ(rig.writer.AddPoint(ExampleFixAt(25, 3, 9, 22, 0, 3.0)), 0);

    const std::string first = "55.75000000, 37.61660000,0, 492.13, 39897.91664352, 25.03.09, 21:59:58\r\n";
    const std::string second = "55.75000000, 37.61660000,0, 492.13, 39897.91670139, 25.03.09, 22:00:03\r\n";
    EXPECT_EQ(rig.files.Contents(kExampleFile), kExampleHeader + first);
    EXPECT_EQ(rig.Pending(), second);

    EXPECT_EQ(rig.writer.Flush(), 0);
    std::string nextHeader = kExampleHeader;
    nextHeader.replace(nextHeader.find("2009-03-25"), 10, "2009-03-26");
    EXPECT_EQ(rig.files.Contents(L"\\Kestrave\\2009-03-26.plt"), nextHeader + second);
}

TEST(TrackWriter, AppendsToTheDaysFileWithoutASecondHeader) {
    TrackRig rig;
    rig.files.AddFolder(L"\\Kestrave");
    rig.files.AddFile(kExampleFile, "earlier run\r\n");
    rig.writer.AddPoint(ExampleFix());
    EXPECT_EQ(rig.writer.Flush(), 0);
    EXPECT_EQ(rig.files.Contents(kExampleFile), "earlier run\r\n" + kExampleLine);
}

// The end is then found by moving there; an empty file of unknown size gets no
// line without its header.
TEST(TrackWriter, AnUnknownSizeCountsAsAFileWithHeader) {
    TrackRig rig;
    rig.files.AddFolder(L"\\Kestrave");
    rig.files.AddFile(kExampleFile, "earlier run\r\n");
    rig.writer.AddPoint(ExampleFix());
    rig.files.FailNext(Op::Size);
    EXPECT_EQ(rig.writer.Flush(), 0);
    EXPECT_EQ(rig.files.Contents(kExampleFile), "earlier run\r\n" + kExampleLine);

    TrackRig empty;
    empty.writer.AddPoint(ExampleFix());
    empty.files.FailNext(Op::Size);
    EXPECT_EQ(empty.writer.Flush(), kFlushSeekFailed);
    EXPECT_EQ(empty.files.Contents(kExampleFile), "");
    EXPECT_EQ(empty.writer.Flush(), 0);
    EXPECT_EQ(empty.files.Contents(kExampleFile), kExampleHeader + kExampleLine);
}

TEST(TrackWriter, EmptyFlushTouchesNoFileAndRestartsThePeriod) {
    TrackRig rig;
    rig.clock.now = 100000;
    EXPECT_EQ(rig.writer.Flush(), 0);
    EXPECT_FALSE(rig.files.HasFolder(L"\\Kestrave"));
    EXPECT_EQ(rig.files.Calls(Op::Open), 0);

    rig.clock.now = 400000;  // exactly 300000 ms later: not yet
    rig.writer.AddPoint(ExampleFix());
    EXPECT_FALSE(rig.files.HasFile(kExampleFile));
    rig.clock.now = 400001;
    EXPECT_EQ(rig.writer.AddPoint(ExampleFix()), 0);
    EXPECT_EQ(rig.files.Contents(kExampleFile), kExampleHeader + kExampleLine + kExampleLine);
    EXPECT_EQ(rig.writer.FillLength(), 0);
}

TEST(TrackWriter, FlushesAFullBufferBeforeTheNextLine) {
    TrackRig rig;
    rig.FillUpTo(1969 + 73);
    ASSERT_GE(rig.writer.FillLength(), 1969);
    const std::string pending = rig.Pending();
    EXPECT_EQ(rig.writer.AddPoint(ExampleFix()), 0);
    EXPECT_EQ(rig.files.Contents(kExampleFile), kExampleHeader + pending);
    EXPECT_EQ(rig.Pending(), kExampleLine);
}

struct FaultCase {
    const char* name;
    void (*arrange)(FakeFileSystem& files);
    int code;
    const wchar_t* message;
};

const FaultCase kFaults[] = {
    {"folder is a plain file", [](FakeFileSystem& f) { f.AddFile(L"\\Kestrave", "x"); }, 2,
     L"(1) CreateDirectory Error: 183 \r\n"},
    {"folder creation", [](FakeFileSystem& f) { f.FailNext(Op::CreateFolder, 29); }, 2,
     L"(1) CreateDirectory Error: 29 \r\n"},
    {"open", [](FakeFileSystem& f) { f.FailNext(Op::Open, 32); }, 3, L"(1) File Open Error: 32 \r\n"},
    {"header write", [](FakeFileSystem& f) { f.FailNext(Op::Write, 29); }, 4,
     L"(1) File Header Write Error: 29 \r\n"},
    {"short header", [](FakeFileSystem& f) { f.ShortWrite(100); }, 4, L"(1) File Header Write Error: 0 \r\n"},
    {"seek", [](FakeFileSystem& f) { f.FailNext(Op::Seek, 131); }, 5, L"(1) Set File Pointer Error: 131 \r\n"},
    {"data write", [](FakeFileSystem& f) { f.FailNext(Op::Write, 112, 1); }, 6, L"(1) File Write Error: 112 \r\n"},
    {"short data", [](FakeFileSystem& f) { f.ShortWrite(10, 1); }, 6, L"(1) File Write Error: 0 \r\n"},
};

// Each step also leaves the file as it was: none here, or an empty one.
TEST(TrackWriter, EachFailedStepHasItsCodeAndMessageAndKeepsTheLines) {
    for (const FaultCase& fault : kFaults) {
        SCOPED_TRACE(fault.name);
        TrackRig rig;
        rig.writer.AddPoint(ExampleFix());
        fault.arrange(rig.files);
        EXPECT_EQ(rig.writer.Flush(), fault.code);
        EXPECT_EQ(NumberedMessages(rig.Log()), fault.message);
        EXPECT_EQ(rig.Pending(), kExampleLine);
        EXPECT_EQ(rig.files.OpenCount(), 0);
        EXPECT_EQ(rig.files.Contents(kExampleFile), "");
    }
}

TEST(TrackWriter, NumbersItsMessagesOnItsOwnCounter) {
    TrackRig rig;
    rig.writer.AddPoint(ExampleFix());
    rig.files.FailNext(Op::Open, 32);
    rig.writer.Flush();
    rig.files.FailNext(Op::Seek, 131);
    rig.writer.Flush();
    EXPECT_EQ(NumberedMessages(rig.Log()), L"(1) File Open Error: 32 \r\n(2) Set File Pointer Error: 131 \r\n");
}

TEST(TrackWriter, RetriesAFailedTimedFlushOnLaterPoints) {
    TrackRig rig;
    rig.writer.AddPoint(ExampleFix());
    rig.clock.now = 300001;
    rig.files.FailNext(Op::Open, 32);
    EXPECT_EQ(rig.writer.AddPoint(ExampleFix()), 3);
    EXPECT_EQ(rig.Pending(), kExampleLine + kExampleLine);

    EXPECT_EQ(rig.writer.AddPoint(ExampleFix()), 0);
    EXPECT_EQ(rig.files.Contents(kExampleFile), kExampleHeader + kExampleLine + kExampleLine + kExampleLine);
}

// The cut line is taken back, header and all, so the file never holds it.
TEST(TrackWriter, ShortDataWriteIsWrittenWholeAgainWithoutSecondHeader) {
    TrackRig rig;
    rig.writer.AddPoint(ExampleFix());
    rig.files.ShortWrite(10, 1);
    EXPECT_EQ(rig.writer.Flush(), 6);
    EXPECT_EQ(rig.files.Contents(kExampleFile), "");
    EXPECT_EQ(rig.writer.Flush(), 0);
    EXPECT_EQ(rig.files.Contents(kExampleFile), kExampleHeader + kExampleLine);
}

TEST(TrackWriter, DropsTheLinesOfAFailedFullFlush) {
    TrackRig rig;
    rig.FillUpTo(1969 + 73);
    rig.files.FailNext(Op::Open, 32);
    EXPECT_EQ(rig.writer.AddPoint(ExampleFix()), 3);
    EXPECT_EQ(rig.Pending(), kExampleLine);
    EXPECT_FALSE(rig.files.HasFile(kExampleFile));
}

TEST(TrackWriter, DropsTheLinesOfAFailedDayChangeFlush) {
    TrackRig rig;
    rig.writer.AddPoint(ExampleFix());
    rig.files.FailNext(Op::Open, 32);
    EXPECT_EQ(rig.writer.AddPoint(ExampleFixAt(26, 3, 9, 0, 0, 3.0)), 3);
    EXPECT_EQ(rig.Pending(), "55.75000000, 37.61660000,0, 492.13, 39898.00003472, 26.03.09, 00:00:03\r\n");
    EXPECT_EQ(rig.writer.Flush(), 0);
    EXPECT_FALSE(rig.files.HasFile(kExampleFile));
    EXPECT_TRUE(rig.files.HasFile(L"\\Kestrave\\2009-03-26.plt"));
}

TEST(TrackWriter, RefusesALineThatDoesNotFitWhole) {
    TrackRig rig;
    rig.FillUpTo(1969);
    const std::string pending = rig.Pending();
    GpsFix absurd = ExampleFix();
    absurd.latitude = 1e300;
    absurd.longitude = -std::numeric_limits<double>::infinity();
    EXPECT_EQ(rig.writer.AddPoint(absurd), 0);
    EXPECT_EQ(rig.Pending(), pending);
    EXPECT_EQ(rig.writer.FillLength(), static_cast<int32_t>(pending.size()));
}

// Pending lines past byte 2048 must survive the header of a new file.
TEST(TrackWriter, HeaderNeverClobbersLinesPastTheMainArea) {
    TrackRig rig;
    rig.FillUpTo(1969);
    GpsFix wide = ExampleFix();
    wide.latitude = 1e200;
    rig.writer.AddPoint(wide);
    ASSERT_GT(rig.writer.FillLength(), 2048);
    const std::string pending = rig.Pending();
    EXPECT_EQ(rig.writer.Flush(), 0);
    EXPECT_EQ(rig.files.Contents(kExampleFile), kExampleHeader + pending);
}

TEST(TrackWriter, FolderMustFitItsField) {
    TrackRig rig;
    const std::wstring longest = L"\\" + std::wstring(kFolderChars - 2, L'f');
    EXPECT_TRUE(rig.writer.SetFolder(longest.c_str()));
    EXPECT_FALSE(rig.writer.SetFolder((longest + L"g").c_str()));
    EXPECT_EQ(rig.Log(), L"(1) Folder Name Too Long \r\n");

    wchar_t folder[kFolderChars];
    rig.writer.GetFolder(folder);
    EXPECT_EQ(std::wstring(folder), longest);

    rig.writer.AddPoint(ExampleFix());
    EXPECT_EQ(rig.writer.Flush(), 0);
    EXPECT_EQ(rig.files.Contents(longest + L"\\2009-03-25.plt"), kExampleHeader + kExampleLine);
}

}  // namespace
