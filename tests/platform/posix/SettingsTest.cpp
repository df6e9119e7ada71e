#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RegistryBytes.h"
#include "tests/support/SettingsRig.h"
#include "tests/support/TempFolder.h"

namespace {

const wchar_t kKey[] = L"Software\\Zolvet\\Kestrave";

// One program's worth of settings owners, on a settings file in its own folder.
struct Rig : SettingsRig {
    explicit Rig(const std::string& configDir) : SettingsRig(configDir, 1, 4800) {}

    void Put(const wchar_t* name, uint32_t type, const std::vector<uint8_t>& data) {
        SettingsKey key = store.CreateKey(kKey);
        ASSERT_NE(key, kInvalidKey);
        ASSERT_TRUE(store.SetValue(key, name, type, data.data(), static_cast<uint32_t>(data.size())));
        store.CloseKey(key);
    }
};

std::vector<uint8_t> Dword(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

TEST(SettingsTest, FirstStartWithoutKeyKeepsTheDefaultsAndAsksForAFolder) {
    TempFolder folder;
    Rig rig(folder.path);
    rig.settings.LoadPort();
    EXPECT_EQ(rig.portNumber, 1);
    EXPECT_EQ(rig.portSpeed, 4800);
    EXPECT_EQ(rig.settings.LoadOutputDir(), Settings::kNoKey);
    EXPECT_EQ(rig.TrackFolder(), L"\\Kestrave");
}

TEST(SettingsTest, PortValuesCountOnlyAsDwordsOfFourBytes) {
    struct Row {
        const char* what;
        uint32_t type;
        std::vector<uint8_t> data;
        int32_t portNumber;
    };
    const Row rows[] = {
        {"COM3", kRegDword, Dword(3), 3},
        {"no port", kRegDword, Dword(0xFFFFFFFF), -1},
        {"out of the menu's range, used unchanged", kRegDword, Dword(99), 99},
        {"a string", kRegSz, Utf16Bytes(u"3"), 1},
        {"an empty string", kRegSz, Utf16Bytes(u""), 1},
        {"two bytes of dword type", kRegDword, {3, 0}, 1},
        {"eight bytes of dword type", kRegDword, {3, 0, 0, 0, 0, 0, 0, 0}, 1},
        {"four bytes of binary type", kRegBinary, Dword(3), 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder folder;
        Rig rig(folder.path);
        rig.Put(L"PortNumber", row.type, row.data);
        rig.settings.LoadPort();
        EXPECT_EQ(rig.portNumber, row.portNumber);
        EXPECT_EQ(rig.portSpeed, 4800) << "a missing speed keeps its value";
    }

    TempFolder folder;
    Rig rig(folder.path);
    rig.Put(L"PortSpeed", kRegDword, Dword(1200));
    rig.settings.LoadPort();
    EXPECT_EQ(rig.portSpeed, 1200) << "no check against the menu's speeds";
    EXPECT_EQ(rig.portNumber, 1);
}

// Values no port or speed can be are read as missing, and named once in words.
TEST(SettingsTest, AStoredPortOrSpeedNoPortTakesIsNamedAndLeftAlone) {
    TempFolder folder;
    Rig rig(folder.path);
    rig.Put(L"PortNumber", kRegDword, Dword(0xFFFFFFFE));
    rig.Put(L"PortSpeed", kRegDword, Dword(0xFFFFFFFF));
    rig.settings.LoadPort();
    EXPECT_EQ(rig.portNumber, 1);
    EXPECT_EQ(rig.portSpeed, 4800);
    const std::wstring said = rig.settings.PortProblem();
    EXPECT_NE(said.find(L"The setting PortNumber is -2 (0xFFFFFFFE), which no port takes; 1 is used."),
              std::wstring::npos);
    EXPECT_NE(said.find(L"The setting PortSpeed is -1 (0xFFFFFFFF), which no port takes; 4800 is used."),
              std::wstring::npos);
    rig.Put(L"PortNumber", kRegDword, Dword(7));
    rig.Put(L"PortSpeed", kRegDword, Dword(9600));
    rig.settings.LoadPort();
    EXPECT_EQ(rig.portNumber, 7);
    EXPECT_EQ(rig.portSpeed, 9600);
    EXPECT_STREQ(rig.settings.PortProblem(), L"");
}

TEST(SettingsTest, GpsOnlyIsOneDwordOfOne) {
    struct Row {
        const char* what;
        bool put;
        std::vector<uint8_t> data;
        TalkerSet talkers;
    };
    const Row rows[] = {
        {"missing", false, {}, TalkerSet::AllGnss},
        {"0", true, Dword(0), TalkerSet::AllGnss},
        {"1", true, Dword(1), TalkerSet::GpsOnly},
        {"2", true, Dword(2), TalkerSet::AllGnss},
        {"two bytes", true, {1, 0}, TalkerSet::AllGnss},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder folder;
        Rig rig(folder.path);
        rig.assembler.SetTalkers(TalkerSet::GpsOnly == row.talkers ? TalkerSet::AllGnss : TalkerSet::GpsOnly);
        if (row.put) rig.Put(L"GpsOnly", kRegDword, row.data);
        rig.settings.LoadTalkers();
        EXPECT_EQ(rig.assembler.Talkers(), row.talkers);
    }
}

TEST(SettingsTest, OutputDirIsTakenOnlyAsRootedTextThatFits) {
    const std::u16string longest = u"\\" + std::u16string(258, u'd');
    struct Row {
        const char* what;
        uint32_t type;
        std::vector<uint8_t> data;
        int code;
        std::wstring folder;  // both writers' folder afterwards
    };
    const Row rows[] = {
        {"a folder", kRegSz, Utf16Bytes(u"\\Storage Card\\GPS"), Settings::kOutputDirLoaded, L"\\Storage Card\\GPS"},
        {"the device root", kRegSz, Utf16Bytes(u"\\"), Settings::kOutputDirLoaded, L"\\"},
        {"beyond the 16-bit plane", kRegSz, Utf16Bytes(u"\\Fahrt\U0001F697"), Settings::kOutputDirLoaded,
         L"\\Fahrt\U0001F697"},
        {"259 characters", kRegSz, Utf16Bytes(longest), Settings::kOutputDirLoaded,
         L"\\" + std::wstring(258, L'd')},
        {"260 characters", kRegSz, Utf16Bytes(longest + u"d"), Settings::kOutputDirUnsafe, L"\\Kestrave"},
        {"260 characters without terminator, cut to 259", kRegSz, Utf16Bytes(longest + u"d", false),
         Settings::kOutputDirLoaded, L"\\" + std::wstring(258, L'd')},
        {"a drive letter", kRegSz, Utf16Bytes(u"C:\\GPS"), Settings::kOutputDirNotRooted, L"\\Kestrave"},
        {"empty", kRegSz, Utf16Bytes(u""), Settings::kOutputDirNotRooted, L"\\Kestrave"},
        {"expandable string", kRegExpandSz, Utf16Bytes(u"\\GPS"), Settings::kOutputDirUnreadable, L"\\Kestrave"},
        {"multi-string", kRegMultiSz, Utf16Bytes(u"\\GPS"), Settings::kOutputDirUnreadable, L"\\Kestrave"},
        {"binary", kRegBinary, Utf16Bytes(u"\\GPS"), Settings::kOutputDirUnreadable, L"\\Kestrave"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder folder;
        Rig rig(folder.path);
        rig.Put(L"OutputDir", row.type, row.data);
        EXPECT_EQ(rig.settings.LoadOutputDir(), row.code);
        EXPECT_EQ(rig.TrackFolder(), row.folder);
    }

    TempFolder folder;
    Rig rig(folder.path);
    rig.Put(L"PortNumber", kRegDword, Dword(3));
    EXPECT_EQ(rig.settings.LoadOutputDir(), Settings::kOutputDirUnreadable) << "key without the value";
}

TEST(SettingsTest, AFolderThatCouldLeadElsewhereIsRefusedWithItsReason) {
    const wchar_t* dots = L"a folder in it is named \".\" or \"..\"";
    const wchar_t* slash = L"it holds a \"/\"";
    struct Row {
        std::u16string folder;
        const wchar_t* reason;  // nullptr: taken as it stands
    };
    const Row rows[] = {
        {u"\\..\\etc", dots}, {u"\\..", dots}, {u"\\GPS\\..\\..\\etc", dots}, {u"\\GPS\\..", dots},
        {u"\\.\\GPS", dots},  {u"\\GPS\\.", dots}, {u"\\GPS/Day", slash}, {u"\\/etc", slash},
        {u"\\...", nullptr}, {u"\\..GPS", nullptr}, {u"\\GPS..", nullptr}, {u"\\.hidden", nullptr},
        {u"\\GPS\\\\Day", nullptr}, {u"\\GPS\\", nullptr},
    };
    for (const Row& row : rows) {
        const std::wstring stored(row.folder.begin(), row.folder.end());
        SCOPED_TRACE(testing::Message() << "folder " << stored);
        TempFolder folder;
        Rig rig(folder.path);
        rig.Put(L"OutputDir", kRegSz, Utf16Bytes(row.folder));
        if (row.reason == nullptr) {
            EXPECT_EQ(rig.settings.LoadOutputDir(), Settings::kOutputDirLoaded);
            EXPECT_EQ(rig.TrackFolder(), stored);
            continue;
        }
        EXPECT_EQ(rig.settings.LoadOutputDir(), Settings::kOutputDirUnsafe);
        EXPECT_EQ(rig.TrackFolder(), L"\\Kestrave");
        const std::wstring problem = rig.settings.OutputDirProblem();
        EXPECT_EQ(problem.rfind(stored + L" is not usable: " + row.reason, 0), 0u) << problem;
    }
}

TEST(SettingsTest, SavedFolderIsUtf16WithItsTerminator) {
    TempFolder folder;
    Rig rig(folder.path);
    rig.settings.SaveOutputDir(L"\\Storage Card\\GPS");
    SettingsKey key = rig.store.OpenKey(kKey);
    uint32_t type = 0;
    uint32_t size = 0;
    EXPECT_EQ(rig.store.QueryValue(key, L"OutputDir", &type, nullptr, &size), QueryResult::Success);
    rig.store.CloseKey(key);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(size, 36u) << "17 characters and the terminator, two bytes each";
    EXPECT_NE(folder.Read("settings.reg").find("\"OutputDir\"=\"\\\\Storage Card\\\\GPS\"\n"), std::string::npos);
}

TEST(SettingsTest, PortAndFolderSurviveARestart) {
    TempFolder folder;
    {
        Rig before(folder.path);
        before.portNumber = 3;
        before.portSpeed = 9600;
        before.settings.SavePort();
        before.settings.SaveOutputDir(L"\\Fahrt\U0001F697");
        before.portNumber = -1;
        before.settings.SavePort();
    }
    Rig after(folder.path);
    after.settings.LoadPort();
    EXPECT_EQ(after.portNumber, -1);
    EXPECT_EQ(after.portSpeed, 9600);
    EXPECT_EQ(after.settings.LoadOutputDir(), Settings::kOutputDirLoaded);
    EXPECT_EQ(after.TrackFolder(), L"\\Fahrt\U0001F697");
}

TEST(SettingsTest, NowhereToSaveLeavesEverythingAsItWas) {
    TempFolder folder;
    folder.Write("plain", "a file where the settings folder should be");
    Rig rig(folder.path + "/plain");
    rig.portNumber = 5;
    rig.settings.SavePort();
    rig.settings.SaveOutputDir(L"\\GPS");
    rig.settings.LoadPort();
    EXPECT_EQ(rig.portNumber, 5);
    EXPECT_EQ(rig.settings.LoadOutputDir(), Settings::kNoKey);
}

}  // namespace
