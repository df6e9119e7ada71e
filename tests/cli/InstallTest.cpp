// A fresh `cmake --install` into a folder of its own: what lands where, the manual page as
// man shows it, and the units as systemd reads them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/support/ShellCommand.h"
#include "tests/support/TempFolder.h"

namespace {

class InstallTest : public testing::Test {
protected:
    // One install serves every test: it copies files, and the tests only read them.
    static void SetUpTestSuite() {
        prefix_ = std::make_unique<TempFolder>();
        install_ = RunShell(std::string("'") + KESTRAVE_CMAKE + "' --install '" + KESTRAVE_BINARY_DIR + "' --prefix '" +
                            prefix_->path + "' 2>&1");
    }
    static void TearDownTestSuite() { prefix_.reset(); }

    void SetUp() override { ASSERT_EQ(install_.exitCode, 0) << install_.output; }

    static std::string Path(const std::string& name) { return prefix_->path + "/" + name; }
    // The installed program, through the emulator when the build is for another processor.
    static ShellOutcome RunInstalled(const std::string& arguments) {
        return RunShell(std::string(KESTRAVE_EMULATOR) + " '" + Path("bin/kestrave") + "' " + arguments);
    }

    static std::unique_ptr<TempFolder> prefix_;
    static ShellOutcome install_;
};

std::unique_ptr<TempFolder> InstallTest::prefix_;
ShellOutcome InstallTest::install_;

TEST_F(InstallTest, PutsEveryFileInItsPlace) {
    std::set<std::string> installed;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(prefix_->path)) {
        if (!entry.is_directory()) installed.insert(entry.path().string().substr(prefix_->path.size() + 1));
    }
    std::set<std::string> expected{"bin/kestrave", "lib/systemd/system/kestrave@.service",
                                   "lib/systemd/system/kestrave-gpsd@.service",
                                   "lib/systemd/user/kestrave@.service", "lib/sysusers.d/kestrave.conf",
                                   "share/kestrave/udev/60-kestrave.rules"};
    if (KESTRAVE_MAN_PAGE) expected.insert("share/man/man1/kestrave.1");
    EXPECT_EQ(installed, expected);

    // The units start the installed program, wherever --prefix put it.
    for (const char* unit : {"lib/systemd/system/kestrave@.service", "lib/systemd/user/kestrave@.service"}) {
        EXPECT_NE(prefix_->Read(unit).find("\nExecStart=" + Path("bin/kestrave") + " log --quiet --device /dev/%I"),
                  std::string::npos)
            << unit;
    }
    EXPECT_NE(prefix_->Read("lib/systemd/system/kestrave-gpsd@.service")
                  .find("\nExecStart=" + Path("bin/kestrave") + " log --quiet --gpsd %I"),
              std::string::npos);
    ShellOutcome version = RunInstalled("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output.rfind("kestrave ", 0), 0u) << version.output;
}

TEST_F(InstallTest, ManualPageShowsEveryOptionOfTheHelp) {
    if (!KESTRAVE_MAN_PAGE) GTEST_SKIP() << "help2man was missing when the build was configured: no manual page";
    if (access("/usr/bin/man", X_OK) != 0) GTEST_SKIP() << "man is not installed (Debian package man-db)";
    // Warnings of groff go to standard error, which is kept apart: a clean page has none.
    const std::string page = Path("share/man/man1/kestrave.1");
    ShellOutcome warnings = RunShell("MANWIDTH=200 LC_ALL=C man --warnings -l '" + page + "' 2>&1 >/dev/null");
    EXPECT_EQ(warnings.output, "");
    ShellOutcome shown = RunShell("MANWIDTH=200 LC_ALL=C man -l '" + page + "'");
    ASSERT_EQ(shown.exitCode, 0);

    ShellOutcome help = RunInstalled("--help");
    std::regex option("--[a-z-]+");
    int options = 0;
    for (auto it = std::sregex_iterator(help.output.begin(), help.output.end(), option); it != std::sregex_iterator();
         ++it, ++options) {
        EXPECT_NE(shown.output.find(it->str()), std::string::npos) << it->str();
    }
    EXPECT_GT(options, 10);
    ShellOutcome version = RunInstalled("--version");
    EXPECT_NE(shown.output.find(version.output.substr(0, version.output.find('\n'))), std::string::npos);
    for (const char* section : {"\nNAME\n       kestrave - ", "\nFILES\n", "\nEXAMPLES\n", "gpsbabel(1)", "gpsd(8)",
                                "kestrave@.service"}) {
        EXPECT_NE(shown.output.find(section), std::string::npos) << section;
    }
}

// Each unit is read as systemd would read it, the template through an instance.
TEST_F(InstallTest, UnitsPassSystemdAnalyzeVerify) {
    if (access("/usr/bin/systemd-analyze", X_OK) != 0) {
        GTEST_SKIP() << "systemd-analyze is not installed (Debian package systemd)";
    }
    struct Unit {
        const char* path;
        const char* manager;
        const char* instance;
    };
    // The user manager needs a runtime folder of its own; the Documentation= line is
    // checked against the page just installed.
    TempFolder runtime;
    const std::string environment = "XDG_RUNTIME_DIR='" + runtime.path + "' MANPATH='" + Path("share/man") + "' ";
    for (Unit unit : {Unit{"lib/systemd/system/kestrave@.service", "--system", "kestrave@ttyACM0.service"},
                      Unit{"lib/systemd/system/kestrave-gpsd@.service", "--system", "kestrave-gpsd@localhost.service"},
                      Unit{"lib/systemd/user/kestrave@.service", "--user", "kestrave@ttyACM0.service"}}) {
        SCOPED_TRACE(unit.path);
        const std::string folder = runtime.path + "/" + (unit.manager + 2);
        const std::string instance = folder + "/" + unit.instance;
        std::filesystem::create_directories(folder);
        std::filesystem::create_symlink(Path(unit.path), instance);
        ShellOutcome verify =
            RunShell(environment + "systemd-analyze " + unit.manager + (KESTRAVE_MAN_PAGE ? "" : " --man=no") +
                     " verify '" + instance + "' 2>&1");
        EXPECT_EQ(verify.exitCode, 0) << verify.output;
        EXPECT_EQ(verify.output, "");
    }
}

}  // namespace
