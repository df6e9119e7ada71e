// Which point a day file ends with, read from its last bytes as the writers see them.
#include <gtest/gtest.h>

#include <cstring>

#include "output/DayFileEnds.h"

namespace {

constexpr int kTrackField = 4;
const char kTrack[] = "0          \r\n"
                      "55.75000000, 37.61660000,0, 492.13, 39897.51233796, 25.03.09, 12:17:46\r\n";

int64_t Last(const char* text, bool fromFileStart = false) {
    return DayFileEnds::LastLineStamp(text, strlen(text), kTrackField, fromFileStart);
}

TEST(DayFileEnds, TheLastWholeLineCountsAndACutOneDoesNot) {
    EXPECT_EQ(Last(kTrack), 3989751233796);
    const std::string cut = std::string(kTrack) + "55.75000000, 37.61660000,0, 492.13, 39897.5124";
    EXPECT_EQ(Last(cut.c_str()), 3989751233796) << "a cut last line never reached the file whole";
    // Only a line that starts in the bytes read counts, unless they are the whole file.
    const char* alone = "55.75000000, 37.61660000,0, 492.13, 39897.51233796, 25.03.09, 12:17:46\r\n";
    EXPECT_EQ(Last(alone), DayFileEnds::kNone);
    EXPECT_EQ(Last(alone, true), 3989751233796);
    const struct {
        const char* text;
        const char* why;
    } none[] = {
        {"", "empty"},
        {"0,3,255,Track-2009-03-25,0,0,0,255\r\n0          \r\n", "a header only"},
        {"\r\n1, 2, 0, 3, 39897.5123379\r\n", "seven decimals"},
        {"\r\n1, 2, 0, 3, 39897.512337961\r\n", "nine decimals"},
        {"\r\n1, 2, 0, 3, -39897.51233796\r\n", "a sign"},
        {"\r\n1, 2, 0, 3\r\n", "too few fields"},
    };
    for (const auto& c : none) EXPECT_EQ(Last(c.text), DayFileEnds::kNone) << c.why;
}

TEST(DayFileEnds, AStampKeyIsWhatTheLineShowsAndTheOldestDayMakesRoom) {
    EXPECT_EQ(DayFileEnds::KeyOf(39897.51233796), 3989751233796);
    EXPECT_EQ(DayFileEnds::KeyOf(39897.512337964), 3989751233796) << "as eight decimals round it";
    DayFileEnds ends;
    for (int32_t day = 0; day < 17; ++day) ends.Remember(day, day * 10);
    int64_t stamp = 0;
    EXPECT_FALSE(ends.Find(0, &stamp));
    ASSERT_TRUE(ends.Find(16, &stamp));
    EXPECT_EQ(stamp, 160);
    ASSERT_TRUE(ends.Find(1, &stamp));
    ends.Forget();
    EXPECT_FALSE(ends.Find(16, &stamp));
}

}  // namespace
