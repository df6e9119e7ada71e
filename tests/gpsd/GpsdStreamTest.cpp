#include "gpsd/GpsdStream.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kVersion = "{\"class\":\"VERSION\",\"release\":\"3.22\",\"proto_major\":3}\r\n";
const std::string kOneReceiver =
    "{\"class\":\"DEVICES\",\"devices\":[{\"class\":\"DEVICE\",\"path\":\"/dev/ttyACM0\",\"activated\":"
    "\"2026-01-14T10:00:00.000Z\",\"bps\":9600}]}\r\n";
const std::string kNoReceiver = "{\"class\":\"DEVICES\",\"devices\":[]}\r\n";
const std::string kGone = "{\"class\":\"DEVICE\",\"path\":\"/dev/ttyACM0\",\"activated\":0}\r\n";
const std::string kBack = "{\"class\":\"DEVICE\",\"path\":\"/dev/ttyACM0\",\"activated\":\"2026-01-14T10:01:00Z\"}\r\n";
const std::string kSentences =
    "$GPRMC,100000.00,A,4807.0380,N,01131.0000,E,0.0,0.0,140126,,,A*6B\r\n"
    "$GNGGA,100000.00,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*4B\r\n"
    "garbage {not a report}\r\n";

std::string Filter(GpsdStream& stream, std::string bytes) {
    uint32_t kept = stream.Filter(reinterpret_cast<uint8_t*>(&bytes[0]), static_cast<uint32_t>(bytes.size()));
    return bytes.substr(0, kept);
}

// What the receiver sent comes out byte for byte, wherever the reads cut the stream.
TEST(GpsdStream, HandsOnSentencesAloneWhereverTheStreamIsCut) {
    const std::string stream = kVersion + kOneReceiver + kSentences + kBack + kSentences;
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        GpsdStream filter;
        std::string out = Filter(filter, stream.substr(0, cut));
        out += Filter(filter, stream.substr(cut));
        ASSERT_EQ(out, kSentences + kSentences) << "cut at " << cut;
        EXPECT_TRUE(filter.Listed());
        EXPECT_EQ(filter.receivers(), GpsdStream::Receivers::Some);
    }
}

TEST(GpsdStream, FollowsReceiversAsGpsdReportsThem) {
    GpsdStream filter;
    Filter(filter, kVersion);
    EXPECT_FALSE(filter.Listed());
    EXPECT_EQ(filter.receivers(), GpsdStream::Receivers::Unknown);
    Filter(filter, kNoReceiver);
    EXPECT_EQ(filter.receivers(), GpsdStream::Receivers::None);
    Filter(filter, kBack);
    EXPECT_EQ(filter.receivers(), GpsdStream::Receivers::Some);
    // A report of a known receiver that changed is no second one.
    Filter(filter, kBack + kGone);
    EXPECT_EQ(filter.receivers(), GpsdStream::Receivers::None);

    // Two listed, one gone: there is still one to log.
    filter.Reset();
    const std::string two = "{\"class\":\"DEVICES\",\"devices\":[{\"path\":\"/dev/ttyACM0\"},{\"path\":\"/dev/ttyUSB0\"}]}\n";
    Filter(filter, two + kGone);
    EXPECT_EQ(filter.receivers(), GpsdStream::Receivers::Some);
    Filter(filter, kGone);
    EXPECT_EQ(filter.receivers(), GpsdStream::Receivers::None);
}

// A report longer than the buffer is judged by its beginning, and the sentence after
// it is not taken for part of it.
TEST(GpsdStream, LongReportIsJudgedByItsBeginning) {
    GpsdStream filter;
    std::string list = "{\"class\":\"DEVICES\",\"devices\":[{\"path\":\"/dev/ttyACM0\",\"subtype\":\"" +
                       std::string(2000, 'x') + "\"}]}\n";
    EXPECT_EQ(Filter(filter, list + kSentences), kSentences);
    EXPECT_EQ(filter.receivers(), GpsdStream::Receivers::Some);
}

}  // namespace
