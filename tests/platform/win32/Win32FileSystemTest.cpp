#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "platform/win32/Win32FileSystem.h"
#include "tests/support/ReadFile.h"

namespace {

// A fresh folder below the temporary folder, removed with its contents at the end.
struct HostFolder {
    HostFolder() {
        static int count = 0;
        path = std::filesystem::temp_directory_path().wstring() + L"kestrave-test-" +
               std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count);
        std::filesystem::remove_all(path);
        EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    }
    ~HostFolder() { std::filesystem::remove_all(path); }
    std::string Read(const std::wstring& name) const { return ReadFile(path + name); }
    std::wstring path;
};

struct Names : FolderVisitor {
    void OnEntry(const wchar_t* name, bool isFolder) override { found[name] = isFolder; }
    std::map<std::wstring, bool> found;
};

std::wstring Described(FileSystem& files) {
    wchar_t words[256];
    files.DescribeError(files.LastError(), words, 256);
    return words;
}

class Win32FileSystemTest : public ::testing::Test {
protected:
    bool Append(FileSystem& on, const wchar_t* path, const char* bytes) {
        const FileHandle file = on.OpenDayFile(path, DayFileAccess::Append);
        uint32_t count = 0;
        const bool written = file != kInvalidFile && on.Write(file, bytes, static_cast<uint32_t>(strlen(bytes)), &count);
        return on.Close(file) && written && count == strlen(bytes);
    }

    HostFolder folder;  // outlives the file systems, which close their files first
    Win32FileSystem files{folder.path.c_str()};
    Win32FileSystem otherRecorder{folder.path.c_str()};
};

TEST_F(Win32FileSystemTest, DevicePathsLiveBelowTheRoot) {
    wchar_t host[Win32FileSystem::kHostPathChars];
    ASSERT_TRUE(files.HostPath(L"\\Kestrave\\\\2009-03-25.plt", host, Win32FileSystem::kHostPathChars));
    EXPECT_EQ(std::wstring(host), folder.path + L"\\Kestrave\\2009-03-25.plt");
    ASSERT_TRUE(files.HostPath(L"\\", host, Win32FileSystem::kHostPathChars));
    EXPECT_EQ(std::wstring(host), folder.path);
    ASSERT_TRUE(files.HostPath(L"C:\\data\\drive.nmea", host, Win32FileSystem::kHostPathChars));
    EXPECT_EQ(std::wstring(host), L"C:\\data\\drive.nmea");
    EXPECT_FALSE(files.HostPath(L"\\Kestrave\\..\\..\\secret", host, Win32FileSystem::kHostPathChars));
    EXPECT_FALSE(files.HostPath(L"\\a/../..", host, Win32FileSystem::kHostPathChars));
    EXPECT_FALSE(files.HostPath(L"\\Kestrave", host, static_cast<int>(folder.path.size()) + 9));
    ASSERT_TRUE(files.HostPath(L"\\Kestrave", host, static_cast<int>(folder.path.size()) + 10));

    Win32FileSystem device(L"");
    ASSERT_TRUE(device.HostPath(L"\\Kestrave", host, Win32FileSystem::kHostPathChars));
    EXPECT_EQ(std::wstring(host), L"\\Kestrave");

    ASSERT_TRUE(files.CreateFolder(L"\\Kestrave"));
    EXPECT_TRUE(files.FolderExists(L"\\Kestrave"));
    EXPECT_FALSE(files.CreateFolder(L"\\Kestrave"));
    EXPECT_EQ(files.LastError(), static_cast<uint32_t>(ERROR_ALREADY_EXISTS));
    ASSERT_TRUE(Append(files, L"\\Kestrave\\2009-03-25.plt", "line\r\n"));
    EXPECT_EQ(folder.Read(L"\\Kestrave\\2009-03-25.plt"), "line\r\n");
    EXPECT_FALSE(files.FolderExists(L"\\Kestrave\\2009-03-25.plt"));
}

TEST_F(Win32FileSystemTest, DayFilesGrowAtTheirEnd) {
    const wchar_t* path = L"\\day.plt";
    ASSERT_TRUE(Append(files, path, "ab"));
    const FileHandle file = files.OpenDayFile(path, DayFileAccess::Append);
    ASSERT_NE(file, kInvalidFile);
    EXPECT_EQ(files.Size(file), 2u);
    // Moved back to look at the last bytes, a write still lands at the end.
    EXPECT_EQ(files.SeekFromEnd(file, -2), 0u);
    char last = 0;
    uint32_t count = 0;
    ASSERT_TRUE(files.Read(file, &last, 1, &count));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(last, 'a');
    ASSERT_TRUE(files.Write(file, "cdef", 4, &count));
    ASSERT_TRUE(files.Truncate(file, 4));
    EXPECT_EQ(files.Size(file), 4u);
    EXPECT_TRUE(files.Sync(file));
    EXPECT_TRUE(files.Close(file));
    EXPECT_EQ(folder.Read(L"\\day.plt"), "abcd");
}

TEST_F(Win32FileSystemTest, RecordersOnOneFolderTakeTurns) {
    const wchar_t* path = L"\\day.plt";
    FileHandle held = otherRecorder.OpenDayFile(path, DayFileAccess::Append);
    ASSERT_NE(held, kInvalidFile);
    // Let go while the open below waits: it gets the file.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        otherRecorder.Close(held);
    });
    const FileHandle file = files.OpenDayFile(path, DayFileAccess::Append);
    release.join();
    ASSERT_NE(file, kInvalidFile);

    // Held throughout: both an appender and a reader give up, after a wait, with the reason.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(otherRecorder.OpenDayFile(path, DayFileAccess::Append), kInvalidFile);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(otherRecorder.LastError(), static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(Described(otherRecorder).empty());
    EXPECT_EQ(otherRecorder.OpenDayFile(path, DayFileAccess::Read), kInvalidFile);
    files.Close(file);
    // Readers share, and keep an appender out.
    const FileHandle reader = files.OpenDayFile(path, DayFileAccess::Read);
    EXPECT_NE(otherRecorder.OpenDayFile(path, DayFileAccess::Read), kInvalidFile);
    EXPECT_EQ(otherRecorder.OpenDayFile(path, DayFileAccess::Append), kInvalidFile);
    files.Close(reader);
}

TEST_F(Win32FileSystemTest, RefusesWhatIsNoPlainFileOfItsOwn) {
    ASSERT_TRUE(files.CreateFolder(L"\\folder"));
    EXPECT_EQ(files.OpenDayFile(L"\\folder", DayFileAccess::Append), kInvalidFile);
    EXPECT_EQ(Described(files), L"it is a folder, not a file");
    EXPECT_EQ(files.OpenExisting(L"\\folder"), kInvalidFile);
    EXPECT_EQ(Described(files), L"it is a folder, not a file");

    ASSERT_TRUE(Append(files, L"\\day.plt", "x"));
    ASSERT_TRUE(CreateHardLinkW((folder.path + L"\\second.plt").c_str(), (folder.path + L"\\day.plt").c_str(), nullptr));
    EXPECT_EQ(files.OpenDayFile(L"\\day.plt", DayFileAccess::Append), kInvalidFile);
    EXPECT_EQ(Described(files), L"it is a link, and day files are never written through one");
    EXPECT_EQ(folder.Read(L"\\day.plt"), "x");
}

TEST_F(Win32FileSystemTest, ListsFilesAndFoldersAndExplainsFailures) {
    ASSERT_TRUE(files.CreateFolder(L"\\a"));
    ASSERT_TRUE(files.CreateFolder(L"\\a\\sub"));
    ASSERT_TRUE(Append(files, L"\\a\\x.plt", "x"));
    Names inA;
    ASSERT_TRUE(files.ListEntries(L"\\a", inA));
    EXPECT_EQ(inA.found, (std::map<std::wstring, bool>{{L"sub", true}, {L"x.plt", false}}));
    Names atRoot;
    ASSERT_TRUE(files.ListEntries(L"", atRoot));
    EXPECT_EQ(atRoot.found, (std::map<std::wstring, bool>{{L"a", true}}));
    Names empty;
    ASSERT_TRUE(files.ListEntries(L"\\a\\sub", empty));
    EXPECT_TRUE(empty.found.empty());
    EXPECT_FALSE(files.ListEntries(L"\\missing", empty));

    EXPECT_EQ(files.OpenExisting(L"\\a\\missing.nmea"), kInvalidFile);
    EXPECT_EQ(files.LastError(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    // The system's words, ready to stand inside a sentence.
    const std::wstring words = Described(files);
    EXPECT_GT(words.size(), 5u);
    EXPECT_EQ(words.find_first_of(L".\r\n"), std::wstring::npos) << std::string(words.begin(), words.end());
    EXPECT_NE(words.rfind(L"error ", 0), 0u);

    wchar_t shown[kDisplayPathChars];
    files.DisplayPath(L"\\a\\missing.nmea", shown, kDisplayPathChars);
    EXPECT_EQ(std::wstring(shown), folder.path + L"\\a\\missing.nmea");
}

}  // namespace
