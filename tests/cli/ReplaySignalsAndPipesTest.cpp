// The replay as the real program, stopped by a signal, printing into a pipe nobody
// reads, or writing past the file-size limit: it never dies with lines unsaved.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <regex>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

std::map<std::string, std::string> FilesIn(const std::string& folder) {
    std::map<std::string, std::string> files;
    DIR* dir = opendir(folder.c_str());
    for (dirent* entry; dir != nullptr && (entry = readdir(dir)) != nullptr;) {
        if (entry->d_name[0] != '.') files[entry->d_name] = ReadFile(folder + "/" + entry->d_name);
    }
    if (dir != nullptr) closedir(dir);
    return files;
}

// kestrave replay of the files into folder out, in UTC, printing into output (-1:
// nowhere), with errors going to errors.txt; returns the wait status.
int Replay(const TempFolder& temp, const std::vector<std::string>& files, const std::string& out, int output = -1,
           rlim_t fileLimit = RLIM_INFINITY) {
    std::vector<std::string> words{KESTRAVE_BINARY, "replay", "--out", temp.path + "/" + out, "--config", temp.path};
    for (const std::string& file : files) words.push_back(temp.path + "/" + file);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    const int errors = open((temp.path + "/errors.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit limit{fileLimit, fileLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        setenv("TZ", "UTC0", 1);
        dup2(output >= 0 ? output : nowhere, STDOUT_FILENO);
        dup2(errors, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(errors);
    close(nowhere);
    int status = -1;
    waitpid(pid, &status, 0);
    return status;
}

struct StopCase {
    int signal;
    const char* said;
    int exitCode;  // as a shell reports a program a signal ended
};
void PrintTo(const StopCase& stop, std::ostream* out) { *out << strsignal(stop.signal); }

class ReplayStopSignal : public ::testing::TestWithParam<StopCase> {};

TEST_P(ReplayStopSignal, StopsAtATickWithEverythingReadInTheDayFilesAndSaysWhere) {
    // Ten hours of made-up drive named twelve times: a replay long enough to stop midway.
    TempFolder temp;
    const std::string simulate = "'" KESTRAVE_BINARY "' simulate --minutes 600 --out " + temp.path + "/long.nmea";
    ASSERT_EQ(system((simulate + " >/dev/null").c_str()), 0);
    std::vector<std::string> args{"replay", "--out", temp.path + "/out", "--config", temp.path};
    for (int i = 10; i < 22; ++i) {
        ASSERT_EQ(symlink("long.nmea", (temp.path + "/l" + std::to_string(i) + ".nmea").c_str()), 0);
        args.push_back(temp.path + "/l" + std::to_string(i) + ".nmea");
    }
    ChildProcess replay(args, temp.path + "/replay.txt");
    ASSERT_TRUE(ChildProcess::WaitFor(
        [&] { return temp.Read("replay.txt").find("File processed") != std::string::npos; }, 30000));
    replay.Signal(GetParam().signal);
    ASSERT_TRUE(replay.WaitForExit(10000));
    const std::string said = temp.Read("replay.txt");
    EXPECT_EQ(replay.ExitCode(), GetParam().exitCode) << said;
    std::smatch where;
    ASSERT_TRUE(std::regex_search(said, where, std::regex(std::string("replay stopped by ") + GetParam().said + " in " +
                                                          temp.path + "/l(\\d\\d)\\.nmea after (\\d+) bytes")))
        << said;
    EXPECT_NE(said.find("Day files (.plt track, .rte route, .gpx track) are in", where.position()), std::string::npos) << said;

    // Its day files are exactly those of a replay of the bytes it had read.
    std::vector<std::string> read;
    for (int i = 10; i < std::stoi(where[1]); ++i) read.push_back("l" + std::to_string(i) + ".nmea");
    // A stop between two files has read nothing of the next one; an empty file would
    // be a mistake of its own.
    if (std::stoull(where[2]) > 0) {
        temp.Write("part.nmea", temp.Read("long.nmea").substr(0, std::stoull(where[2])));
        read.push_back("part.nmea");
    }
    ASSERT_EQ(Replay(temp, read, "whole"), 0) << temp.Read("errors.txt");
    EXPECT_EQ(FilesIn(temp.path + "/whole").size(), 6u) << "two days of track, route and GPX";
    EXPECT_TRUE(FilesIn(temp.path + "/out") == FilesIn(temp.path + "/whole"));
}

// A pipe whose writer has gone quiet: the stop ends the wait at once, with its line and
// code, and what came before it is in the day files; the writer closing later changes
// nothing.
TEST(ReplayStopSignalOnAPipe, CtrlCEndsTheWaitOnASilentPipe) {
    TempFolder temp;
    const std::string simulate = "'" KESTRAVE_BINARY "' simulate --minutes 10 --out " + temp.path + "/drive.nmea";
    ASSERT_EQ(system((simulate + " >/dev/null").c_str()), 0);
    const std::string fifo = temp.path + "/feed";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ChildProcess replay({"replay", fifo, "--out", temp.path + "/out", "--config", temp.path},
                        temp.path + "/replay.txt");
    // The writer: ten minutes of drive, then silence with the pipe held open.
    const int writer = open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    const std::string drive = temp.Read("drive.nmea");
    ASSERT_EQ(write(writer, drive.data(), drive.size()), static_cast<ssize_t>(drive.size()));
    ASSERT_TRUE(ChildProcess::WaitFor([&] { return temp.Exists("out"); }, 10000));
    usleep(1500 * 1000);
    replay.Signal(SIGINT);
    ASSERT_TRUE(replay.WaitForExit(5000)) << "the stop is not lost in the wait";
    close(writer);
    const std::string said = temp.Read("replay.txt");
    EXPECT_EQ(replay.ExitCode(), 130) << said;
    EXPECT_NE(said.find("replay stopped by Ctrl+C in " + fifo + " after " + std::to_string(drive.size()) + " bytes"),
              std::string::npos)
        << said;
    EXPECT_EQ(said.find("Cannot read"), std::string::npos) << "a stop is no read error: " << said;
    ASSERT_EQ(Replay(temp, {"drive.nmea"}, "whole"), 0) << temp.Read("errors.txt");
    EXPECT_TRUE(FilesIn(temp.path + "/out") == FilesIn(temp.path + "/whole"));
}

INSTANTIATE_TEST_SUITE_P(Signals, ReplayStopSignal,
                         ::testing::Values(StopCase{SIGINT, "Ctrl\\+C", 130}, StopCase{SIGTERM, "SIGTERM", 143},
                                           StopCase{SIGHUP, "SIGHUP", 129}));

TEST(ReplayOutput, AReaderThatWentAwayLosesOnlyThePrintedLinesAndTheExitCodeSaysSo) {
    TempFolder temp;
    const std::string drive = ReadFile(std::string(KESTRAVE_SOURCE_DIR) + "/examples/drive.nmea");
    temp.Write("a.nmea", drive);
    temp.Write("b.nmea", drive);
    ASSERT_EQ(Replay(temp, {"a.nmea", "b.nmea"}, "normal"), 0);
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    close(ends[0]);
    const int status = Replay(temp, {"a.nmea", "b.nmea"}, "cut", ends[1]);
    close(ends[1]);
    const std::string said = temp.Read("errors.txt");
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
    EXPECT_EQ(WEXITSTATUS(status), 1) << said;
    EXPECT_NE(said.find("standard output (" + std::string(strerror(EPIPE)) + ")"), std::string::npos) << said;
    EXPECT_EQ(FilesIn(temp.path + "/normal").size(), 6u) << "two days of track, route and GPX";
    EXPECT_TRUE(FilesIn(temp.path + "/cut") == FilesIn(temp.path + "/normal")) << "both files replayed whole";
}

TEST(ReplayOutput, TheFileSizeLimitIsAWriteErrorNotTheEnd) {
    TempFolder temp;
    temp.Write("drive.nmea", ReadFile(std::string(KESTRAVE_SOURCE_DIR) + "/examples/drive.nmea"));
    const int output = open((temp.path + "/output.txt").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    const int status = Replay(temp, {"drive.nmea"}, "out", output, 100 * 1024);
    close(output);
    const std::string said = temp.Read("output.txt");
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
    EXPECT_EQ(WEXITSTATUS(status), 1) << said;
    EXPECT_NE(said.find("File Write Error: " + std::to_string(EFBIG) + " "), std::string::npos) << said;
    EXPECT_NE(said.find("File processed"), std::string::npos) << "went on to the end: " << said;
}

}  // namespace
