// --out and --root name folders: the real program, given a plain file, says so and
// leaves the file alone.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/FolderNames.h"
#include "tests/support/TempFolder.h"

namespace {

TEST(FolderArgumentsTest, APlainFileGivenAsAFolderIsNamedAsSuch) {
    const std::string drive = std::string(KESTRAVE_SOURCE_DIR) + "/examples/drive.nmea";
    for (const std::string which : {"output", "root"}) {
        SCOPED_TRACE(which);
        TempFolder temp;
        temp.Write("notes.txt", "a plain file");
        const std::string file = temp.path + "/notes.txt";
        const std::string option = which == "output" ? "--out" : "--root";
        const std::string output = temp.path + "/output.txt";
        ChildProcess run({"replay", drive, option, file, "--config", temp.path + "/config"}, output);
        ASSERT_TRUE(run.WaitForExit(10000));
        EXPECT_EQ(run.ExitCode(), 2);
        EXPECT_EQ(temp.Read("output.txt"), "kestrave: the " + which + " folder " + file +
                                               " is a file, not a folder. Choose a folder with " + option + " DIR.\n");
        EXPECT_EQ(temp.Read("notes.txt"), "a plain file");
        EXPECT_EQ(FolderNames(temp.path), std::set<std::string>({"notes.txt", "output.txt"})) << "nothing made";
    }
}

}  // namespace
