#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/PosixClock.h"
#include "simulator/PtyReceiver.h"

namespace {

constexpr int64_t kMs = 1000000;

// A program on the other end of the line, opening it as the logger does.
class Reader {
public:
    explicit Reader(const std::string& path, int mode = O_RDONLY)
        : fd_(open(path.c_str(), mode | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    ~Reader() { Close(); }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }
    int fd() const { return fd_; }

    // What arrives within the time, up to limit bytes.
    std::string Take(size_t limit, int timeoutMs = 2000) {
        std::string got;
        char chunk[1024];
        pollfd wait{fd_, POLLIN, 0};
        while (got.size() < limit && poll(&wait, 1, timeoutMs) == 1) {
            ssize_t n = read(fd_, chunk, sizeof chunk);
            if (n <= 0) break;
            got.append(chunk, static_cast<size_t>(n));
        }
        return got;
    }

private:
    int fd_;
};

class PtyReceiverTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        if (!line.Open(error)) GTEST_SKIP() << "no pseudo-terminal can be made here: " << error;
    }

    // Serves the line until it sees a reader (or none), for at most two seconds.
    bool ServeUntilReader(bool wanted) {
        int64_t end = MonotonicNs() + 2000 * kMs;
        while (line.HasReader() != wanted && MonotonicNs() < end) {
            line.Serve(MonotonicNs() + 50 * kMs, nullptr);
        }
        return line.HasReader() == wanted;
    }

    PtyReceiver line;
};

TEST_F(PtyReceiverTest, SendsNothingUntilAReaderOpensThenEveryByteUnchanged) {
    EXPECT_FALSE(line.HasReader());
    EXPECT_EQ(line.Send("lost\r\n", 6), 0u);

    Reader logger(line.Path());
    ASSERT_GE(logger.fd(), 0);
    ASSERT_TRUE(ServeUntilReader(true));
    // Raw: CR stays CR, and no control byte stops, ends or signals anything.
    std::string bytes;
    for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
    bytes += "$GPRMC,214500.00,V,,,,,,,140126,,,N*7F\r\n";
    ASSERT_EQ(line.Send(bytes.data(), bytes.size()), bytes.size());
    EXPECT_EQ(logger.Take(bytes.size()), bytes);
    EXPECT_EQ(line.Unread(), 0);
}

TEST_F(PtyReceiverTest, AReaderOpeningLaterFindsNoStaleBytes) {
    {
        Reader first(line.Path());
        ASSERT_TRUE(ServeUntilReader(true));
        EXPECT_EQ(line.Send("never read\r\n", 12), 12u);
    }
    ASSERT_TRUE(ServeUntilReader(false));
    EXPECT_EQ(line.Unread(), 0);
    EXPECT_EQ(line.Send("nobody\r\n", 8), 0u);

    Reader second(line.Path());
    ASSERT_TRUE(ServeUntilReader(true));
    EXPECT_EQ(second.Take(100, 100), "");
    EXPECT_EQ(line.Send("fresh\r\n", 7), 7u);
    EXPECT_EQ(second.Take(7), "fresh\r\n");
}

TEST_F(PtyReceiverTest, AFullLineLosesBytesInsteadOfBlocking) {
    Reader asleep(line.Path());
    ASSERT_TRUE(ServeUntilReader(true));
    const std::string epoch(400, 'x');
    size_t sent = 0;
    size_t refused = 0;
    for (int i = 0; i < 1000; ++i) {
        size_t put = line.Send(epoch.data(), epoch.size());
        sent += put;
        if (put == 0) ++refused;
    }
    EXPECT_GT(refused, 0u);
    EXPECT_LT(sent, 1000 * epoch.size());
    // The kernel hands bytes on to the reader's queue in the background.
    pollfd waiting{asleep.fd(), POLLIN, 0};
    ASSERT_EQ(poll(&waiting, 1, 2000), 1);
    EXPECT_GT(line.Unread(), 0);
    // Once the reader takes what is waiting, the line has room again.
    EXPECT_EQ(asleep.Take(sent, 500).size(), sent);
    EXPECT_EQ(line.Send(epoch.data(), epoch.size()), epoch.size());
}

TEST_F(PtyReceiverTest, WhatTheOtherEndWritesIsThrownAway) {
    Reader talker(line.Path(), O_RDWR);
    ASSERT_TRUE(ServeUntilReader(true));
    // Full once a pause has not made room: the kernel moves bytes on in the background.
    const std::string command(512, 'c');
    for (int pauses = 0; pauses < 100; ++pauses) {
        while (write(talker.fd(), command.data(), command.size()) > 0) {
        }
        ASSERT_EQ(errno, EAGAIN);
        usleep(20000);
        if (write(talker.fd(), command.data(), 1) < 0) break;
    }
    ASSERT_EQ(write(talker.fd(), command.data(), 1), -1);
    line.Serve(MonotonicNs() + 200 * kMs, nullptr);
    EXPECT_GT(write(talker.fd(), command.data(), command.size()), 0);
}

}  // namespace
