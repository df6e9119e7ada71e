#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/posix/InstanceLock.h"
#include "tests/support/TempFolder.h"

namespace {

std::string OwnId() { return std::to_string(getpid()) + "\n"; }

TEST(InstanceLockTest, TheFirstTakesTheLockAndWritesItsProcessId) {
    TempFolder folder;
    InstanceLock lock;
    ASSERT_EQ(lock.Acquire(folder.path + "/kestrave.lock"), InstanceLock::Result::Acquired);
    EXPECT_EQ(folder.Read("kestrave.lock"), OwnId());
}

TEST(InstanceLockTest, ASecondIsToldWhoHoldsItUntilTheFirstLetsGo) {
    TempFolder folder;
    std::string path = folder.path + "/kestrave.lock";
    {
        InstanceLock first;
        ASSERT_EQ(first.Acquire(path), InstanceLock::Result::Acquired);
        // flock conflicts between two opens of the file, even within one process.
        InstanceLock second;
        EXPECT_EQ(second.Acquire(path), InstanceLock::Result::Held);
        EXPECT_EQ(second.Holder(), getpid());
    }
    InstanceLock third;
    EXPECT_EQ(third.Acquire(path), InstanceLock::Result::Acquired);
}

TEST(InstanceLockTest, AFileLeftBehindByAnEndedProcessDoesNotBlock) {
    TempFolder folder;
    folder.Write("kestrave.lock", "4000000000123\n");
    InstanceLock lock;
    ASSERT_EQ(lock.Acquire(folder.path + "/kestrave.lock"), InstanceLock::Result::Acquired);
    EXPECT_EQ(folder.Read("kestrave.lock"), OwnId()) << "the longer old id is gone entirely";
}

TEST(InstanceLockTest, ALinkInPlaceOfTheFileIsRefused) {
    TempFolder folder;
    folder.Write("target", "keep");
    ASSERT_EQ(symlink((folder.path + "/target").c_str(), (folder.path + "/kestrave.lock").c_str()), 0);
    InstanceLock lock;
    EXPECT_EQ(lock.Acquire(folder.path + "/kestrave.lock"), InstanceLock::Result::Failed);
    EXPECT_FALSE(lock.Error().empty());
    EXPECT_EQ(folder.Read("target"), "keep");
}

TEST(InstanceLockTest, TheFileLivesInTheRuntimeFolderWhenThereIsAnAbsoluteOne) {
    const char* saved = getenv("XDG_RUNTIME_DIR");
    std::string old = saved != nullptr ? saved : "";
    std::string fallback = "/tmp/kestrave-" + std::to_string(getuid()) + ".lock";
    const struct {
        const char* runtime;  // nullptr: unset
        std::string expected;
    } cases[] = {
        {"/run/user/1000", "/run/user/1000/kestrave.lock"},
        {"relative/run", fallback},
        {"", fallback},
        {nullptr, fallback},
    };
    for (const auto& c : cases) {
        if (c.runtime != nullptr) {
            setenv("XDG_RUNTIME_DIR", c.runtime, 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
        EXPECT_EQ(InstanceLock::DefaultPath(), c.expected) << (c.runtime != nullptr ? c.runtime : "(unset)");
    }
    if (saved != nullptr) {
        setenv("XDG_RUNTIME_DIR", old.c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
}

}  // namespace
