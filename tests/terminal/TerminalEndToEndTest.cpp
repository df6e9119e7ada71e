#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/TempFolder.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TextCount.h"

// The real program in a real terminal: tmux runs it in a detached session of a fixed
// size, keys go in with send-keys, the screen comes back with capture-pane.

namespace {

constexpr int kWaitSeconds = 60;  // generous: the machine may be slow and busy

std::string Shell(const std::string& command, int* status = nullptr) {
    const ShellOutcome run = RunShell(command);
    if (status != nullptr) *status = run.exitCode;
    return run.output;
}

bool HaveTmux() { return system("tmux -V >/dev/null 2>&1") == 0; }


bool HasLineWith(const std::string& screen, const std::string& first, const std::string& then) {
    std::istringstream lines(screen);
    std::string line;
    while (std::getline(lines, line)) {
        size_t at = line.find(first);
        if (at != std::string::npos && line.find(then, at + first.size()) != std::string::npos) return true;
    }
    return false;
}

// The first lines of the example drive, one after another: 6 lines per second of the drive.
std::string DriveLines(int first, int count) {
    std::ifstream in(std::string(KESTRAVE_SOURCE_DIR) + "/examples/drive.nmea", std::ios::binary);
    std::string line;
    std::string lines;
    for (int number = 1; std::getline(in, line) && number < first + count; ++number) {
        if (number >= first) lines += line + "\n";
    }
    return lines;
}

class TerminalEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveTmux()) GTEST_SKIP() << "tmux is not installed; the terminal program is not tested end to end";
        for (const char* name : {"root", "config", "run", "home"}) {
            ASSERT_EQ(system(("mkdir -p " + temp.path + "/" + name).c_str()), 0);
        }
    }

    void TearDown() override { Shell(Tmux() + " kill-server 2>/dev/null"); }

    std::string Tmux() const { return "tmux -S " + temp.path + "/tmux.sock -f /dev/null"; }

    // The program's environment: everything it could touch lies in the temporary folder.
    std::string Environment() const {
        return "env -u LC_ALL -u LC_CTYPE LANG=C.UTF-8 TZ=UTC HOME=" + temp.path + "/home XDG_CONFIG_HOME=" +
               temp.path + "/home/.config XDG_RUNTIME_DIR=" + temp.path + "/run ";
    }

    std::string ProgramCommand() const {
        return Environment() + KESTRAVE_BINARY " --root " + temp.path + "/root --config " + temp.path + "/config";
    }

    void Start() {
        std::string inPane = "cd " + temp.path + " && " + ProgramCommand() + "; echo $? > " + temp.path + "/exit-code";
        ASSERT_EQ(system((Tmux() + " new-session -d -x 100 -y 40 -s kestrave '" + inPane + "'").c_str()), 0);
        ASSERT_TRUE(WaitFor("Tools"));
    }

    // The process id in the lock file of the folder the program logs into, the only one
    // in its runtime folder.
    std::string HolderId() const {
        std::string id;
        if (DIR* dir = opendir((temp.path + "/run").c_str())) {
            while (dirent* entry = readdir(dir)) {
                const std::string name = entry->d_name;
                if (name.rfind("kestrave-", 0) == 0) id = temp.Read("run/" + name);
            }
            closedir(dir);
        }
        return id.empty() ? id : id.substr(0, id.size() - 1);
    }

    void Keys(const std::string& keys) { Shell(Tmux() + " send-keys -t kestrave " + keys); }
    void Type(const std::string& text) { Shell(Tmux() + " send-keys -t kestrave -l '" + text + "'"); }
    // With the lines scrolled off the top, which only the terminal outside the program's
    // full screen has (tmux may scroll it to say that the pane is dead).
    std::string Screen() { return Shell(Tmux() + " capture-pane -p -S - -t kestrave 2>/dev/null"); }

    bool WaitUntil(const std::function<bool(const std::string&)>& done) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kWaitSeconds);
        while (std::chrono::steady_clock::now() < deadline) {
            lastScreen = Screen();
            if (done(lastScreen)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ADD_FAILURE() << "the screen never got there; it shows:\n" << lastScreen;
        return false;
    }
    bool WaitFor(const std::string& text) {
        return WaitUntil([&](const std::string& screen) { return screen.find(text) != std::string::npos; });
    }
    bool WaitForGone(const std::string& text) {
        return WaitUntil([&](const std::string& screen) { return screen.find(text) == std::string::npos; });
    }

    // The exit code the pane wrote once the program ended; -1 when it never did.
    int ExitCode() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kWaitSeconds);
        while (std::chrono::steady_clock::now() < deadline) {
            std::string code = temp.Read("exit-code");
            if (!code.empty() && code.back() == '\n') return std::stoi(code);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return -1;
    }

    void ReadNmeaFile(const std::string& name) {
        Keys("F10");
        ASSERT_TRUE(WaitFor("Read NMEA file"));
        Keys("Down Enter");
        ASSERT_TRUE(WaitFor("Look in:"));
        // Typing in the list starts the file name; a full host path is taken as it is.
        Type(temp.path + "/" + name);
        ASSERT_TRUE(WaitFor("/" + name));
        Keys("Enter");
        ASSERT_TRUE(WaitForGone("Look in:"));
    }

    TempFolder temp;
    std::string lastScreen;
};

TEST_F(TerminalEndToEndTest, ReplaysChoosesANewFolderAndKeepsItOnExit) {
    temp.Write("config/settings.reg",
               "Windows Registry Editor Version 5.00\n\n"
               "[HKEY_CURRENT_USER\\Software\\Zolvet\\Kestrave]\n"
               "\"PortNumber\"=dword:ffffffff\n"
               "\"PortSpeed\"=dword:000012c0\n"
               "\"OutputDir\"=\"\\\\Kestrave\"\n");
    temp.Write("first.nmea", DriveLines(1, 1800));    // 21:45:00 to 21:49:59 UTC
    temp.Write("second.nmea", DriveLines(1801, 1800));  // 21:50:00 to 21:54:59 UTC
    Start();

    int status = 0;
    std::string second = Shell(ProgramCommand() + " 2>&1 </dev/null", &status);
    EXPECT_EQ(status, 1);
    std::string holder = HolderId();
    ASSERT_FALSE(holder.empty());
    EXPECT_EQ(second, "Kestrave is already running (process " + holder + ")\nIt logs into " + temp.path +
                          "/root/Kestrave. Close it first, or start this one on another folder with --out DIR.\n");

    // The fix shows while the file is replayed; the end of the file flushes into \Kestrave.
    ReadNmeaFile("first.nmea");
    ASSERT_TRUE(WaitUntil([](const std::string& screen) {
        return screen.find("UTC:") != std::string::npos && screen.find("Lat:") != std::string::npos;
    }));
    ASSERT_TRUE(WaitFor("File processed"));
    EXPECT_NE(lastScreen.find(temp.path + "/first.nmea"), std::string::npos) << "the path heads the log";

    Keys("F10");
    ASSERT_TRUE(WaitFor("Select Output folder"));
    Keys("Down Down Enter");
    ASSERT_TRUE(WaitFor("New folder name:"));
    Keys("Tab");
    Type("Trips");
    Keys("Enter");  // Create
    ASSERT_TRUE(WaitUntil([](const std::string& screen) { return HasLineWith(screen, "Trips", "Folder"); }));
    EXPECT_TRUE(temp.Exists("root/Trips"));
    Keys("BTab End Enter");  // into the last folder, "Trips"
    ASSERT_TRUE(WaitFor("\\Trips "));
    Keys("Tab Tab Tab Enter");  // OK
    ASSERT_TRUE(WaitForGone("New folder name:"));

    ReadNmeaFile("second.nmea");
    ASSERT_TRUE(WaitUntil([](const std::string& screen) { return Count(screen, "File processed") == 2; }));

    Keys("F10");
    ASSERT_TRUE(WaitFor("Exit"));
    Keys("End Enter");
    ASSERT_TRUE(WaitFor("Are you sure?"));
    Keys("Enter");  // Yes
    EXPECT_EQ(ExitCode(), 0);

    // Exit saved the port, the dialog saved the folder.
    std::string settings = temp.Read("config/settings.reg");
    EXPECT_NE(settings.find("\"OutputDir\"=\"\\\\Trips\""), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"PortNumber\"=dword:ffffffff"), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"PortSpeed\"=dword:000012c0"), std::string::npos) << settings;

    // Each file went to the folder in effect when it was flushed.
    std::string firstTrack = temp.Read("root/Kestrave/2026-01-14.plt");
    std::string secondTrack = temp.Read("root/Trips/2026-01-14.plt");
    EXPECT_EQ(firstTrack.rfind("OziExplorer Track Point File Version 2.1\r\n", 0), 0u);
    EXPECT_EQ(secondTrack.rfind("OziExplorer Track Point File Version 2.1\r\n", 0), 0u);
    EXPECT_NE(firstTrack.find(", 21:45:"), std::string::npos);
    EXPECT_EQ(firstTrack.find(", 21:5"), std::string::npos);
    EXPECT_NE(secondTrack.find(", 21:54:"), std::string::npos);
    EXPECT_EQ(secondTrack.find(", 21:45:"), std::string::npos);
    EXPECT_EQ(temp.Read("root/Kestrave/2026-01-14.rte").rfind("OziExplorer Route File Version 1.0\r\n", 0), 0u);
    EXPECT_EQ(temp.Read("root/Trips/2026-01-14.rte").rfind("OziExplorer Route File Version 1.0\r\n", 0), 0u);
}

TEST_F(TerminalEndToEndTest, AFirstStartAsksForAFolderWhileTheTickGoesOn) {
    Start();
    ASSERT_TRUE(WaitFor("Select output folder"));
    // "No data" comes from the regular ticks, which run behind the open dialog.
    ASSERT_TRUE(WaitFor("No data"));
    EXPECT_NE(lastScreen.find("Select output folder"), std::string::npos);
    EXPECT_NE(lastScreen.find("No folder for the day files yet: choose one, then OK."), std::string::npos)
        << "the dialog says why it opened:\n" << lastScreen;
    Keys("Escape");
    ASSERT_TRUE(WaitForGone("Select output folder"));
    Keys("C-q");  // closes without a question and without saving
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_FALSE(temp.Exists("config/settings.reg"));
}

// Enter on the empty list of a first start, then OK: the root, never an empty folder.
TEST_F(TerminalEndToEndTest, EnterOnAnEmptyFirstListThenOkStoresTheRoot) {
    Start();
    ASSERT_TRUE(WaitFor("Select output folder"));
    Keys("Enter");
    Keys("Tab Tab Tab Enter");  // OK
    ASSERT_TRUE(WaitForGone("Select output folder"));
    ASSERT_TRUE(WaitFor("Output: " + temp.path + "/root"));
    Keys("C-q");
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_NE(temp.Read("config/settings.reg").find("\"OutputDir\"=\"\\\\\""), std::string::npos)
        << temp.Read("config/settings.reg");
}

TEST_F(TerminalEndToEndTest, AStopSignalEndsLikeExitAndGivesTheTerminalBack) {
    Start();
    std::string holder = HolderId();
    ASSERT_FALSE(holder.empty());
    Shell(Tmux() + " set-option -t kestrave remain-on-exit on");
    ASSERT_EQ(kill(std::stoi(holder), SIGTERM), 0);
    EXPECT_EQ(ExitCode(), 0);
    // Nothing came in, and the closing line does not pretend otherwise.
    ASSERT_TRUE(WaitFor("Kestrave stopped; no day file was written."));
    EXPECT_EQ(lastScreen.find("Tools"), std::string::npos) << "the full screen is gone";
}

}  // namespace

// A gpsd on this machine's own port is offered beside the COM numbers, and choosing it
// reads it and keeps the choice.
TEST_F(TerminalEndToEndTest, PortMenuOffersALocalGpsdAndReadsIt) {
    if (Shell("command -v gpsfake").empty()) GTEST_SKIP() << "gpsfake is not installed (Debian package gpsd-clients)";
    if (!Shell("ss -Hltn '( sport = :2947 )'").empty()) GTEST_SKIP() << "port 2947 is taken: no private gpsd there";
    const std::string fake = Shell("setsid gpsfake -q -c 0.05 -P 2947 '" + std::string(KESTRAVE_TESTDATA_DIR) +
                                   "/gpsd-haicom-305N.nmea' >" + temp.path + "/gpsfake.txt 2>&1 & echo $!");
    // gpsfake ends its gpsd as it goes; the next run finds the port free.
    struct Stop {
        int pid;
        ~Stop() {
            kill(-pid, SIGTERM);
            for (int i = 0; i < 50 && !Shell("ss -Hltn '( sport = :2947 )'").empty(); ++i) usleep(100000);
        }
    } stop{std::stoi(fake)};
    ASSERT_TRUE(WaitUntil([&](const std::string&) { return !Shell("ss -Hltn '( sport = :2947 )'").empty(); }));
    // gpsfake starts its gpsd, then attaches the receiver; on a loaded machine the second
    // step has been seen to fail, which leaves a daemon without a receiver.
    bool attached = false;
    for (int tries = 0; tries < 20 && !attached; ++tries) {
        attached = Shell("timeout 2 gpspipe -w -n 4 localhost:2947 2>/dev/null").find("\"class\":\"DEVICE\"") !=
                   std::string::npos;
    }
    if (!attached) GTEST_SKIP() << "gpsfake did not attach its receiver: " << temp.Read("gpsfake.txt");
    Start();
    ASSERT_TRUE(WaitFor("Select output folder"));
    Keys("Escape");
    Keys("F10 Down Down Down Down Right");
    ASSERT_TRUE(WaitFor("gpsd (localhost)"));
    Keys("End Enter");
    ASSERT_TRUE(WaitFor("Port: gpsd"));
    EXPECT_NE(lastScreen.find("Input: COM1, gpsd at localhost:2947"), std::string::npos) << lastScreen;
    ASSERT_TRUE(WaitFor("UTC:  08.04.07"));
    EXPECT_NE(temp.Read("config/settings.reg").find("\"GpsdServer\"=\"localhost:2947\""), std::string::npos);
    Keys("C-q");
    EXPECT_EQ(ExitCode(), 0);
}
