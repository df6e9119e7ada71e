// Every input a fuzzer once failed on, kept in fuzz/regressions/<target>/, runs again
// through the same target code; a fault aborts the test binary.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/FuzzTargets.h"

namespace {

struct Target {
    const char* name;
    void (*run)(const uint8_t* data, size_t size);
};

const Target kTargets[] = {
    {"pipeline", FuzzPipeline},
    {"sentence", FuzzSentence},
    {"continue_route", FuzzContinueRoute},
    {"settings_file", FuzzSettingsFile},
};

std::vector<std::string> InputsOf(const std::string& folder) {
    std::vector<std::string> paths;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.') paths.push_back(folder + "/" + entry->d_name);
        }
        closedir(dir);
    }
    return paths;
}

class FuzzRegression : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzRegression, InputsThatOnceFailedRunCleanly) {
    const std::vector<std::string> inputs = InputsOf(std::string(KESTRAVE_FUZZ_REGRESSIONS) + "/" + GetParam().name);
    for (const std::string& path : inputs) {
        SCOPED_TRACE(path);
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const std::string input = bytes.str();
        GetParam().run(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    }
    // A few typical inputs besides, so that every target runs even with no findings kept.
    const std::string sentence = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
    GetParam().run(reinterpret_cast<const uint8_t*>(sentence.data()), sentence.size());
    const uint8_t nothing[1] = {};
    GetParam().run(nothing, 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegression, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

}  // namespace
