#include <gtest/gtest.h>
#include <cstdio>
#include <cwchar>
#include <string>
#include "processing/FixProcessor.h"
#include "tests/support/ProcessingRig.h"

namespace {

// "$" + body + "*" + the XOR of the body's bytes in two hex digits.
std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[4];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail;
}

// The same sentence with a checksum that does not match.
std::string Corrupted(std::string sentence) {
    sentence.back() = sentence.back() == '0' ? '1' : '0';
    return sentence;
}

// The fix of the status example: 33 51.4068' S, 151 12.918' E, 3.9998 kn (7.4076 km/h).
std::string Rmc(const std::string& time, const std::string& date = "041109",
                const std::string& status = "A", const std::string& latitude = "3351.4068,S") {
    return Sentence("GPRMC," + time + "," + status + "," + latitude +
                    ",15112.9180,E,3.9998,254.7," + date + ",,,A");
}

std::string Gga(const std::string& time, const std::string& altitude = "57.0", const std::string& hdop = "1.1") {
    return Sentence("GPGGA," + time + ",3351.4068,S,15112.9180,E,1,08," + hdop + "," + altitude + ",M,21.0,M,,");
}

const wchar_t kExampleText[] =
    L"UTC:  04.11.09 23:58:41 \r\n"
    L"Local: 05.11.09 01:58:41 \r\n"
    L"Lat:   -33.856780 \r\n"
    L"Long: 151.215300\r\n"
    L"Alt: 57.0\r\n"
    L"Speed:   7.4 km/h. Course: 254.7\r\n"
    L"Sat:  8  Hdop: 1.1 ";

class FixProcessorTest : public testing::Test {
protected:
    void Feed(const std::string& sentence) { processor.ProcessSentence(sentence.c_str()); }

    // Feeds the sentences, then an RMC a second later that makes the last of them shown,
    // and returns the text first set for it.
    std::wstring Shown(std::initializer_list<std::string> sentences, const std::string& nextRmcTime) {
        for (const std::string& s : sentences) Feed(s);
        const size_t before = boxes.sets.size();
        Feed(Rmc(nextRmcTime));
        return boxes.sets.size() > before ? boxes.sets[before].text : L"(nothing shown)";
    }

    WriterRig rig;
    FixedOffsetZone zone{120};  // UTC+2, apart from the writers' zone
    RecordingTextBoxes boxes;
    RouteSelector route{rig.routeWriter};
    int32_t noDataTicks = 9;
    FixProcessor processor{zone, boxes, rig.track, route, noDataTicks};
};

TEST_F(FixProcessorTest, ShowsTheExampleFixInAZoneTwoHoursAhead) {
    Feed(Gga("235841.999"));
    Feed(Rmc("235841.999"));
    EXPECT_TRUE(boxes.sets.empty());
    Feed(Rmc("235842.999"));

    ASSERT_EQ(boxes.sets.size(), 2u);
    EXPECT_EQ(boxes.sets[0].control, kStatusBox);
    EXPECT_EQ(boxes.sets[0].text, kExampleText);
    // Far from 0 N 0 E, where the jump filter starts: the first fix is dropped.
    EXPECT_EQ(boxes.sets[1].text, std::wstring(kExampleText) + L"\r\nDROPPED ");
    EXPECT_EQ(std::wstring(processor.StatusText()), boxes.sets[1].text);
}

TEST_F(FixProcessorTest, FirstRmcIsOnlyParsed) {
    Feed(Rmc("235841.999"));
    EXPECT_TRUE(boxes.sets.empty());
    EXPECT_EQ(zone.calls, 0);
    EXPECT_DOUBLE_EQ(processor.PendingRmc().timeOfDay, 23 * 3600 + 58 * 60 + 41.999);
    EXPECT_EQ(processor.Filter().DropCount(), 0);
}

TEST_F(FixProcessorTest, EverySentenceCountsAsData) {
    for (const std::string& s : {Sentence("GPGSV,3,1,11,03,03,111,00"), Corrupted(Gga("123519")),
                                 Corrupted(Rmc("123519")), std::string("$GPRMC")}) {
        noDataTicks = 9;
        Feed(s);
        EXPECT_EQ(noDataTicks, 0) << s;
    }
    EXPECT_TRUE(boxes.sets.empty());
}

TEST_F(FixProcessorTest, GgaSlotsTakeTurnsFromSlotOne) {
    EXPECT_EQ(processor.GgaParity(), -1);
    Feed(Gga("123519"));
    EXPECT_EQ(processor.GgaParity(), 1);
    EXPECT_EQ(processor.GgaSlot(1).timeOfDay, 45319.0);
    EXPECT_EQ(processor.GgaSlot(0).timeOfDay, kGgaNotParsed);
    EXPECT_EQ(processor.GgaSlot(0).altitude, kNoAltitude);

    Feed(Corrupted(Gga("123520")));
    EXPECT_EQ(processor.GgaParity(), 1);
    Feed(Gga("123521"));
    EXPECT_EQ(processor.GgaParity(), 0);
    EXPECT_EQ(processor.GgaSlot(0).timeOfDay, 45321.0);
    Feed(Gga("123522"));
    EXPECT_EQ(processor.GgaSlot(1).timeOfDay, 45322.0);
}

TEST_F(FixProcessorTest, BadChecksumRmcNeitherProcessesNorReplaces) {
    Feed(Rmc("123519"));
    Feed(Corrupted(Rmc("123520")));
    EXPECT_TRUE(boxes.sets.empty());
    EXPECT_EQ(processor.PendingRmc().timeOfDay, 45319.0);
}

// The sentence as another satellite system's talker sends it, with its own checksum.
std::string FromTalker(const std::string& sentence, const std::string& talker) {
    return Sentence(talker + sentence.substr(3, sentence.find('*') - 3));
}

// A receiver of several satellite systems may send each epoch's GGA or RMC once per
// system: only the first copy is the epoch.
TEST_F(FixProcessorTest, AnotherTalkersCopyOfTheEpochIsIgnored) {
    Feed(Gga("123519", "57.0"));
    Feed(FromTalker(Gga("123519", "99.0"), "GL"));
    EXPECT_EQ(processor.GgaParity(), 1);
    EXPECT_EQ(processor.GgaSlot(0).timeOfDay, kGgaNotParsed);
    EXPECT_EQ(processor.GgaSlot(1).altitude, 57.0);

    Feed(FromTalker(Rmc("123519"), "GN"));
    Feed(FromTalker(Rmc("123519", "041109", "A", "1000.0000,N"), "GP"));
    EXPECT_NEAR(processor.PendingRmc().latitude, -33.85678, 1e-9);
    EXPECT_TRUE(boxes.sets.empty());
    // Every copy is still data.
    noDataTicks = 9;
    Feed(FromTalker(Gga("123519"), "BD"));
    EXPECT_EQ(noDataTicks, 0);
}

TEST_F(FixProcessorTest, TalkerSwitchBetweenEpochsLosesNothing) {
    Feed(FromTalker(Gga("123519"), "GN"));
    Feed(FromTalker(Rmc("123519"), "GN"));
    Feed(FromTalker(Gga("123520"), "GL"));
    Feed(FromTalker(Rmc("123520"), "GL"));
    EXPECT_EQ(processor.GgaParity(), 0);
    Feed(Gga("123521"));
    Feed(Rmc("123521"));
    EXPECT_EQ(processor.GgaParity(), 1);
    EXPECT_EQ(processor.PendingRmc().timeOfDay, 45321.0);
    // The GN and GL epochs were shown, each paired with its own GGA.
    ASSERT_GE(boxes.sets.size(), 2u);
    EXPECT_NE(boxes.sets.front().text.find(L"12:35:19"), std::wstring::npos);
    EXPECT_NE(boxes.sets.back().text.find(L"12:35:20"), std::wstring::npos);
    EXPECT_NE(boxes.sets.back().text.find(L"Sat:  8"), std::wstring::npos);
}

TEST_F(FixProcessorTest, SameTalkerRepeatingATimeIsTaken) {
    Feed(Gga("123519"));
    Feed(Gga("123519"));
    EXPECT_EQ(processor.GgaParity(), 0);
    Feed(Rmc("123519"));
    Feed(Rmc("123519"));
    EXPECT_EQ(boxes.sets.size(), 2u);  // the first is shown when the repeat arrives
}

TEST_F(FixProcessorTest, BadFirstCopyLetsTheNextCopyIn) {
    Feed(Corrupted(Gga("123519", "57.0")));
    Feed(FromTalker(Gga("123519", "99.0"), "GL"));
    EXPECT_EQ(processor.GgaParity(), 1);
    EXPECT_EQ(processor.GgaSlot(1).altitude, 99.0);
    Feed(Corrupted(Rmc("123519")));
    Feed(FromTalker(Rmc("123519"), "GA"));
    EXPECT_EQ(processor.PendingRmc().timeOfDay, 45319.0);
}

struct PairingCase {
    const char* rmcTime;
    const char* ggaTime;
    bool paired;
};

class Pairing : public FixProcessorTest, public testing::WithParamInterface<PairingCase> {};

TEST_P(Pairing, WithinNineTenthsOfASecond) {
    const PairingCase& c = GetParam();
    const std::wstring text = Shown({Gga(c.ggaTime), Rmc(c.rmcTime)}, "123530");
    if (c.paired) {
        EXPECT_NE(text.find(L"\r\nAlt: 57.0\r\n"), std::wstring::npos) << text;
        EXPECT_NE(text.find(L"\r\nSat:  8  Hdop: 1.1 "), std::wstring::npos) << text;
    } else {
        EXPECT_NE(text.find(L"\r\nAlt: ???\r\n"), std::wstring::npos) << text;
        EXPECT_NE(text.find(L"\r\nSat: -1  Hdop: -1.0 "), std::wstring::npos) << text;
    }
}

// Times of day are compared without a wrap at midnight.
INSTANTIATE_TEST_SUITE_P(Table, Pairing,
                         testing::Values(PairingCase{"123519.00", "123519.90", false},
                                         PairingCase{"123519.00", "123519.89", true},
                                         PairingCase{"123519.00", "123518.11", true},
                                         PairingCase{"235959.5", "000000.0", false},
                                         PairingCase{"123519.00", "123519", true}));

TEST_F(FixProcessorTest, EquallyNearSlotsPairWithSlotOne) {
    // The first GGA goes into slot 1.
    const std::wstring text =
        Shown({Gga("123519.50", "100.0"), Gga("123518.50", "200.0"), Rmc("123519.00")}, "123520");
    EXPECT_NE(text.find(L"\r\nAlt: 100.0\r\n"), std::wstring::npos) << text;
}

TEST_F(FixProcessorTest, NearerSlotWinsWhicheverItIs) {
    const std::wstring text =
        Shown({Gga("123518.50", "100.0"), Gga("123519.20", "200.0"), Rmc("123519.00")}, "123520");
    EXPECT_NE(text.find(L"\r\nAlt: 200.0\r\n"), std::wstring::npos) << text;
}

// The GGA pairs in every case; only the altitude decides.
TEST_F(FixProcessorTest, AltitudeAtOrBelowMinus90000IsNotShown) {
    EXPECT_NE(Shown({Gga("123519", "-99999.99"), Rmc("123519")}, "123520").find(L"\r\nAlt: ???\r\n"),
              std::wstring::npos);
    EXPECT_NE(Shown({Gga("123521", "-90000.0"), Rmc("123521")}, "123522").find(L"\r\nAlt: ???\r\n"),
              std::wstring::npos);
    EXPECT_NE(Shown({Gga("123523", "-89999.9"), Rmc("123523")}, "123524").find(L"\r\nAlt: -89999.9\r\n"),
              std::wstring::npos);
}

TEST_F(FixProcessorTest, SecondsJustShortOfAMinuteShowAs60) {
    const std::wstring text = Shown({Rmc("235959.999999")}, "000000");
    EXPECT_EQ(text.substr(0, 53), L"UTC:  04.11.09 23:59:60 \r\nLocal: 05.11.09 01:59:60 \r\n");
}

// Local time is converted once per UTC minute; the local seconds are the UTC ones.
TEST_F(FixProcessorTest, SameMinuteReusesTheLocalConversion) {
    Feed(Rmc("235841.0"));
    Feed(Rmc("235842.0"));
    EXPECT_EQ(zone.calls, 1);
    const std::wstring second = Shown({}, "235901.0");
    EXPECT_EQ(zone.calls, 1);
    EXPECT_EQ(second.substr(26, 27), L"Local: 05.11.09 01:58:42 \r\n");
    Shown({}, "235902.0");
    EXPECT_EQ(zone.calls, 2);
}

TEST_F(FixProcessorTest, RmcWithoutFixShowsItsOwnTime) {
    Feed(Rmc("123519"));
    Feed(Rmc("123520.5", "041109", "V"));
    Feed(Rmc("123521"));
    EXPECT_EQ(boxes.status, L"UTC: 12:35:20 \r\nNo fix\r\n");
    // No filter, track or route work follows it.
    EXPECT_EQ(processor.Filter().DropCount(), 1);
    EXPECT_EQ(processor.Filter().PrevPosition().latitude, processor.PendingRmc().latitude);
}

// Numbers no receiver sends, with good checksums: the text stays terminated within
// its buffer, and the fix goes on through the filter without harm.
TEST_F(FixProcessorTest, AbsurdNumbersStayWithinTheStatusText) {
    Feed(Gga("12351e15", "1e250"));
    Feed(Rmc("12351e15", "041109", "A", "451e300,N"));
    Feed(Rmc("123520"));
    ASSERT_FALSE(boxes.sets.empty());
    const std::wstring text = processor.StatusText();
    EXPECT_LT(text.size(), static_cast<size_t>(kStatusTextChars));
    EXPECT_EQ(text.substr(0, 34), L"UTC:  04.11.09 12:35:2147483647 \r\n");
    EXPECT_NE(text.find(L"\r\nDROPPED "), std::wstring::npos);
}

}  // namespace
