#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "nmea/Checksum.h"
#include "nmea/GgaParser.h"
#include "nmea/RmcParser.h"
#include "nmea/SentenceAssembler.h"

namespace {

class RecordingSink : public SentenceSink {
public:
    void ProcessSentence(const char* sentence) override { sentences.emplace_back(sentence); }
    std::vector<std::string> sentences;
};

// Feeds the stream as reads of chunkSize bytes, as the input poller does.
std::vector<std::string> Assemble(const std::string& stream, size_t chunkSize = 1024,
                                  TalkerSet talkers = TalkerSet::AllGnss) {
    RecordingSink sink;
    SentenceAssembler assembler(sink);
    assembler.SetTalkers(talkers);
    for (size_t start = 0; start < stream.size(); start += chunkSize) {
        const std::string chunk = stream.substr(start, chunkSize);
        for (const char c : chunk) {
            assembler.FeedByte(static_cast<uint8_t>(c));
        }
    }
    return sink.sentences;
}

using Sentences = std::vector<std::string>;

const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";

TEST(SentenceAssembler, TriggerSplitAcrossReads) {
    RecordingSink sink;
    SentenceAssembler assembler(sink);
    for (const char c : std::string("xx$G")) assembler.FeedByte(static_cast<uint8_t>(c));
    for (const char c : std::string("PGSA,A*00\r")) assembler.FeedByte(static_cast<uint8_t>(c));
    EXPECT_EQ(sink.sentences, Sentences({"$GPGSA,A*00"}));
}

TEST(SentenceAssembler, LineEndsAndNoise) {
    EXPECT_EQ(Assemble("\x01noise $ GP" + kGga + "\r\n"), Sentences({kGga}));
    EXPECT_EQ(Assemble(kRmc + "\r\n" + kGga + "\r\n"), Sentences({kRmc, kGga}));
    EXPECT_EQ(Assemble(kRmc + "\n" + kGga + "\n"), Sentences({kRmc, kGga}));
    EXPECT_EQ(Assemble(kRmc + "\r\r\n"), Sentences({kRmc}));
    EXPECT_EQ(Assemble(kRmc), Sentences());  // no line end yet: nothing handed on
}

TEST(SentenceAssembler, NewTriggerCutsOffTheSentenceInProgress) {
    EXPECT_EQ(Assemble("$GPRMC,123519,A,48" + kGga + "\r\n"), Sentences({kGga}));
}

TEST(SentenceAssembler, EverySatelliteSystemsTalkerTriggers) {
    for (const char* talker : {"GP", "GL", "GA", "GB", "BD", "GQ", "GI", "GN"}) {
        const std::string sentence = std::string("$") + talker + "RMC,1*00";
        EXPECT_EQ(Assemble("x" + sentence + "\r\n"), Sentences({sentence})) << talker;
    }
    // Not satellite systems: an unknown G talker, integrated instruments, navigation.
    EXPECT_EQ(Assemble("$GXRMC,1*00\r\n$IIGGA,1*00\r\n$INRMC,1*00\r\n!AIVDM,1*00\r\n$PGRME*00\r\n"),
              Sentences());
    // A "$GN" split across reads, and a GPS sentence cut off by a "$GL" trigger.
    EXPECT_EQ(Assemble("xx$GNRMC,2*00\r", 3), Sentences({"$GNRMC,2*00"}));
    EXPECT_EQ(Assemble("$GPRMC,123519,A,48$GLGGA,1*00\r\n"), Sentences({"$GLGGA,1*00"}));
}

TEST(SentenceAssembler, GpsOnlyHandsOnGpsSentencesAlone) {
    const std::string stream = "$GNRMC,1*00\r\n$GLGSV,1*00\r\n$BDGGA,1*00\r\n$GAGGA*00\r\n" + kGga + "\r\n" +
                               "$GPRMC,cut$GNGGA,1*00\r\n";
    EXPECT_EQ(Assemble(stream, 1024, TalkerSet::GpsOnly), Sentences({kGga, "$GPRMC,cut$GNGGA,1*00"}));
}

TEST(SentenceAssembler, LongestSentenceIs126Characters) {
    const std::string longest = "$GP" + std::string(123, 'x');
    EXPECT_EQ(Assemble(longest + "\r\n"), Sentences({longest}));
    // One more drops it, and what follows waits for the next "$GP".
    EXPECT_EQ(Assemble(longest + "y" + "tail\r\n" + kGga + "\r\n"), Sentences({kGga}));
}

TEST(SentenceAssembler, BareTriggerAndEmbeddedNul) {
    EXPECT_EQ(Assemble("$GP\r"), Sentences({"$GP"}));
    EXPECT_EQ(Assemble(std::string("$GPAB\0CD\r", 9)), Sentences({"$GPAB"}));
    EXPECT_EQ(Assemble("$GPA\xb0\xff\r"), Sentences({"$GPA\xb0\xff"}));
}

TEST(SentenceAssembler, ShortSentenceAfterLongOneParsesOnlyItsOwnBytes) {
    // The sink parses inside the hand-over, as the fix processor does.
    class ParsingSink : public SentenceSink {
    public:
        void ProcessSentence(const char* sentence) override { results.push_back(static_cast<int>(ParseRmc(sentence, fix))); }
        GpsFix fix{};
        std::vector<int> results;
    } sink;
    SentenceAssembler assembler(sink);
    for (const char c : kRmc + "\r\n$GPRMC,1\r\n") assembler.FeedByte(static_cast<uint8_t>(c));
    EXPECT_EQ(sink.results, std::vector<int>({0, 2}));
    EXPECT_EQ(sink.fix.hour, 1);
    EXPECT_EQ(sink.fix.minute, 0);
    EXPECT_EQ(sink.fix.seconds, 0.0);
}

class ChunkSize : public testing::TestWithParam<size_t> {};

TEST_P(ChunkSize, SameSentencesWhereverAReadEnds) {
    const std::string stream = "junk$GP" + kRmc.substr(3) + "\r\n" + "$GXGSA,1*00\r\n" + kGga + "\r\n" +
                               "$GPRMC,cut" + kGga + "\n" + "$GP\r\n" + kRmc + "\r\n" + "$GNGSA,1*00\r\n";
    EXPECT_EQ(Assemble(stream, GetParam()), Sentences({kRmc, kGga, kGga, "$GP", kRmc, "$GNGSA,1*00"}));
}

INSTANTIATE_TEST_SUITE_P(Reads, ChunkSize, testing::Values(1, 7, 1024));

std::string ReadRecording(const char* name) {
    std::ifstream file(std::string(KESTRAVE_TESTDATA_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct SentenceTally {
    int sentences = 0;
    int badChecksum = 0;
    int rmcParsed = 0;
    int ggaParsed = 0;
};

SentenceTally Tally(const Sentences& sentences) {
    SentenceTally tally;
    for (const std::string& s : sentences) {
        ++tally.sentences;
        if (VerifyChecksum(s.c_str()) != 0) {
            ++tally.badChecksum;
            continue;
        }
        GpsFix fix{};
        tally.rmcParsed += ParseRmc(s.c_str(), fix) == RmcResult::Parsed;
        tally.ggaParsed += ParseGga(s.c_str(), fix) == GgaResult::Parsed;
    }
    return tally;
}

TEST(SentenceAssemblerRecordings, LoggerTrackDecodesCompletelyAtAnyReadSize) {
    const std::string stream = ReadRecording("gpsbabel-mtk_logger_m241.nmea");
    if (stream.empty()) GTEST_SKIP() << "recordings not found under " << KESTRAVE_TESTDATA_DIR;
    const Sentences whole = Assemble(stream, 1024);
    EXPECT_EQ(Assemble(stream, 1), whole);
    EXPECT_EQ(Assemble(stream, 7), whole);
    const SentenceTally tally = Tally(whole);
    EXPECT_EQ(tally.badChecksum, 0);
    EXPECT_EQ(tally.rmcParsed, 1199);
    EXPECT_EQ(tally.ggaParsed, 1199);
}

TEST(SentenceAssemblerRecordings, ColdBootTortureAtAnyReadSize) {
    const std::string stream = ReadRecording("gpsd-gp-320fw-2019-04-07-coldboot.nmea");
    if (stream.empty()) GTEST_SKIP() << "recordings not found under " << KESTRAVE_TESTDATA_DIR;
    const Sentences whole = Assemble(stream, 1024);
    EXPECT_EQ(Assemble(stream, 1), whole);
    EXPECT_EQ(Assemble(stream, 7), whole);
    const SentenceTally tally = Tally(whole);
    // Counted by an independent model of the assembler: cut-off and run-together
    // sentences are not handed on, 34 wrong checksums and 4 without "*" remain.
    EXPECT_EQ(tally.sentences, 131);
    EXPECT_EQ(tally.badChecksum, 38);
}

// Random fragments of sentences, line ends, NULs and high bytes: every sentence handed
// on keeps the assembler's promises, and the checksum and parsers accept anything.
// Most useful under the address and undefined-behaviour sanitizers.
TEST(SentenceAssembler, RandomStreamKeepsItsPromises) {
    static const char* const kTokens[] = {
        "$GPRMC,", "$GPGGA,", "$GP", "$GNRMC,", "$GLGGA,", "$BD", ",", ",,", "A", "V", "N", "S", "E", "W", "M", "F", "-",
        "1", "23", "4807.038", "01131", ".", "*", "*6A", "\r", "\n", "\r\n", " ", "\t", "\xb0", "\xff",
        "x",
    };
    constexpr size_t kTokenCount = sizeof(kTokens) / sizeof(kTokens[0]);
    class CheckingSink : public SentenceSink {
    public:
        void ProcessSentence(const char* sentence) override {
            ++count;
            const size_t length = std::strlen(sentence);
            EXPECT_LE(length, 126u);
            EXPECT_TRUE(sentence[0] == '$' && nmea::IsTalker(sentence[1], sentence[2], TalkerSet::AllGnss));
            EXPECT_EQ(std::strpbrk(sentence, "\r\n"), nullptr);
            VerifyChecksum(sentence);
            ParseRmc(sentence, fix);
            ParseGga(sentence, fix);
        }
        GpsFix fix{};
        int count = 0;
    } sink;
    SentenceAssembler assembler(sink);
    std::mt19937 random(20240607);
    for (int i = 0; i < 200000; ++i) {
        const char* token = kTokens[random() % kTokenCount];
        for (const char* p = token; *p != '\0'; ++p) assembler.FeedByte(static_cast<uint8_t>(*p));
        if (random() % 64 == 0) assembler.FeedByte(0);
    }
    EXPECT_GT(sink.count, 1000);
}

// A read handed over whole must give exactly what its bytes give one by one, wherever
// the reads are cut: streams of triggers of both talker sets, line ends, control and high
// bytes, talker letters and over-long sentences, in reads of 1 to 40 bytes and of the
// poller's 1024.
TEST(SentenceAssembler, WholeReadsMatchByteByByte) {
    const char* const kPieces[] = {"$GP", "$G", "$", "G", "P", "PP", "\r", "\n", "\r\n", "GPRMC,", "GGA,1,2",
                                   "0123456789ABCDEF", ",,,*6A", "\t", "\x01", "\x80\xff", "$GPP", "GP$GP",
                                   "$GN", "$GL", "$B", "BD", "N", "$GX", "$$GA", "GN$GN"};
    std::mt19937 random(99);
    for (int stream = 0; stream < 300; ++stream) {
        std::string bytes;
        while (bytes.size() < 4000) {
            if (random() % 50 == 0) bytes.append(120 + random() % 20, 'x');  // around the length limit
            bytes += kPieces[random() % (sizeof kPieces / sizeof kPieces[0])];
            if (random() % 200 == 0) bytes += '\0';
        }
        RecordingSink whole;
        RecordingSink single;
        SentenceAssembler wholeReads(whole);
        SentenceAssembler singleBytes(single);
        const TalkerSet talkers = stream % 3 == 0 ? TalkerSet::GpsOnly : TalkerSet::AllGnss;
        wholeReads.SetTalkers(talkers);
        singleBytes.SetTalkers(talkers);
        for (size_t start = 0; start < bytes.size();) {
            const size_t size = stream % 2 == 0 ? 1 + random() % 40 : 1024;
            const size_t count = std::min(size, bytes.size() - start);
            wholeReads.Feed(reinterpret_cast<const uint8_t*>(bytes.data()) + start, static_cast<uint32_t>(count));
            start += count;
        }
        for (const char c : bytes) singleBytes.FeedByte(static_cast<uint8_t>(c));
        ASSERT_EQ(whole.sentences, single.sentences) << "stream " << stream;
    }
}

}  // namespace
