#pragma once
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/ReadFile.h"

// A fresh folder below /tmp, removed with everything in it at the end of the test.
class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/kestrave-test-XXXXXX";
        EXPECT_NE(mkdtemp(pattern), nullptr);
        path = pattern;
    }
    ~TempFolder() { system(("rm -rf '" + path + "'").c_str()); }

    std::string Read(const std::string& name) const { return ReadFile(path + "/" + name); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path + "/" + name, std::ios::binary) << bytes;
    }
    bool Exists(const std::string& name) const { return access((path + "/" + name).c_str(), F_OK) == 0; }

    std::string path;
};
