#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string>

#include "platform/posix/PosixFileSystem.h"
#include "tests/support/TempFolder.h"

namespace {

// Every entry a listing tells, with whether it came as a folder.
class EntryMap : public FolderVisitor {
public:
    void OnEntry(const wchar_t* name, bool isFolder) override { entries[name] = isFolder; }
    std::map<std::wstring, bool> entries;
};

TEST(PosixListEntriesTest, TellsFoldersLinksToFoldersAndFilesButNotDotEntries) {
    TempFolder temp;
    ASSERT_EQ(mkdir((temp.path + "/Kestrave").c_str(), 0777), 0);
    temp.Write("drive.nmea", "$GPRMC\r\n");
    ASSERT_EQ(symlink((temp.path + "/Kestrave").c_str(), (temp.path + "/to-folder").c_str()), 0);
    ASSERT_EQ(symlink((temp.path + "/drive.nmea").c_str(), (temp.path + "/to-file").c_str()), 0);
    const std::map<std::wstring, bool> want{
        {L"Kestrave", true}, {L"drive.nmea", false}, {L"to-folder", true}, {L"to-file", false}};

    PosixFileSystem files(temp.path.c_str());
    EntryMap device;
    ASSERT_TRUE(files.ListEntries(L"", device)) << "the empty path is the device root";
    EXPECT_EQ(device.entries, want);

    PosixFileSystem elsewhere("/");
    std::wstring host(temp.path.begin(), temp.path.end());
    EntryMap byHostPath;
    ASSERT_TRUE(elsewhere.ListEntries(host.c_str(), byHostPath));
    EXPECT_EQ(byHostPath.entries, want);

    EntryMap none;
    EXPECT_FALSE(elsewhere.ListEntries((host + L"/gone").c_str(), none));
    EXPECT_EQ(elsewhere.LastError(), static_cast<uint32_t>(ENOENT));
    EXPECT_TRUE(none.entries.empty());
}

}  // namespace
