#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/services/ConfigDir.h"
#include "platform/posix/RegistryFile.h"
#include "tests/support/FolderNames.h"
#include "tests/support/RegistryBytes.h"
#include "tests/support/TempFolder.h"

namespace {

const wchar_t kKey[] = L"Software\\Zolvet\\Kestrave";
const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";
const std::string kSection = "[HKEY_CURRENT_USER\\Software\\Zolvet\\Kestrave]\n";

struct Value {
    QueryResult result = QueryResult::Missing;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

Value Query(SettingsStore& store, SettingsKey key, const wchar_t* name, uint32_t room = 4096) {
    Value value;
    value.data.resize(room);
    uint32_t size = room;
    value.result = store.QueryValue(key, name, &value.type, value.data.data(), &size);
    value.data.resize(value.result == QueryResult::Success ? size : 0);
    return value;
}

// Opens the key afresh, as every settings operation does.
Value Load(SettingsStore& store, const wchar_t* name) {
    SettingsKey key = store.OpenKey(kKey);
    Value value;
    if (key != kInvalidKey) value = Query(store, key, name);
    store.CloseKey(key);
    return value;
}

bool Store(SettingsStore& store, const wchar_t* name, uint32_t type, const std::vector<uint8_t>& data) {
    SettingsKey key = store.CreateKey(kKey);
    bool stored = key != kInvalidKey && store.SetValue(key, name, type, data.data(), static_cast<uint32_t>(data.size()));
    store.CloseKey(key);
    return stored;
}

class RegistryFileTest : public ::testing::Test {
protected:
    RegistryFile MakeStore() {
        return RegistryFile(folder.path, [this](const std::string& text) { warnings.push_back(text); });
    }

    TempFolder folder;
    std::vector<std::string> warnings;
};

TEST_F(RegistryFileTest, ReadsEveryKindOfValueAsTheRegistryHoldsIt) {
    folder.Write("settings.reg",
                 "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                 "\r\n"
                 "; written by hand\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Zolvet\\Kestrave]\r\n"
                 "\"OutputDir\"=\"\\\\Fahrt \\\"\xC3\xA4\\\" \xF0\x9F\x98\x80\"\r\n"
                 "\"PortNumber\"=dword:0000000A\r\n"
                 "\"Blob\"=hex:01,02,\\\r\n"
                 "  ff\r\n"
                 "\"Path\" = hex(2):25,00,00,00\r\n"
                 "\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                 "@=\"default\"\r\n"
                 "\"Empty\"=hex:\r\n");
    RegistryFile store = MakeStore();
    struct Row {
        const wchar_t* name;
        uint32_t type;
        std::vector<uint8_t> data;
    };
    const Row rows[] = {
        {L"OutputDir", kRegSz, Utf16Bytes(u"\\Fahrt \"\u00e4\" \U0001F600")},
        {L"PortNumber", kRegDword, {0x0a, 0, 0, 0}},
        {L"Blob", kRegBinary, {1, 2, 0xff}},
        {L"Path", kRegExpandSz, {0x25, 0, 0, 0}},
        {L"Big", 11, {1, 0, 0, 0, 0, 0, 0, 0}},
        {L"", kRegSz, Utf16Bytes(u"default")},
        {L"Empty", kRegBinary, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "value \"" << row.name << "\"");
        Value value = Load(store, row.name);
        ASSERT_EQ(value.result, QueryResult::Success);
        EXPECT_EQ(value.type, row.type);
        EXPECT_EQ(value.data, row.data);
    }
    EXPECT_TRUE(warnings.empty());
}

TEST_F(RegistryFileTest, QueriesAndOpensFollowTheRegistryRules) {
    RegistryFile store = MakeStore();
    EXPECT_EQ(store.OpenKey(kKey), kInvalidKey) << "no file yet";
    folder.Write("settings.reg", kHeader + kSection + "\"Name\"=\"abc\"\n");

    SettingsKey key = store.OpenKey(kKey);
    ASSERT_NE(key, kInvalidKey);
    Value small = Query(store, key, L"NAME", 7);
    EXPECT_EQ(small.result, QueryResult::MoreData) << "names ignore case";
    EXPECT_EQ(small.type, kRegSz);
    uint32_t size = 0;
    EXPECT_EQ(store.QueryValue(key, L"Name", nullptr, nullptr, &size), QueryResult::Success);
    EXPECT_EQ(size, 8u) << "the size alone, terminator included";
    EXPECT_EQ(Query(store, key, L"Other").result, QueryResult::Missing);
    store.CloseKey(key);
    EXPECT_EQ(Query(store, key, L"Name").result, QueryResult::Missing) << "a closed handle";

    SettingsKey parent = store.OpenKey(L"software\\zolvet");
    EXPECT_NE(parent, kInvalidKey) << "a key exists when a subkey does";
    store.CloseKey(parent);
    EXPECT_EQ(store.OpenKey(L"Software\\Zolvet\\Kestr"), kInvalidKey);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(RegistryFileTest, WritesTheFileAsRegeditDoesIntoAFolderItCreates) {
    RegistryFile store(folder.path + "/config/kestrave");
    EXPECT_TRUE(Store(store, L"OutputDir", kRegSz, Utf16Bytes(u"\\My \"GPS\"")));
    EXPECT_TRUE(Store(store, L"PortNumber", kRegDword, {0xff, 0xff, 0xff, 0xff}));
    EXPECT_TRUE(Store(store, L"Bin", kRegBinary, {0x00, 0x7f, 0xab}));
    EXPECT_TRUE(Store(store, L"Exp", kRegExpandSz, Utf16Bytes(u"%A")));
    EXPECT_TRUE(Store(store, L"Lines", kRegSz, Utf16Bytes(u"a\nb")));
    EXPECT_TRUE(Store(store, L"", kRegSz, Utf16Bytes(u"x", false)));
    EXPECT_EQ(folder.Read("config/kestrave/settings.reg"),
              kHeader + kSection +
                  "\"OutputDir\"=\"\\\\My \\\"GPS\\\"\"\n"
                  "\"PortNumber\"=dword:ffffffff\n"
                  "\"Bin\"=hex:00,7f,ab\n"
                  "\"Exp\"=hex(2):25,00,41,00,00,00\n"
                  "\"Lines\"=hex(1):61,00,0a,00,62,00,00,00\n"
                  "@=hex(1):78,00\n");
    EXPECT_EQ(FolderNames(folder.path + "/config/kestrave"), std::set<std::string>{"settings.reg"})
        << "no temporary file is left";
}

TEST_F(RegistryFileTest, EveryBlobComesBackUnchangedFromTheFile) {
    std::vector<uint8_t> longData(300);
    for (size_t i = 0; i < longData.size(); ++i) longData[i] = static_cast<uint8_t>(i * 7);
    struct Row {
        uint32_t type;
        std::vector<uint8_t> data;
    };
    const Row rows[] = {
        {kRegSz, {}},
        {kRegSz, {0, 0}},
        {kRegSz, {0x41}},                               // odd size
        {kRegSz, {0x41, 0, 0, 0, 0x42, 0, 0, 0}},       // embedded NUL
        {kRegSz, {0x3d, 0xd8, 0x41, 0, 0, 0}},          // lone surrogate
        {kRegSz, Utf16Bytes(u"tab\there \\ \" \u20ac \U0001F600")},
        {kRegDword, {1, 2}},
        {kRegDword, {1, 2, 3, 4, 5, 6, 7, 8}},
        {0, {}},
        {0xffffffff, {9}},
        {kRegMultiSz, longData},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        RegistryFile writer = MakeStore();
        ASSERT_TRUE(Store(writer, L"V", rows[i].type, rows[i].data));
        RegistryFile reader = MakeStore();
        Value value = Load(reader, L"V");
        ASSERT_EQ(value.result, QueryResult::Success);
        EXPECT_EQ(value.type, rows[i].type);
        EXPECT_EQ(value.data, rows[i].data);
    }
    std::string text = folder.Read("settings.reg");
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        EXPECT_LE(end - start, 80u) << "long hex data is continued on the next line";
    }
    EXPECT_TRUE(warnings.empty());
}

TEST_F(RegistryFileTest, KeepsOtherKeysValuesAndCommentsInTheirPlaces) {
    const std::string before =
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
        "\"PortNumber\"=dword:00000009\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Zolvet\\Kestrave]\r\n"
        "; my receiver\r\n"
        "\"portnumber\"=dword:1\r\n"
        "\"Theme\"=hex:01,\\\r\n"
        "   02\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Zolvet\\Kestrave\\Sub]\r\n"
        "\"PortSpeed\"=dword:00001c20\r\n";
    folder.Write("settings.reg", before);
    RegistryFile store = MakeStore();
    ASSERT_TRUE(Store(store, L"PortNumber", kRegDword, {3, 0, 0, 0}));
    ASSERT_TRUE(Store(store, L"PortSpeed", kRegDword, {0x80, 0x25, 0, 0}));
    EXPECT_EQ(folder.Read("settings.reg"),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Other]\n"
              "\"PortNumber\"=dword:00000009\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Zolvet\\Kestrave]\n"
              "; my receiver\n"
              "\"portnumber\"=dword:00000003\n"
              "\"Theme\"=hex:01,\\\n"
              "   02\n"
              "\"PortSpeed\"=dword:00002580\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Zolvet\\Kestrave\\Sub]\n"
              "\"PortSpeed\"=dword:00001c20\n");
}

// Each of these makes the whole file count as missing; the number is the line blamed.
struct Malformed {
    const char* what;
    std::string text;
    int line;
};

class MalformedFileTest : public RegistryFileTest, public ::testing::WithParamInterface<Malformed> {};

TEST_P(MalformedFileTest, ReadsAsNoKeyWarnsOnceAndIsKeptAsideOnSave) {
    const Malformed& bad = GetParam();
    folder.Write("settings.reg", bad.text);
    RegistryFile store = MakeStore();
    EXPECT_EQ(store.OpenKey(kKey), kInvalidKey);
    EXPECT_EQ(store.OpenKey(kKey), kInvalidKey);
    ASSERT_EQ(warnings.size(), 1u) << "told once, however often it is read";
    EXPECT_NE(warnings[0].find(folder.path + "/settings.reg line " + std::to_string(bad.line) + " is not understood"),
              std::string::npos)
        << warnings[0];
    EXPECT_NE(warnings[0].find("settings.reg.bad"), std::string::npos);

    ASSERT_TRUE(Store(store, L"PortNumber", kRegDword, {2, 0, 0, 0}));
    EXPECT_EQ(folder.Read("settings.reg.bad"), bad.text) << "what the user wrote is not lost";
    EXPECT_EQ(folder.Read("settings.reg"), kHeader + kSection + "\"PortNumber\"=dword:00000002\n");
}

const std::string kTop = kHeader + kSection;

INSTANTIATE_TEST_SUITE_P(
    Inputs, MalformedFileTest,
    ::testing::Values(
        Malformed{"no header", kSection + "\"PortNumber\"=dword:00000001\n", 1},
        Malformed{"UTF-16 as Windows writes it", std::string("\xFF\xFEW\0i\0n\0", 8), 1},
        Malformed{"binary junk", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\xff\xfe\n\x01", 14), 1},
        Malformed{"junk after the header", kHeader + std::string("\x01\0\xff\n", 4), 3},
        Malformed{"value before any key", kHeader + "\"PortNumber\"=dword:00000001\n", 3},
        Malformed{"key without bracket", kHeader + "[HKEY_CURRENT_USER\\Software\n", 3},
        Malformed{"key deletion", kHeader + "[-HKEY_CURRENT_USER\\Software]\n", 3},
        Malformed{"empty dword", kTop + "\"PortNumber\"=dword:\n", 4},
        Malformed{"huge dword", kTop + "\"PortNumber\"=dword:100000000\n", 4},
        Malformed{"dword with a tail", kTop + "\"PortNumber\"=dword:1 2\n", 4},
        Malformed{"bad hex byte", kTop + "\"Blob\"=hex:01,0g\n", 4},
        Malformed{"hex without commas", kTop + "\"Blob\"=hex:01 02\n", 4},
        Malformed{"hex ending in a comma", kTop + "\"Blob\"=hex:01,02,\n", 4},
        Malformed{"truncated continuation", kTop + "\"Blob\"=hex:01,02,\\\n", 4},
        Malformed{"continuation without comma", kTop + "\"Blob\"=hex:01\\\n  02\n", 4},
        Malformed{"bad continued line", kTop + "\"Blob\"=hex:01,\\\n  zz\n", 5},
        Malformed{"bad type number", kTop + "\"Blob\"=hex(zz):00\n", 4},
        Malformed{"huge type number", kTop + "\"Blob\"=hex(100000000):00\n", 4},
        Malformed{"single backslash", kTop + "\"OutputDir\"=\"\\Kestrave\"\n", 4},
        Malformed{"truncated string", kTop + "\"OutputDir\"=\"\\\\Kest", 4},
        Malformed{"text after string", kTop + "\"OutputDir\"=\"\\\\K\" x\n", 4},
        Malformed{"not UTF-8", kTop + "\"OutputDir\"=\"\\\\Fahrt\xE4\"\n", 4},
        Malformed{"control character", kTop + "\"OutputDir\"=\"a\x01\"\n", 4},
        Malformed{"name without value", kTop + "\"OutputDir\"\n", 4},
        Malformed{"value deletion", kTop + "\"OutputDir\"=-\n", 4},
        Malformed{"plain words", kTop + "PortNumber=1\n", 4}),
    [](const ::testing::TestParamInfo<Malformed>& info) {
        std::string name;
        for (const char* p = info.param.what; *p != '\0'; ++p) {
            if (isalnum(static_cast<unsigned char>(*p))) name += *p;
        }
        return name;
    });

TEST_F(RegistryFileTest, AFileThatCannotBeReadCountsAsMissing) {
    ASSERT_EQ(mkdir((folder.path + "/settings.reg").c_str(), 0700), 0);
    RegistryFile store = MakeStore();
    EXPECT_EQ(store.OpenKey(kKey), kInvalidKey);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("cannot read the settings file"), std::string::npos) << warnings[0];

    ASSERT_EQ(rmdir((folder.path + "/settings.reg").c_str()), 0);
    folder.Write("settings.reg", kTop + std::string(2 << 20, ';'));
    EXPECT_EQ(store.OpenKey(kKey), kInvalidKey) << "a file of megabytes is not a settings file";
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[1].find("too large"), std::string::npos) << warnings[1];
}

// Stops a save at its last step, after looking at both files at that moment.
class InterruptedRegistryFile : public RegistryFile {
public:
    using RegistryFile::RegistryFile;

    bool failRename = true;
    std::string temporaryText;
    std::string oldText;

protected:
    bool ReplaceFile(const char* from, const char* to) override {
        temporaryText = ReadFile(from);
        oldText = ReadFile(to);
        if (!failRename) return RegistryFile::ReplaceFile(from, to);
        errno = EIO;
        return false;
    }
};

TEST_F(RegistryFileTest, ASaveInterruptedBeforeTheRenameLeavesTheOldFile) {
    const std::string old = kTop + "\"PortNumber\"=dword:00000001\n";
    folder.Write("settings.reg", old);
    InterruptedRegistryFile store(folder.path, [this](const std::string& text) { warnings.push_back(text); });
    SettingsKey key = store.CreateKey(kKey);
    ASSERT_NE(key, kInvalidKey);
    uint8_t three[4] = {3, 0, 0, 0};
    EXPECT_FALSE(store.SetValue(key, L"PortNumber", kRegDword, three, 4));

    EXPECT_EQ(store.temporaryText, kTop + "\"PortNumber\"=dword:00000003\n") << "written whole before the rename";
    EXPECT_EQ(store.oldText, old);
    EXPECT_EQ(folder.Read("settings.reg"), old);
    EXPECT_EQ(FolderNames(folder.path), std::set<std::string>{"settings.reg"}) << "the temporary file is removed";
    EXPECT_EQ(Query(store, key, L"PortNumber").data, std::vector<uint8_t>({1, 0, 0, 0}))
        << "what was not saved is not seen either";
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("cannot save the settings"), std::string::npos) << warnings[0];

    store.failRename = false;
    EXPECT_TRUE(store.SetValue(key, L"PortNumber", kRegDword, three, 4));
    EXPECT_EQ(folder.Read("settings.reg"), store.temporaryText);
    store.CloseKey(key);
}

TEST_F(RegistryFileTest, AConfigFolderThatCannotBeMadeRefusesTheKey) {
    folder.Write("plain", "a file, not a folder");
    RegistryFile store(folder.path + "/plain/kestrave", [this](const std::string& text) { warnings.push_back(text); });
    EXPECT_EQ(store.CreateKey(kKey), kInvalidKey);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("--config DIR"), std::string::npos) << warnings[0];

    RegistryFile nowhere("");
    EXPECT_EQ(nowhere.CreateKey(kKey), kInvalidKey);
    EXPECT_EQ(nowhere.OpenKey(kKey), kInvalidKey);
}

TEST(ConfigDirTest, FollowsXdgConfigHomeElseTheHomeFolder) {
    const char* savedXdg = getenv("XDG_CONFIG_HOME");
    const std::string xdg = savedXdg != nullptr ? savedXdg : "";
    const std::string home = HomeFolder();

    setenv("XDG_CONFIG_HOME", "/etc/xdg-user", 1);
    EXPECT_EQ(DefaultConfigDir(), "/etc/xdg-user/kestrave");
    setenv("XDG_CONFIG_HOME", "relative/path", 1);
    EXPECT_EQ(DefaultConfigDir(), home + "/.config/kestrave") << "a relative path is ignored";
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(DefaultConfigDir(), home + "/.config/kestrave");

    if (savedXdg != nullptr) setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
}

}  // namespace
