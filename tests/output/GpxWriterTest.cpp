#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "format/GpxText.h"
#include "tests/support/ExampleFix.h"
#include "tests/support/ProcessingRig.h"

namespace {

using Op = FakeFileSystem::Op;

const std::wstring kGpx = L"\\Kestrave\\2009-03-25.gpx";

template <typename Text>
size_t Count(const Text& text, const Text& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

bool EndsWithTrailer(const std::string& text) {
    const std::string trailer = kGpxTrailer;
    return text.size() >= trailer.size() && text.compare(text.size() - trailer.size(), trailer.size(), trailer) == 0;
}

// The GPX of the example fix's day after one flush of the given fixes.
std::string Written(WriterRig& rig, std::initializer_list<GpsFix> fixes) {
    for (const GpsFix& fix : fixes) rig.track.AddPoint(fix);
    EXPECT_EQ(rig.track.Flush(), 0);
    return rig.files.Contents(kGpx);
}

// A point shows what the sentences gave, in the schemas' order, and leaves out the rest.
TEST(GpxWriter, APointShowsWhatTheSentencesGaveInTheSchemasOrder) {
    const struct {
        const char* what;
        void (*change)(GpsFix&);
        const char* point;
    } cases[] = {
        {"everything given",
         [](GpsFix& fix) {
             fix.speedKmh = 41.4;
             fix.course = 84.4;
             fix.quality = 2;
             fix.seconds = 46.25;
             fix.fractionNanos = 250000000;
         },
         "<trkpt lat=\"55.75000000\" lon=\"37.61660000\">\r\n<ele>150</ele>\r\n"
         "<time>2009-03-25T12:17:46.25Z</time>\r\n<geoidheight>14.6</geoidheight>\r\n"
         "<fix>dgps</fix>\r\n<sat>8</sat>\r\n<hdop>1</hdop>\r\n<extensions><gpxtpx:TrackPointExtension>"
         "<gpxtpx:speed>11.5</gpxtpx:speed><gpxtpx:course>84.4</gpxtpx:course>"
         "</gpxtpx:TrackPointExtension></extensions>\r\n</trkpt>\r\n"},
        // Rounded up to the track line's second, the point takes that second whole.
        {"nothing but the place and the time",
         [](GpsFix& fix) {
             fix = ExampleFixAt(25, 3, 9, 12, 17, 46.9999995);
             fix.altitude = fix.geoidSeparation = kNoAltitude;
             fix.hdop = kNoHdop;
             fix.satellites = kNoSatellites;
             fix.given = 0;
             fix.fractionNanos = 999999500;
         },
         "<trkpt lat=\"55.75000000\" lon=\"37.61660000\">\r\n<time>2009-03-25T12:17:47Z</time>\r\n</trkpt>\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriterRig rig;
        GpsFix fix = ExampleFix();
        c.change(fix);
        const std::string gpx = Written(rig, {fix});
        EXPECT_NE(gpx.find(c.point), std::string::npos) << gpx;
        EXPECT_TRUE(EndsWithTrailer(gpx));
        EXPECT_EQ(Count(gpx, std::string("<trkseg>")), 1u) << "a new file opens no empty segment";
    }
}

TEST(GpxWriter, ALeapSecondStaysInTheTrackFileAndIsLeftOutAndSaid) {
    WriterRig rig;
    const std::string gpx = Written(rig, {ExampleFixAt(25, 3, 9, 12, 17, 59.0), ExampleFixAt(25, 3, 9, 12, 17, 60.0),
                                          ExampleFixAt(25, 3, 9, 12, 17, 60.5), ExampleFixAt(25, 3, 9, 12, 18, 1.0)});
    EXPECT_EQ(Count(gpx, std::string("<trkpt ")), 2u);
    EXPECT_EQ(Count(rig.files.Contents(L"\\Kestrave\\2009-03-25.plt"), std::string("\r\n")), 6u + 4u);
    EXPECT_EQ(Count(rig.boxes.log, std::wstring(L"GPX cannot hold")), 1u) << "the first of the day is said";
    rig.track.FlushToDisk();
    EXPECT_NE(rig.boxes.log.find(L"1 more track points were left out"), std::wstring::npos);
    EXPECT_EQ(rig.track.Gpx().LeftOut(), 2u);
}

TEST(GpxWriter, ARunAndAGapOfMoreThanFiveMinutesStartSegments) {
    WriterRig rig;
    Written(rig, {ExampleFixAt(25, 3, 9, 12, 0, 0.0), ExampleFixAt(25, 3, 9, 12, 5, 0.0)});
    const std::string gpx = Written(rig, {ExampleFixAt(25, 3, 9, 12, 10, 1.0)});
    EXPECT_EQ(Count(gpx, std::string("<trkseg>")), 2u) << "5 minutes is no gap; 5 minutes 1 second is";

    WriterRig next;  // a second run on the same day's file
    next.files = rig.files;
    const std::string again = Written(next, {ExampleFixAt(25, 3, 9, 12, 10, 5.0)});
    EXPECT_EQ(Count(again, std::string("<trkseg>")), 3u);
    EXPECT_EQ(Count(again, std::string("<trkpt ")), 4u);
    EXPECT_TRUE(EndsWithTrailer(again));
}

TEST(GpxWriter, AFailedWriteOrSaveLeavesTheFileWholeAndKeepsThePoints) {
    for (const bool save : {false, true}) {
        SCOPED_TRACE(save ? "the save to the disk fails" : "the write stops part-way");
        WriterRig rig;
        const std::string before = Written(rig, {ExampleFixAt(25, 3, 9, 12, 0, 0.0)});
        rig.track.AddPoint(ExampleFixAt(25, 3, 9, 12, 0, 10.0));
        // The GPX's write or save fails; the track file's, after it, go through.
        if (save) {
            rig.files.FailNext(Op::Sync, 5);
        } else {
            rig.files.ShortWrite(100, 0, 28);
        }
        EXPECT_NE(rig.track.FlushToDisk(), 0);
        EXPECT_EQ(rig.files.Contents(kGpx), before);
        EXPECT_TRUE(rig.track.Failing());
        EXPECT_EQ(rig.track.Flush(), 0);
        EXPECT_FALSE(rig.track.Failing());
        const std::string after = rig.files.Contents(kGpx);
        EXPECT_EQ(Count(after, std::string("<trkpt ")), 2u);
        EXPECT_TRUE(EndsWithTrailer(after));
    }
}

TEST(GpxWriter, ATornOrZeroedTailIsCutBackToTheLastWholePoint) {
    const std::string whole = [] {
        WriterRig rig;
        return Written(rig, {ExampleFixAt(25, 3, 9, 12, 0, 0.0), ExampleFixAt(25, 3, 9, 12, 0, 10.0)});
    }();
    const size_t lastPoint = whole.rfind("<trkpt ");
    const struct {
        const char* what;
        std::string bytes;
    } tails[] = {
        {"cut in a point", whole.substr(0, lastPoint + 30)},
        {"cut in the trailer", whole.substr(0, whole.size() - 5)},
        // More zeros than one look back reads.
        {"zeros behind", whole.substr(0, whole.size() - 10) + std::string(9000, '\0')},
    };
    for (const auto& tail : tails) {
        SCOPED_TRACE(tail.what);
        WriterRig rig;
        rig.files.AddFolder(L"\\Kestrave");
        rig.files.AddFile(kGpx, tail.bytes);
        const std::string gpx = Written(rig, {ExampleFixAt(25, 3, 9, 12, 0, 20.0)});
        EXPECT_TRUE(EndsWithTrailer(gpx));
        EXPECT_EQ(gpx.find('\0'), std::string::npos);
        EXPECT_EQ(Count(gpx, std::string("</trkpt>")), Count(tail.bytes, std::string("</trkpt>")) + 1);
        EXPECT_EQ(gpx.compare(0, lastPoint, whole, 0, lastPoint), 0) << "no whole point is lost";
        EXPECT_NE(rig.boxes.log.find(L"was torn"), std::wstring::npos);
    }
}

TEST(GpxWriter, AStartOfOursWithNothingWholeBeginsAgainAndAForeignFileIsLeftAlone) {
    WriterRig torn;
    torn.files.AddFolder(L"\\Kestrave");
    torn.files.AddFile(kGpx, std::string(kGpxSignature).substr(0, 20));
    EXPECT_EQ(Count(Written(torn, {ExampleFix()}), std::string("<trkpt ")), 1u);

    WriterRig rig;
    const std::string foreign = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"Other\"></gpx>\n";
    rig.files.AddFolder(L"\\Kestrave");
    rig.files.AddFile(kGpx, foreign);
    EXPECT_EQ(Written(rig, {ExampleFixAt(25, 3, 9, 12, 0, 0.0)}), foreign);
    EXPECT_EQ(Written(rig, {ExampleFixAt(25, 3, 9, 12, 0, 10.0)}), foreign);
    EXPECT_EQ(Count(rig.boxes.log, std::wstring(L"left alone")), 1u);
    EXPECT_FALSE(rig.track.Failing());
    EXPECT_EQ(Count(rig.files.Contents(L"\\Kestrave\\2009-03-25.plt"), std::string("\r\n")), 6u + 2u) << "the track goes on";
}

TEST(GpxWriter, OffWritesNoGpxAndTheTrackFileIsTheSame) {
    WriterRig on;
    WriterRig off;
    off.track.SetGpx(false);
    for (int second = 0; second < 600; second += 7) {
        on.track.AddPoint(FixAt(12 * 3600 + second));
        off.track.AddPoint(FixAt(12 * 3600 + second));
    }
    on.track.FlushToDisk();
    off.track.FlushToDisk();
    EXPECT_FALSE(off.files.HasFile(kGpx));
    EXPECT_TRUE(on.files.HasFile(kGpx));
    EXPECT_EQ(on.files.Contents(L"\\Kestrave\\2009-03-25.plt"), off.files.Contents(L"\\Kestrave\\2009-03-25.plt"));
}

}  // namespace

namespace {

// A run over points the day's files hold already, and some after them: the GPX gets
// the later ones alone, even those that come before the track file's first flush.
TEST(GpxWriter, PointsTheTrackFileHeldAlreadyDoNotComeAgain) {
    WriterRig first;
    Written(first, {ExampleFixAt(25, 3, 9, 12, 0, 0.0), ExampleFixAt(25, 3, 9, 12, 0, 10.0)});
    const std::string once = first.files.Contents(kGpx);

    WriterRig again;
    again.files = first.files;
    EXPECT_EQ(Written(again, {ExampleFixAt(25, 3, 9, 12, 0, 0.0), ExampleFixAt(25, 3, 9, 12, 0, 10.0)}), once);
    const std::string later = Written(again, {ExampleFixAt(25, 3, 9, 12, 0, 20.0)});
    EXPECT_EQ(Count(later, std::string("<trkpt ")), 3u);
    EXPECT_EQ(later.compare(0, once.size() - strlen(kGpxTrailer), once, 0, once.size() - strlen(kGpxTrailer)), 0);
}

}  // namespace

namespace {

// A run stopped after the GPX's flush and before the track file's: the next run brings
// the points again; the track file takes them, the GPX has them once.
TEST(GpxWriter, ARunStoppedBetweenTheTwoFlushesLeavesTheGpxAheadAndTheNextDoesNotDoubleIt) {
    WriterRig first;
    for (int second : {0, 10}) first.track.AddPoint(ExampleFixAt(25, 3, 9, 12, 0, second));
    first.files.FailNext(Op::Open, 5, 1);  // the track file's open, after the GPX's
    EXPECT_EQ(first.track.Flush(), kFlushOpenFailed);
    EXPECT_EQ(Count(first.files.Contents(kGpx), std::string("<trkpt ")), 2u);

    WriterRig next;
    next.files = first.files;
    const std::string gpx = Written(next, {ExampleFixAt(25, 3, 9, 12, 0, 0.0), ExampleFixAt(25, 3, 9, 12, 0, 10.0),
                                           ExampleFixAt(25, 3, 9, 12, 0, 20.0)});
    EXPECT_EQ(Count(gpx, std::string("<trkpt ")), 3u);
    EXPECT_EQ(Count(next.files.Contents(L"\\Kestrave\\2009-03-25.plt"), std::string("\r\n")), 6u + 3u);
}

}  // namespace

namespace {

// A point torn by a crash in the middle of its write, with its time whole: the next run
// writes it again, whole.
TEST(GpxWriter, APointTornAfterItsTimeComesAgain) {
    WriterRig first;
    const std::string whole = Written(first, {ExampleFixAt(25, 3, 9, 12, 0, 0.0), ExampleFixAt(25, 3, 9, 12, 0, 10.0)});
    const size_t torn = whole.find("<geoidheight>", whole.find("12:00:10Z")) + 8;
    WriterRig next;
    next.files.AddFolder(L"\\Kestrave");
    next.files.AddFile(kGpx, whole.substr(0, torn));
    const std::string gpx = Written(next, {ExampleFixAt(25, 3, 9, 12, 0, 10.0)});
    EXPECT_EQ(gpx, whole.substr(0, whole.rfind("<trkpt ")) + kGpxSegmentBreak + whole.substr(whole.rfind("<trkpt ")));
}

}  // namespace
