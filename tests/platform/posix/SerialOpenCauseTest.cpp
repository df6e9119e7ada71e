// Why a real port does not open, in the words the log box gets: a missing device, a
// tty the user may not read, one that another process holds, one that is no tty; and
// the live logger on a line that brings bytes but no sentence.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "input/PortOpenWords.h"
#include "input/SerialPort.h"
#include "platform/Utf8.h"
#include "platform/posix/PosixSerialDevice.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PseudoTerminalTest.h"
#include "tests/support/RuntimeFolder.h"
#include "tests/support/TempFolder.h"

namespace {

// What a port that failed to open tells, as UTF-8; its open code in *code.
std::string Cause(PosixSerialDevice& device, int32_t portNumber, int32_t* code) {
    SerialPort port(device);
    port.portNumber = portNumber;
    *code = port.Open();
    PortOpenFailure failure;
    if (!port.OpenFailure(&failure)) return "(none)";
    wchar_t wide[1024];
    WordPortOpenFailure(failure, kPlainPortAdvice, wide, 1024);
    char text[4096];
    WideToUtf8(wide, text, sizeof text);
    return text;
}

class SerialOpenCause : public PseudoTerminalTest {
protected:

    // The cause as a process of user and group nobody (65534), without supplementary
    // groups, sees it: the tests run as root, who may open anything.
    std::string CauseAsNobody() {
        int words[2];
        EXPECT_EQ(pipe(words), 0);
        pid_t child = fork();
        if (child == 0) {
            close(words[0]);
            std::string said = "cannot become nobody";
            if (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0) {
                PosixSerialDevice device(tmp.path.c_str(), slavePath.c_str());
                int32_t code = 0;
                said = Cause(device, 1, &code);
                if (code != SerialPort::kOpenFailed) said = "open code " + std::to_string(code);
            }
            ssize_t written = write(words[1], said.data(), said.size());
            _exit(written == static_cast<ssize_t>(said.size()) ? 0 : 1);
        }
        close(words[1]);
        std::string said;
        char buffer[512];
        for (ssize_t got; (got = read(words[0], buffer, sizeof buffer)) > 0;) {
            said.append(buffer, static_cast<size_t>(got));
        }
        close(words[0]);
        int status = 0;
        waitpid(child, &status, 0);
        return said;
    }

    TempFolder tmp;
};

TEST_F(SerialOpenCause, AMissingPathOrNumberSaysNothingIsPluggedIn) {
    const std::string missing = tmp.path + "/ttyUSB0";
    PosixSerialDevice bound(tmp.path.c_str(), missing.c_str());
    int32_t code = 0;
    EXPECT_EQ(Cause(bound, 1, &code), missing + " does not exist: plug the receiver in, or choose another port.");
    EXPECT_EQ(code, SerialPort::kOpenFailed);

    mkdir((tmp.path + "/ports").c_str(), 0755);
    ASSERT_EQ(symlink(missing.c_str(), (tmp.path + "/ports/com2").c_str()), 0);
    PosixSerialDevice unbound(tmp.path.c_str());
    EXPECT_EQ(Cause(unbound, 2, &code),
              tmp.path + "/ports/com2 leads to " + missing + ", which does not exist: plug the receiver in, or choose another port.");
    EXPECT_EQ(Cause(unbound, 0, &code), "no device for COM0 (nothing plugged in?): plug the receiver in, or choose another port.")
        << "COM0 has no device without a link";
}

TEST_F(SerialOpenCause, AFileThatIsNoTerminalIsNamed) {
    tmp.Write("notes.txt", "text");
    const std::string path = tmp.path + "/notes.txt";
    PosixSerialDevice device(tmp.path.c_str(), path.c_str());
    int32_t code = 0;
    EXPECT_EQ(Cause(device, 1, &code), path + " is not a serial port: choose another port.");
    EXPECT_EQ(code, SerialPort::kSetupQueuesFailed);
}

TEST_F(SerialOpenCause, ALaterStepGivesTheSystemsReasonAndWhatToDo) {
    PosixSerialDevice device(tmp.path.c_str(), slavePath.c_str());
    SerialPort port(device);
    port.portSpeed = 0;  // a rate no driver takes
    EXPECT_EQ(port.Open(), SerialPort::kSetLineFailed);
    PortOpenFailure failure;
    ASSERT_TRUE(port.OpenFailure(&failure));
    EXPECT_EQ(failure.cause, PortOpenCause::Speed);
    EXPECT_EQ(failure.number, 0u);
    EXPECT_EQ(std::wstring(failure.reason), L"Invalid argument");
    EXPECT_EQ(std::wstring(failure.device), std::wstring(slavePath.begin(), slavePath.end()));
    port.portSpeed = 4800;
    EXPECT_EQ(port.Open(), 0);
    EXPECT_FALSE(port.OpenFailure(&failure)) << "an opening that succeeded leaves nothing to tell";
    EXPECT_EQ(failure.cause, PortOpenCause::None);
}

TEST_F(SerialOpenCause, PermissionNamesTheGroupToJoinOrTheModeThatKeepsItOut) {
    if (geteuid() != 0) GTEST_SKIP() << "dropping to nobody needs root";
    struct stat tty {};
    ASSERT_EQ(stat(slavePath.c_str(), &tty), 0);
    const group* owner = getgrgid(tty.st_gid);
    ASSERT_NE(owner, nullptr);
    const std::string name = owner->gr_name;

    ASSERT_EQ(chmod(slavePath.c_str(), 0660), 0);
    EXPECT_EQ(CauseAsNobody(), "Permission denied on " + slavePath + ": add yourself to the " + name +
                                   " group (sudo usermod -aG " + name + " $USER), then log in again.");

    ASSERT_EQ(chmod(slavePath.c_str(), 0), 0);
    const std::string said = CauseAsNobody();
    EXPECT_EQ(said.rfind("Permission denied on " + slavePath + ": its mode (000) lets not even its group " + name, 0),
              0u)
        << said;
    EXPECT_NE(said.find("sudo chmod g+rw " + slavePath), std::string::npos) << said;
}

// Another process holds the tty's lock, as gpsd or a second logger would.
TEST_F(SerialOpenCause, APortInUseNamesTheProcessThatHoldsIt) {
    int ready[2];
    int done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    pid_t holder = fork();
    if (holder == 0) {
        close(ready[0]);
        close(done[1]);
        prctl(PR_SET_NAME, "gpsholder");
        int fd = open(slavePath.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        char ok = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
        if (write(ready[1], &ok, 1) != 1) _exit(1);
        char end;
        _exit(read(done[0], &end, 1) < 0 ? 1 : 0);  // holds the lock until the test lets go
    }
    close(ready[1]);
    close(done[0]);
    char ok = 'n';
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    close(ready[0]);
    EXPECT_EQ(ok, 'y');

    PosixSerialDevice device(tmp.path.c_str(), slavePath.c_str());
    int32_t code = 0;
    EXPECT_EQ(Cause(device, 1, &code), slavePath + " is in use by process " + std::to_string(holder) +
                                           " (gpsholder): stop it, or read the receiver through that program, or choose another port.");
    EXPECT_EQ(code, SerialPort::kOpenFailed);

    close(done[1]);
    int status = 0;
    waitpid(holder, &status, 0);
    EXPECT_EQ(Cause(device, 1, &code), "(none)") << "once the holder is gone the port opens";
    EXPECT_EQ(code, 0);
}

// The real logger on a line whose bytes never make a sentence, as at a wrong speed.
TEST_F(SerialOpenCause, TheLoggerSaysOnceWhenBytesBringNoSentence) {
    RuntimeFolder runtime{tmp.path.c_str()};
    ChildProcess logger({"log", "--device", slavePath, "--out", tmp.path + "/out", "--config", tmp.path + "/config"},
                        tmp.path + "/log.txt");
    ASSERT_TRUE(logger.Started());
    const std::string hint = "Bytes arrive on COM1";
    // Line noise, a burst every 200 ms, until the hint comes or 12 s are gone.
    const char noise[] = "\xfe\x13\x80\xe6\x98~\x00\x1e\xf8\r\n";
    bool said = ChildProcess::WaitFor(
        [&] {
            if (write(master, noise, sizeof noise - 1) < 0) return false;
            return tmp.Read("log.txt").find(hint) != std::string::npos;
        },
        12000);
    ASSERT_TRUE(said) << tmp.Read("log.txt");
    // Some more ticks of noise: the hint is not repeated.
    ChildProcess::WaitFor([&] { return write(master, noise, sizeof noise - 1) < 0; }, 2500);
    logger.Signal(SIGINT);
    ASSERT_TRUE(logger.WaitForExit(10000));
    const std::string output = tmp.Read("log.txt");
    const size_t first = output.find(hint);
    EXPECT_EQ(output.find(hint, first + 1), std::string::npos) << output;
    EXPECT_NE(output.find("no NMEA sentence at 4800 baud: is the speed right? Receivers usually send at 9600 or 4800; "
                          "give its speed with --speed BAUD."),
              std::string::npos)
        << "log names its option, not a menu: " << output;
}

}  // namespace
