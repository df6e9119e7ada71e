// kestrave log under a service manager: what it sends to the socket NOTIFY_SOCKET names.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/RuntimeFolder.h"
#include "tests/support/TempFolder.h"

namespace {

struct Message {
    std::string text;
    double atSeconds;
};

double Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// What arrives on the socket until the time is up or STOPPING=1 comes.
std::vector<Message> Listen(int socket, double seconds) {
    std::vector<Message> got;
    const double start = Now();
    while (Now() - start < seconds) {
        pollfd ready{socket, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) continue;
        char text[1024];
        const ssize_t length = recv(socket, text, sizeof text, 0);
        if (length <= 0) continue;
        got.push_back({std::string(text, static_cast<size_t>(length)), Now() - start});
        if (got.back().text == "STOPPING=1") break;
    }
    return got;
}

TEST(ServiceNotify, ReadyWithItsStatusThenTheWatchdogAtTheAskedRateThenStopping) {
    TempFolder tmp;
    RuntimeFolder runtime{tmp.path.c_str()};
    const std::string socketPath = tmp.path + "/notify";
    const int socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(socket, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    // Every 2 s asked: a pet each second, which is each tick.
    setenv("NOTIFY_SOCKET", socketPath.c_str(), 1);
    setenv("WATCHDOG_USEC", "2000000", 1);
    ChildProcess logger({"log", "--quiet", "--device", tmp.path + "/no-such-tty", "--out", tmp.path + "/out",
                         "--config", tmp.path + "/config"},
                        tmp.path + "/logger.txt");
    unsetenv("NOTIFY_SOCKET");
    unsetenv("WATCHDOG_USEC");
        std::vector<Message> got = Listen(socket, 5.5);
    logger.Signal(SIGTERM);
    const std::vector<Message> last = Listen(socket, 5.0);
    got.insert(got.end(), last.begin(), last.end());
    ASSERT_TRUE(logger.WaitForExit(10000));
    close(socket);

    ASSERT_FALSE(got.empty()) << tmp.Read("logger.txt");
    EXPECT_EQ(got.front().text.rfind("READY=1\nSTATUS=Logging COM1", 0), 0u) << got.front().text;
    EXPECT_NE(got.front().text.find("no-such-tty"), std::string::npos) << got.front().text;
    std::vector<double> pets;
    bool status = false;
    for (const Message& message : got) {
        if (message.text == "WATCHDOG=1") pets.push_back(message.atSeconds);
        if (message.text.rfind("STATUS=NOT RECORDING: COM1 (", 0) == 0 &&
            message.text.find("does not open") != std::string::npos) {
            status = true;
        }
    }
    // About one a second for the 5.5 s before the stop; never a gap the manager would punish.
    EXPECT_GE(pets.size(), 4u);
    for (size_t i = 1; i < pets.size(); ++i) EXPECT_LT(pets[i] - pets[i - 1], 2.0) << i;
    EXPECT_TRUE(status) << "the status says that nothing is recorded";
    EXPECT_EQ(got.back().text, "STOPPING=1");
}

}  // namespace
