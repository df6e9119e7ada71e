// settings.reg shared by programs that save at the same time, and files kept aside:
// nothing the user wrote is lost, nothing good is taken for bad.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "platform/posix/RegistryFile.h"
#include "tests/support/FolderNames.h"
#include "tests/support/TempFolder.h"

namespace {

const wchar_t kKey[] = L"Software\\Zolvet\\Kestrave";
const std::string kBad = "edited by hand\n";

bool Set(SettingsStore& store, SettingsKey key, const wchar_t* name, uint32_t value) {
    const uint8_t data[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), 0, 0};
    return key != kInvalidKey && store.SetValue(key, name, kRegDword, data, sizeof data);
}

// Opens the key for this one value, as every settings operation does.
bool Set(SettingsStore& store, const wchar_t* name, uint32_t value) {
    SettingsKey key = store.CreateKey(kKey);
    const bool stored = Set(store, key, name, value);
    store.CloseKey(key);
    return stored;
}

// -1 when missing.
int Get(SettingsStore& store, const wchar_t* name) {
    SettingsKey key = store.OpenKey(kKey);
    uint8_t data[4] = {};
    uint32_t size = sizeof data;
    const bool found = key != kInvalidKey && store.QueryValue(key, name, nullptr, data, &size) == QueryResult::Success;
    store.CloseKey(key);
    return found ? data[0] | data[1] << 8 : -1;
}

class SettingsFileSafetyTest : public ::testing::Test {
protected:
    RegistryFile Store() {
        return RegistryFile(folder.path, [this](const std::string& text) { warnings.push_back(text); });
    }
    std::string Path(const std::string& name) const { return folder.path + "/" + name; }

    TempFolder folder;
    std::vector<std::string> warnings;
};

TEST_F(SettingsFileSafetyTest, EveryFileNotUnderstoodIsKeptUnderANameOfItsOwn) {
    // A name taken by something else, here a link to a file outside, is passed over.
    folder.Write("outside", "not ours");
    ASSERT_EQ(symlink(Path("outside").c_str(), Path("settings.reg.bad.2").c_str()), 0);
    const std::string kept[] = {"settings.reg.bad", "settings.reg.bad.1", "settings.reg.bad.3"};
    for (const std::string& name : kept) {
        folder.Write("settings.reg", "edited into " + name + "\n");
        warnings.clear();
        RegistryFile store = Store();
        ASSERT_TRUE(Set(store, L"PortNumber", 2));
        EXPECT_EQ(warnings.size(), 2u) << "what is wrong on reading, where it went on saving";
        EXPECT_NE(warnings.back().find("is kept as " + Path(name) + ";"), std::string::npos) << warnings.back();
    }
    for (const std::string& name : kept) EXPECT_EQ(folder.Read(name), "edited into " + name + "\n");
    EXPECT_EQ(folder.Read("outside"), "not ours");
    EXPECT_EQ(FolderNames(folder.path).size(), 6u);
}

// One program reads the file after the user broke it; another, which read it before,
// saves over it; then the first one saves. What it finds then is good, and stays so.
TEST_F(SettingsFileSafetyTest, AGoodFileSavedOverTheBadOneMeanwhileIsNotKeptAsBad) {
    RegistryFile first = Store();
    ASSERT_TRUE(Set(first, L"PortNumber", 1));
    RegistryFile second = Store();
    SettingsKey firstKey = first.CreateKey(kKey);
    SettingsKey secondKey = second.CreateKey(kKey);
    folder.Write("settings.reg", kBad);
    EXPECT_EQ(first.OpenKey(kKey), kInvalidKey);
    ASSERT_TRUE(Set(second, secondKey, L"PortSpeed", 9600));
    ASSERT_TRUE(Set(first, firstKey, L"PortNumber", 2));
    EXPECT_EQ(FolderNames(folder.path), std::set<std::string>{"settings.reg"});
    EXPECT_EQ(Get(second, L"PortNumber"), 2);
}

// Lets another store save completely between this one's write and its rename.
class OvertakenRegistryFile : public RegistryFile {
public:
    OvertakenRegistryFile(const std::string& configDir, RegistryFile& other) : RegistryFile(configDir), other_(other) {}

    bool otherSaved = false;

protected:
    bool ReplaceFile(const char* from, const char* to) override {
        otherSaved = Set(other_, L"PortSpeed", 4800);
        return RegistryFile::ReplaceFile(from, to);
    }

private:
    RegistryFile& other_;
};

TEST_F(SettingsFileSafetyTest, ASaveBetweenAnotherOnesWriteAndRenameDisturbsNeither) {
    // Both read the same bad file. A link planted at the plain temporary name is not
    // written through.
    folder.Write("settings.reg", kBad);
    folder.Write("victim", "not ours");
    ASSERT_EQ(symlink(Path("victim").c_str(), Path("settings.reg.tmp").c_str()), 0);
    RegistryFile other = Store();
    OvertakenRegistryFile store(folder.path, other);
    ASSERT_TRUE(Set(store, L"PortNumber", 3));
    EXPECT_TRUE(store.otherSaved);
    EXPECT_EQ(Get(other, L"PortNumber"), 3) << "the later rename wins";
    EXPECT_EQ(folder.Read("settings.reg.bad"), kBad);
    EXPECT_EQ(folder.Read("victim"), "not ours");
    EXPECT_EQ(FolderNames(folder.path),
              std::set<std::string>({"settings.reg", "settings.reg.bad", "settings.reg.tmp", "victim"}))
        << "the bad file kept once, no temporary file left";
}

// Processes save their own port, speed and folder number as one set, over and over,
// reading between saves, all at once; from no file, or from one not understood.
class SavesAtOnceTest : public SettingsFileSafetyTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SavesAtOnceTest, AllSucceedKeepOnlyTheBadFileAsideAndLeaveOneWholeSet) {
    const bool startsBad = GetParam();
    if (startsBad) folder.Write("settings.reg", kBad);
    constexpr int kProcesses = 6;
    std::vector<pid_t> children;
    for (int process = 1; process <= kProcesses; ++process) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child != 0) {
            children.push_back(child);
            continue;
        }
        // Only the bad file may be warned about: a good one never looks bad.
        int failures = 0;
        RegistryFile store(folder.path, [&](const std::string& text) {
            if (!startsBad || (text.find(" line 1 is not ") == std::string::npos &&
                               text.find("kept as " + Path("settings.reg.bad;")) == std::string::npos)) {
                ++failures;
            }
        });
        for (int round = 0; round < 25; ++round) {
            SettingsKey key = store.CreateKey(kKey);
            if (!Set(store, key, L"PortNumber", process) || !Set(store, key, L"PortSpeed", 1000 * process) ||
                !Set(store, key, L"Folder", 100 * process)) {
                ++failures;
            }
            store.CloseKey(key);
            key = store.OpenKey(kKey);
            if (key == kInvalidKey) ++failures;
            store.CloseKey(key);
        }
        _exit(failures == 0 ? 0 : 1);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save or read failed, or a good file looked bad";
    }
    std::set<std::string> names{"settings.reg"};
    if (startsBad) names.insert("settings.reg.bad");
    EXPECT_EQ(FolderNames(folder.path), names);
    EXPECT_EQ(folder.Read("settings.reg.bad"), startsBad ? kBad : "");
    RegistryFile reader = Store();
    const int process = Get(reader, L"PortNumber");
    EXPECT_TRUE(process >= 1 && process <= kProcesses) << process;
    EXPECT_EQ(Get(reader, L"PortSpeed"), 1000 * process) << "the last save's set, whole";
    EXPECT_EQ(Get(reader, L"Folder"), 100 * process);
}

INSTANTIATE_TEST_SUITE_P(Start, SavesAtOnceTest, ::testing::Bool(), [](const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "FromAFileNotUnderstood" : "FromNoFile";
});

}  // namespace
