#pragma once
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

// A fixture with a fresh pseudo-terminal: the test writes to and may close the master;
// the slave's path is what the program opens as its serial device.
class PseudoTerminalTest : public ::testing::Test {
protected:
    void SetUp() override {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        slavePath = ptsname(master);
    }
    void TearDown() override {
        if (master >= 0) close(master);
    }

    int master = -1;
    std::string slavePath;
};
