#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

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

    FileHandle file = files.OpenAlways(L"\\Kestrave\\day.plt");
    ASSERT_NE(file, kInvalidFile);
    EXPECT_EQ(files.Size(file), 0u);
    uint32_t count = 0;
    ASSERT_TRUE(files.Write(file, "header\r\n", 8, &count));
    EXPECT_EQ(count, 8u);
    files.Close(file);

    file = files.OpenAlways(L"\\Kestrave\\day.plt");
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
