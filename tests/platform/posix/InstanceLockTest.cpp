#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/posix/services/InstanceLock.h"
#include "tests/support/RuntimeFolder.h"
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

TEST(InstanceLockPath, TheFileLivesInTheRuntimeFolderWhenThereIsAnAbsoluteOne) {
    const std::string fallback = "/tmp/kestrave-" + std::to_string(getuid()) + "-";
    const struct {
        const char* runtime;  // nullptr: unset
        std::string head;
    } cases[] = {
        {"/run/user/1000", "/run/user/1000/kestrave-"},
        {"relative/run", fallback},
        {"", fallback},
        {nullptr, fallback},
    };
    for (const auto& c : cases) {
        RuntimeFolder runtime(c.runtime);
        const std::string path = InstanceLock::PathFor("/home/me/Kestrave");
        EXPECT_EQ(path.rfind(c.head, 0), 0u) << path;
        EXPECT_EQ(path.size(), c.head.size() + 16 + 5) << "a name of fixed size, whatever the folder: " << path;
    }
}

// Two loggers must meet on one lock file however each names the folder, and only then.
TEST(InstanceLockPath, EveryNameOfAFolderFindsOneFileAndOtherFoldersOthers) {
    TempFolder temp;
    RuntimeFolder runtime(temp.path.c_str());
    ASSERT_EQ(system(("mkdir -p '" + temp.path + "/real/Kestrave' '" + temp.path + "/other'").c_str()), 0);
    ASSERT_EQ(symlink("real", (temp.path + "/link").c_str()), 0);
    const std::string lock = InstanceLock::PathFor(temp.path + "/real/Kestrave");
    for (const char* name : {"/link/Kestrave", "/real/Kestrave/", "/other/../real/./Kestrave"}) {
        EXPECT_EQ(InstanceLock::PathFor(temp.path + name), lock) << name;
    }
    EXPECT_NE(InstanceLock::PathFor(temp.path + "/other"), lock);
    // A folder the first flush will create is named by its parent's real path.
    const std::string unborn = InstanceLock::PathFor(temp.path + "/link/Trips");
    EXPECT_NE(unborn, lock);
    ASSERT_EQ(mkdir((temp.path + "/real/Trips").c_str(), 0755), 0);
    EXPECT_EQ(InstanceLock::PathFor(temp.path + "/real/Trips"), unborn);
}

}  // namespace
