#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTargets.h"
#include "shell/Settings.h"
#include "tests/support/SettingsRig.h"

namespace {

const char* const kFileNames[] = {"settings.reg", "settings.reg.bad"};

char configDir[64];

void RemoveConfigDir() {
    for (const char* name : kFileNames) unlink((std::string(configDir) + "/" + name).c_str());
    rmdir(configDir);
}

// A config folder for this process, in memory where the system offers it, since
// every save syncs the file; removed at exit.
std::string ConfigDir() {
    if (configDir[0] == '\0') {
        snprintf(configDir, sizeof configDir, "%s/kestrave-fuzz-XXXXXX",
                 access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        FUZZ_CHECK(mkdtemp(configDir) != nullptr);
        atexit(RemoveConfigDir);
    }
    return configDir;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = fopen(path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(fwrite(data, 1, size, file) == size);
    FUZZ_CHECK(fclose(file) == 0);
}

}  // namespace

// The bytes as settings.reg: the program loads its settings from it, saves them
// back, and a later start must load the very same values from what was saved.
void FuzzSettingsFile(const uint8_t* data, size_t size) {
    const std::string dir = ConfigDir();
    for (const char* name : kFileNames) unlink((dir + "/" + name).c_str());
    WriteFile(dir + "/settings.reg", data, size);

    SettingsRig first(dir, 1, 4800);
    first.settings.LoadPort();
    first.settings.LoadOutputDir();
    const std::wstring folder = first.TrackFolder();
    first.settings.SavePort();
    first.settings.SaveOutputDir(folder.c_str());

    SettingsRig next(dir, 7, 1234);
    next.settings.LoadPort();
    FUZZ_CHECK(next.settings.LoadOutputDir() == Settings::kOutputDirLoaded);
    FUZZ_CHECK(next.portNumber == first.portNumber);
    FUZZ_CHECK(next.portSpeed == first.portSpeed);
    FUZZ_CHECK(next.TrackFolder() == folder);
}
