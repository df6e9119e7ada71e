#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/CommandLine.h"

namespace {

bool Parse(std::vector<const char*> args, CommandLine& line, std::string& error) {
    args.insert(args.begin(), "kestrave");
    return ParseCommandLine(static_cast<int>(args.size()), args.data(), line, error);
}

TEST(CommandLine, ReplayTakesFilesInOrderWithCommonOptions) {
    CommandLine line;
    std::string error;
    ASSERT_TRUE(Parse({"replay", "a.nmea", "--out", "days", "b.nmea", "--status-log", "s.txt", "--root", "/r"},
                      line, error))
        << error;
    EXPECT_EQ(line.mode, CommandLine::Mode::Replay);
    EXPECT_EQ(line.files, (std::vector<std::string>{"a.nmea", "b.nmea"}));
    EXPECT_EQ(line.outDir, "days");
    EXPECT_EQ(line.statusLog, "s.txt");
    EXPECT_EQ(line.rootDir, "/r");
}

TEST(CommandLine, GpsOnlyGoesWithEveryReadingMode) {
    for (std::vector<const char*> args : {std::vector<const char*>{"replay", "a.nmea", "--gps-only"},
                                          std::vector<const char*>{"log", "--gps-only"},
                                          std::vector<const char*>{"--gps-only"}}) {
        CommandLine line;
        std::string error;
        ASSERT_TRUE(Parse(args, line, error)) << error;
        EXPECT_TRUE(line.gpsOnly);
    }
    CommandLine line;
    std::string error;
    EXPECT_FALSE(line.gpsOnly);
    EXPECT_FALSE(Parse({"simulate", "--out", "x.nmea", "--gps-only"}, line, error));
}

TEST(CommandLine, DeviceGoesWithTheLiveModesOnly) {
    CommandLine window;
    std::string error;
    ASSERT_TRUE(Parse({"--device", "/dev/ttyACM0"}, window, error)) << error;
    EXPECT_EQ(window.mode, CommandLine::Mode::Window);
    EXPECT_EQ(window.device, "/dev/ttyACM0");
    CommandLine replay;
    EXPECT_FALSE(Parse({"replay", "a.nmea", "--device", "/dev/ttyACM0"}, replay, error));
}

// The address is optional: an option after --gpsd is not taken for it.
TEST(CommandLine, GpsdTakesAnOptionalAddressInTheLiveModes) {
    CommandLine line;
    std::string error;
    ASSERT_TRUE(Parse({"log", "--gpsd", "--quiet"}, line, error)) << error;
    EXPECT_TRUE(line.gpsd);
    EXPECT_EQ(line.gpsdServer, "");
    EXPECT_TRUE(line.quiet);
    CommandLine terminal;
    ASSERT_TRUE(Parse({"--gpsd", "gps.lan:2948"}, terminal, error)) << error;
    EXPECT_TRUE(terminal.gpsd);
    EXPECT_EQ(terminal.gpsdServer, "gps.lan:2948");
    CommandLine both;
    EXPECT_FALSE(Parse({"log", "--gpsd", "--device", "/dev/ttyACM0"}, both, error));
    EXPECT_EQ(error, "--device and --gpsd both name the input; give one of them.");
    CommandLine replay;
    EXPECT_FALSE(Parse({"replay", "a.nmea", "--gpsd"}, replay, error));
}

TEST(CommandLine, SimulateAndLogOptions) {
    CommandLine line;
    std::string error;
    ASSERT_TRUE(Parse({"simulate", "--out", "drive.nmea", "--seed", "42"}, line, error)) << error;
    EXPECT_EQ(line.simulateOut, "drive.nmea");
    EXPECT_EQ(line.seed, 42u);
    EXPECT_TRUE(line.outDir.empty());

    CommandLine pty;
    ASSERT_TRUE(Parse({"simulate", "--pty", "--speed-up", "20", "--minutes", "9", "--out", "sent.nmea"}, pty, error))
        << error;
    EXPECT_TRUE(pty.pty);
    EXPECT_EQ(pty.speedUp, 20.0);
    EXPECT_EQ(pty.minutes, 9u);
    EXPECT_EQ(pty.simulateOut, "sent.nmea");

    CommandLine live;
    ASSERT_TRUE(Parse({"log", "--device", "/dev/pts/3", "--speed", "9600", "--out", "d"}, live, error)) << error;
    EXPECT_EQ(live.mode, CommandLine::Mode::Log);
    EXPECT_EQ(live.device, "/dev/pts/3");
    EXPECT_EQ(live.speed, 9600);
    EXPECT_EQ(live.outDir, "d");

    CommandLine window;
    ASSERT_TRUE(Parse({}, window, error));
    EXPECT_EQ(window.mode, CommandLine::Mode::Window);
}

TEST(CommandLine, MistakesSayWhatToDo) {
    struct Case {
        std::vector<const char*> args;
        const char* expected;
    };
    const Case cases[] = {
        {{"replay"}, "at least one NMEA file"},
        {{"replay", "a.nmea", "--out"}, "--out needs a folder"},
        {{"fly"}, "unknown command 'fly'"},
        {{"replay", "a.nmea", "--speed", "9600"}, "unknown option '--speed'"},
        {{"log", "--speed", "fast"}, "baud rate"},
        {{"log", "--speed", "0"}, "baud rate"},
        {{"simulate"}, "needs --out FILE (a recording) or --pty"},
        {{"simulate", "--seed", "3"}, "needs --out FILE (a recording) or --pty"},
        {{"simulate", "--pty", "--minutes", "0"}, "--minutes needs a whole number"},
        {{"simulate", "--pty", "--minutes", "14401"}, "--minutes needs a whole number"},
        {{"replay", "a.nmea", "--minutes", "3"}, "unknown option '--minutes'"},
        {{"simulate", "--out", "x", "--seed", "-1"}, "--seed needs a whole number"},
        {{"simulate", "--pty", "--speed-up", "0.5"}, "--speed-up needs a factor"},
        {{"log", "stray"}, "unexpected argument 'stray'"},
        {{"simulate", "--out", "x", "--speed-up", "5"}, "it goes with --pty"},
        {{"plot", "a.plt", "--config", "c"},
         "plot takes no option '--config'; only --out FILE.svg or --out DIR. See kestrave --help."},
        {{"plot", "a.plt", "--gps-only"}, "plot takes no option '--gps-only'"},
        {{"plot", "a.plt", "--out"}, "--out needs a file name or a folder"},
    };
    for (const Case& c : cases) {
        CommandLine line;
        std::string error;
        EXPECT_FALSE(Parse(c.args, line, error)) << c.expected;
        EXPECT_NE(error.find(c.expected), std::string::npos) << "got: " << error;
    }
}

}  // namespace

// --help and the parser come from one table: every option the help shows is taken by
// some command, with a value where the help names one.
TEST(CommandLine, EveryOptionTheHelpShowsIsTaken) {
    FILE* text = tmpfile();
    ASSERT_NE(text, nullptr);
    PrintUsage(text);
    rewind(text);
    char row[256];
    int shown = 0;
    while (fgets(row, sizeof row, text) != nullptr) {
        if (strncmp(row, "  --", 4) != 0) continue;
        char name[64] = "";
        char argument[64] = "";
        sscanf(row + 2, "%63[^ ,\n] %63[^ \n]", name, argument);
        const bool takesValue = argument[0] >= 'A' && argument[0] <= 'Z';
        bool taken = false;
        for (const char* command : {"log", "replay", "simulate", "plot"}) {
            std::vector<const char*> args = {"kestrave", command, name};
            if (takesValue) args.push_back("7");
            args.push_back("file");
            CommandLine line;
            std::string error;
            const bool parsed = ParseCommandLine(static_cast<int>(args.size()), args.data(), line, error);
            if (parsed || (error.find("unknown option") == std::string::npos &&
                           error.find("takes no option") == std::string::npos)) {
                taken = true;
            }
        }
        EXPECT_TRUE(taken) << name;
        ++shown;
    }
    fclose(text);
    EXPECT_GE(shown, 15);
}
