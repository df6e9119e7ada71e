#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/Utf16.h"
#include "platform/win32/Win32Registry.h"
#include "shell/Settings.h"
#include "tests/support/ProcessingRig.h"

namespace {

const std::wstring kTestKey = L"Software\\Zolvet\\KestraveTest" + std::to_wstring(GetCurrentProcessId());
const wchar_t* const kProgramKey = L"Software\\Zolvet\\Kestrave";

bool KeyExists(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

TEST(Win32Registry, KeepsTheRegistrysOwnBytes) {
    Win32Registry store;
    EXPECT_EQ(store.OpenKey(kTestKey.c_str()), kInvalidKey);
    const SettingsKey key = store.CreateKey(kTestKey.c_str());
    ASSERT_NE(key, kInvalidKey);

    uint8_t dword[4];
    PutDword(0xFFFFFFFF, dword);
    ASSERT_TRUE(store.SetValue(key, L"PortNumber", kRegDword, dword, 4));
    uint8_t folder[64];
    const int32_t folderBytes = WideToUtf16Le(L"\\Kestrave", folder, sizeof folder);
    ASSERT_TRUE(store.SetValue(key, L"OutputDir", kRegSz, folder, static_cast<uint32_t>(folderBytes)));
    store.CloseKey(key);

    const SettingsKey again = store.OpenKey(kTestKey.c_str());
    ASSERT_NE(again, kInvalidKey);
    uint8_t read[64] = {};
    uint32_t type = 0;
    uint32_t size = 4;
    ASSERT_EQ(store.QueryValue(again, L"PortNumber", &type, read, &size), QueryResult::Success);
    EXPECT_EQ(type, kRegDword);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(GetDword(read), 0xFFFFFFFFu);

    size = 4;
    EXPECT_EQ(store.QueryValue(again, L"OutputDir", &type, read, &size), QueryResult::MoreData);
    EXPECT_EQ(size, 20u);
    size = sizeof read;
    ASSERT_EQ(store.QueryValue(again, L"OutputDir", &type, read, &size), QueryResult::Success);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(read), size), std::string(reinterpret_cast<char*>(folder), 20));

    size = sizeof read;
    EXPECT_EQ(store.QueryValue(again, L"PortSpeed", &type, read, &size), QueryResult::Missing);
    store.CloseKey(again);
    EXPECT_EQ(store.QueryValue(again, L"PortNumber", &type, read, &size), QueryResult::Missing);
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey.c_str()), ERROR_SUCCESS);
}

// The program's own key: only where it is not there yet (a fresh prefix), and removed again.
TEST(Win32Registry, SettingsSurviveARestart) {
    if (KeyExists(kProgramKey)) GTEST_SKIP() << "this user has Kestrave settings; they are left alone";
    struct Run : WriterRig {
        Win32Registry store;
        int32_t portNumber = 1;
        int32_t portSpeed = 4800;
        struct : SentenceSink {
            void ProcessSentence(const char*) override {}
        } sentences;
        SentenceAssembler assembler{sentences};
        Settings settings{store, portNumber, portSpeed, track, routeWriter, assembler};
    };
    {
        Run first;
        EXPECT_EQ(first.settings.LoadOutputDir(), Settings::kNoKey);
        first.portNumber = 12;
        first.portSpeed = 115200;
        first.settings.SavePort();
        first.settings.SaveOutputDir(L"\\Storage Card\\Tracks");
    }
    Run second;
    second.settings.LoadPort();
    EXPECT_EQ(second.portNumber, 12);
    EXPECT_EQ(second.portSpeed, 115200);
    ASSERT_EQ(second.settings.LoadOutputDir(), Settings::kOutputDirLoaded);
    wchar_t folder[kFolderChars];
    second.track.GetFolder(folder);
    EXPECT_STREQ(folder, L"\\Storage Card\\Tracks");
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey), ERROR_SUCCESS);
}

}  // namespace
