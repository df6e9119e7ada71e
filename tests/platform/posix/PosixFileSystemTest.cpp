#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Utf8.h"
#include "platform/posix/PosixFileSystem.h"
#include "tests/support/TempFolder.h"

namespace {

class PosixFileSystemTest : public ::testing::Test {
protected:
    TempFolder temp;
    const std::string root = temp.path;
};

TEST_F(PosixFileSystemTest, DevicePathsLiveBelowTheRootAndHostPathsPassThrough) {
    PosixFileSystem files(root.c_str());
    char host[256];
    ASSERT_TRUE(files.HostPath(L"\\Kestrave\\2009-03-25.plt", host, sizeof host));
    EXPECT_EQ(std::string(host), root + "/Kestrave/2009-03-25.plt");
    ASSERT_TRUE(files.HostPath(L"\\\\2009-03-25.plt", host, sizeof host)) << "the root folder itself";
    EXPECT_EQ(std::string(host), root + "/2009-03-25.plt");
    ASSERT_TRUE(files.HostPath(L"/var/data/drive.nmea", host, sizeof host));
    EXPECT_EQ(std::string(host), "/var/data/drive.nmea");
    ASSERT_TRUE(files.HostPath(L"\\Fahrt\u00e4", host, sizeof host));
    EXPECT_EQ(std::string(host), root + "/Fahrt\xc3\xa4");

    PosixFileSystem slashRoot("/");
    ASSERT_TRUE(slashRoot.HostPath(L"\\tmp", host, sizeof host));
    EXPECT_EQ(std::string(host), "/tmp");
}

TEST_F(PosixFileSystemTest, RefusesPathsThatClimbOutOrDoNotFit) {
    PosixFileSystem files(root.c_str());
    char host[64];
    EXPECT_FALSE(files.HostPath(L"\\..\\etc", host, sizeof host));
    EXPECT_EQ(files.LastError(), static_cast<uint32_t>(EINVAL));
    EXPECT_FALSE(files.HostPath(L"\\a/..\\b", host, sizeof host));
    std::wstring longName(200, L'n');
    EXPECT_FALSE(files.HostPath((L"\\" + longName).c_str(), host, sizeof host));
    EXPECT_EQ(files.LastError(), static_cast<uint32_t>(ENAMETOOLONG));
}

TEST_F(PosixFileSystemTest, FolderCreationOpenAppendSeekAndRead) {
    PosixFileSystem files(root.c_str());
    EXPECT_FALSE(files.FolderExists(L"\\Kestrave"));
    ASSERT_TRUE(files.CreateFolder(L"\\Kestrave"));
    EXPECT_TRUE(files.FolderExists(L"\\Kestrave"));
    EXPECT_FALSE(files.CreateFolder(L"\\Missing\\Deeper")) << "only one level is created";
    EXPECT_EQ(files.LastError(), static_cast<uint32_t>(ENOENT));

    FileHandle file = files.OpenDayFile(L"\\Kestrave\\day.plt", DayFileAccess::Append);
    ASSERT_NE(file, kInvalidFile);
    EXPECT_EQ(files.Size(file), 0u);
    uint32_t count = 0;
    ASSERT_TRUE(files.Write(file, "header\r\n", 8, &count));
    EXPECT_EQ(count, 8u);
    files.Close(file);

    file = files.OpenDayFile(L"\\Kestrave\\day.plt", DayFileAccess::Append);
    EXPECT_EQ(files.SeekFromEnd(file, 0), 8u);
    ASSERT_TRUE(files.Write(file, "line\r\n", 6, &count));
    files.Close(file);

    file = files.OpenExisting(L"\\Kestrave\\day.plt");
    ASSERT_NE(file, kInvalidFile);
    EXPECT_EQ(files.SeekFromEnd(file, -6), 8u);
    char text[16] = {};
    ASSERT_TRUE(files.Read(file, text, sizeof text, &count));
    EXPECT_EQ(std::string(text, count), "line\r\n");
    EXPECT_EQ(files.SeekFromEnd(file, -100), kInvalidSize) << "before the start of the file";
    files.Close(file);

    EXPECT_EQ(files.OpenExisting(L"\\Kestrave\\none.rte"), kInvalidFile);
    EXPECT_EQ(files.LastError(), static_cast<uint32_t>(ENOENT));
    EXPECT_EQ(files.OpenExisting(L"\\Kestrave"), kInvalidFile) << "a folder is not a readable file";
}

// Reads a whole file through the file system in chunks of one size, noting the counts.
std::string ReadInChunks(PosixFileSystem& files, FileHandle file, uint32_t chunk, std::vector<uint32_t>& counts) {
    std::string bytes;
    std::vector<char> buffer(chunk);
    for (;;) {
        uint32_t count = 0;
        EXPECT_TRUE(files.Read(file, buffer.data(), chunk, &count));
        counts.push_back(count);
        if (count == 0) return bytes;
        bytes.append(buffer.data(), count);
    }
}

void WriteHostFile(const std::string& path, const std::string& bytes) {
    FILE* out = fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
    fclose(out);
}

// Large byte strings: says where they part rather than printing them whole.
::testing::AssertionResult SameBytes(const std::string& got, const std::string& want) {
    const auto parted = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    if (parted.first == got.end() && parted.second == want.end()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got.size() << " bytes, want " << want.size()
                                         << "; they part at byte " << (parted.first - got.begin());
}

std::string Pattern(size_t length, unsigned seed) {
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 131 + seed * 7 + i / 977) & 0xFF);
    return bytes;
}

// A replay reads its file 1 KiB at a time, while the system is asked for far more at
// once: the callers must still see the bytes and counts that plain reads give them.
TEST_F(PosixFileSystemTest, ReadAheadGivesTheBytesAndCountsOfPlainReads) {
    const std::string content = Pattern(200000, 1);  // neither a multiple of 1 KiB nor of the read-ahead
    WriteHostFile(root + "/drive.nmea", content);
    for (uint32_t chunk : {1024u, 1000u, 70000u, 1u << 20}) {
        PosixFileSystem files(root.c_str());
        FileHandle file = files.OpenExisting(L"\\drive.nmea");
        ASSERT_NE(file, kInvalidFile);
        std::vector<uint32_t> counts;
        EXPECT_TRUE(SameBytes(ReadInChunks(files, file, chunk, counts), content)) << "chunk " << chunk;
        std::vector<uint32_t> plain;
        for (size_t left = content.size(); left > 0; left -= std::min<size_t>(left, chunk)) {
            plain.push_back(static_cast<uint32_t>(std::min<size_t>(left, chunk)));
        }
        plain.push_back(0);
        EXPECT_EQ(counts, plain) << "chunk " << chunk;
        files.Close(file);
    }
}

TEST_F(PosixFileSystemTest, ReadAheadKeepsFilesApartAndPositionsTrue) {
    const std::string replay = Pattern(150000, 2);
    WriteHostFile(root + "/drive.nmea", replay);
    WriteHostFile(root + "/day.rte", Pattern(5000, 3));
    WriteHostFile(root + "/other.nmea", Pattern(3000, 4));
    PosixFileSystem files(root.c_str());
    FileHandle file = files.OpenExisting(L"\\drive.nmea");
    char chunk[1024];
    uint32_t count = 0;
    ASSERT_TRUE(files.Read(file, chunk, sizeof chunk, &count));

    // A route continued at midnight reads the end of its day file while the replay
    // still has bytes read ahead: both get their own.
    FileHandle day = files.OpenExisting(L"\\day.rte");
    EXPECT_EQ(files.SeekFromEnd(day, -256), 5000u - 256u);
    char tail[256];
    ASSERT_TRUE(files.Read(day, tail, sizeof tail, &count));
    EXPECT_EQ(std::string(tail, count), Pattern(5000, 3).substr(5000 - 256));
    files.Close(day);
    std::vector<uint32_t> counts;
    EXPECT_TRUE(SameBytes(ReadInChunks(files, file, 1024, counts), replay.substr(1024)));
    files.Close(file);

    // A new file may get the closed one's descriptor: it must not see the old bytes.
    file = files.OpenExisting(L"\\drive.nmea");
    ASSERT_TRUE(files.Read(file, chunk, sizeof chunk, &count));
    files.Close(file);
    file = files.OpenExisting(L"\\other.nmea");
    counts.clear();
    EXPECT_TRUE(SameBytes(ReadInChunks(files, file, 1024, counts), Pattern(3000, 4)));
    files.Close(file);

    // Writing after reading appends, and the bytes read ahead are not handed out after
    // it: the position is at the end, as after a plain write.
    file = files.OpenDayFile(L"\\other.nmea", DayFileAccess::Append);
    ASSERT_TRUE(files.Read(file, chunk, 100, &count));
    ASSERT_TRUE(files.Write(file, "XY", 2, &count));
    ASSERT_TRUE(files.Read(file, chunk, 100, &count));
    EXPECT_EQ(count, 0u);
    files.Close(file);
    const std::string expected = Pattern(3000, 4) + "XY";
    file = files.OpenExisting(L"\\other.nmea");
    counts.clear();
    EXPECT_TRUE(SameBytes(ReadInChunks(files, file, 4096, counts), expected));
    files.Close(file);
}

// A recording still being written: bytes added after the end was reached are read later.
TEST_F(PosixFileSystemTest, ReadAheadSeesAFileThatGrows) {
    WriteHostFile(root + "/live.nmea", Pattern(1500, 5));
    PosixFileSystem files(root.c_str());
    FileHandle file = files.OpenExisting(L"\\live.nmea");
    std::vector<uint32_t> counts;
    EXPECT_TRUE(SameBytes(ReadInChunks(files, file, 1024, counts), Pattern(1500, 5)));
    EXPECT_EQ(counts, (std::vector<uint32_t>{1024, 476, 0}));
    FILE* out = fopen((root + "/live.nmea").c_str(), "ab");
    ASSERT_NE(out, nullptr);
    fputs("$GPRMC,more\r\n", out);
    fclose(out);
    counts.clear();
    EXPECT_TRUE(SameBytes(ReadInChunks(files, file, 1024, counts), "$GPRMC,more\r\n"));
    files.Close(file);
}

TEST(Utf8, RoundTripsAndReplacesMalformedBytes) {
    wchar_t wide[16];
    char narrow[32];
    ASSERT_TRUE(Utf8ToWide("K\xc3\xb6ln \xe2\x82\xac \xf0\x9f\x9b\xb0", wide, 16));
    EXPECT_EQ(std::wstring(wide), L"K\u00f6ln \u20ac \U0001F6F0");
    ASSERT_TRUE(WideToUtf8(wide, narrow, sizeof narrow));
    EXPECT_EQ(std::string(narrow), "K\xc3\xb6ln \xe2\x82\xac \xf0\x9f\x9b\xb0");

    ASSERT_TRUE(Utf8ToWide("a\xff" "b\xc3", wide, 16));
    EXPECT_EQ(std::wstring(wide), L"a\uFFFDb\uFFFD");
    EXPECT_FALSE(WideToUtf8(L"\u20ac\u20ac", narrow, 5)) << "cut to fit, never past the end";
    EXPECT_EQ(std::string(narrow), "\xe2\x82\xac");
}

}  // namespace
