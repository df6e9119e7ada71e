// The gpsd device against a stand-in daemon on a loopback socket.
#include "gpsd/GpsdSerialDevice.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "shell/WideStrings.h"
#include "tests/support/LoopbackSocket.h"

namespace {

const char kListing[] = "{\"class\":\"VERSION\",\"release\":\"3.22\"}\n"
                        "{\"class\":\"DEVICES\",\"devices\":[{\"class\":\"DEVICE\",\"path\":\"/dev/ttyACM0\"}]}\n"
                        "{\"class\":\"WATCH\",\"enable\":true,\"nmea\":true}\n";
const char kSentence[] = "$GPRMC,100000.00,A,4807.0380,N,01131.0000,E,0.0,0.0,140126,,,A*6B\r\n";

// Listens on a free loopback port; Serve answers the first client with the given bytes.
class StandIn {
public:
    StandIn() {
        int port = 0;
        listener_ = BindLoopback(&port);
        listen(listener_, 1);
        server = "127.0.0.1:" + std::to_string(port);
    }
    ~StandIn() {
        if (thread_.joinable()) thread_.join();
        if (client_ >= 0) close(client_);
        close(listener_);
    }
    void Serve(const std::string& answer) {
        thread_ = std::thread([this, answer] {
            client_ = accept(listener_, nullptr, nullptr);
            char got[256] = {};
            request = std::string(got, static_cast<size_t>(recv(client_, got, sizeof got - 1, 0)));
            send(client_, answer.data(), answer.size(), 0);
        });
    }
    // After Serve's answer: more bytes, or the end of the connection.
    void Send(const std::string& bytes) {
        thread_.join();
        send(client_, bytes.data(), bytes.size(), 0);
    }
    void Hang() {
        if (thread_.joinable()) thread_.join();
        close(client_);
        client_ = -1;
    }

    std::string server;
    std::string request;

private:
    int listener_ = -1;
    int client_ = -1;
    std::thread thread_;
};

std::string ReadAll(GpsdSerialDevice& gpsd, SerialHandle port, bool* failed) {
    std::string bytes;
    char chunk[64];
    uint32_t count = 0;
    *failed = false;
    for (int i = 0; i < 20; ++i) {
        if (!gpsd.Read(port, chunk, sizeof chunk, &count)) {
            *failed = true;
            break;
        }
        bytes.append(chunk, count);
    }
    return bytes;
}

TEST(GpsdSerialDevice, TakesHostAndPortInTheUsualForms) {
    GpsdSerialDevice gpsd;
    EXPECT_EQ(std::string(gpsd.Host()) + ":" + gpsd.Port(), "localhost:2947");
    struct Case {
        const char* given;
        const char* host;
        const char* port;
    };
    for (const Case& c : {Case{"gps.lan", "gps.lan", "2947"}, Case{"10.0.0.7:3000", "10.0.0.7", "3000"},
                          Case{"[::1]:2948", "::1", "2948"}, Case{"fe80::1", "fe80::1", "2947"},
                          Case{"", "localhost", "2947"}}) {
        ASSERT_TRUE(gpsd.Bind(c.given)) << c.given;
        EXPECT_STREQ(gpsd.Host(), c.host);
        EXPECT_STREQ(gpsd.Port(), c.port);
    }
    // Messages bracket an IPv6 address, so that its port stands apart.
    ASSERT_TRUE(gpsd.Bind("[::1]:2948"));
    wchar_t shown[64];
    gpsd.Describe(1, shown, 64);
    EXPECT_STREQ(shown, L"gpsd at [::1]:2948");
    for (const char* bad : {"gps.lan:", ":2947", "gps.lan:29x7", "[::1", "[::1]x", "host:123456789", "gps.lan:99999",
                            "gps.lan:0", "gps\x01lan", "gps\x7flan:2947"}) {
        EXPECT_FALSE(gpsd.Bind(bad)) << bad;
        EXPECT_STREQ(gpsd.Host(), "::1") << "a refused address leaves the last one";
    }
}

TEST(GpsdSerialDevice, RelaysSentencesAndFailsAReadWhenGpsdHangsUp) {
    StandIn daemon;
    daemon.Serve(std::string(kListing) + kSentence);
    GpsdSerialDevice gpsd;
    ASSERT_TRUE(gpsd.Bind(daemon.server.c_str()));
    SerialHandle port = gpsd.Open(L"COM1:");
    ASSERT_NE(port, kInvalidSerial);
    ASSERT_TRUE(gpsd.SetReadTimeout(port, 20));
    EXPECT_NE(daemon.request.find("?WATCH={\"enable\":true,\"nmea\":true}"), std::string::npos) << daemon.request;
    bool failed = false;
    EXPECT_EQ(ReadAll(gpsd, port, &failed), kSentence);
    EXPECT_FALSE(failed);

    daemon.Send("{\"class\":\"SKY\"}\n" + std::string(kSentence));
    EXPECT_EQ(ReadAll(gpsd, port, &failed), kSentence) << "a report before a sentence does not end the reading";
    daemon.Hang();
    ReadAll(gpsd, port, &failed);
    EXPECT_TRUE(failed);
    gpsd.Close(port);
}

// gpsd words its own failures, the same for every face.
std::string Why(GpsdSerialDevice& gpsd) {
    PortOpenFailure failure;
    if (!gpsd.OpenFailure(&failure)) return "(none)";
    EXPECT_EQ(failure.cause, PortOpenCause::Said);
    return ToUtf8(failure.detail);
}

// A daemon that keeps the connection but stops sending (hung, or a half-open link), and
// one that never answers the watch request: after the quiet limit a read fails, so that
// the next tick connects afresh, and the reason is told in words.
TEST(GpsdSerialDevice, AConnectionSilentPastTheLimitFailsAReadAndSaysWhy) {
    for (const std::string& answer : {std::string(kListing) + kSentence, std::string()}) {
        SCOPED_TRACE(answer.empty() ? "never answers" : "goes quiet");
        StandIn daemon;
        daemon.Serve(answer);
        GpsdSerialDevice gpsd;
        gpsd.SetQuietLimit(400);
        ASSERT_TRUE(gpsd.Bind(daemon.server.c_str()));
        SerialHandle port = gpsd.Open(L"COM1:");
        ASSERT_NE(port, kInvalidSerial);
        ASSERT_TRUE(gpsd.SetReadTimeout(port, 100));
        char chunk[128];
        uint32_t count = 0;
        int reads = 0;
        while (gpsd.Read(port, chunk, sizeof chunk, &count) && reads < 50) ++reads;
        EXPECT_LT(reads, 50) << "a silent connection is given up";
        EXPECT_GE(reads, 3) << "but not before the limit";
        EXPECT_EQ(gpsd.LastError(), static_cast<uint32_t>(ETIMEDOUT));
        wchar_t why[256];
        ASSERT_TRUE(gpsd.DescribeReadFailure(why, 256));
        EXPECT_NE(ToUtf8(why).find("gpsd at " + daemon.server + " sent nothing for 0 s (a hung daemon, or the link "
                                   "to it is down): reconnecting every second."),
                  std::string::npos)
            << ToUtf8(why);
        gpsd.Close(port);
        daemon.Hang();
    }
}

TEST(GpsdSerialDevice, SaysWhyItCannotOpen) {
    GpsdSerialDevice gpsd;
    std::string why;
    {
        StandIn daemon;
        daemon.Serve("{\"class\":\"DEVICES\",\"devices\":[]}\n");
        ASSERT_TRUE(gpsd.Bind(daemon.server.c_str()));
        EXPECT_EQ(gpsd.Open(L"COM1:"), kInvalidSerial);
        EXPECT_EQ(Why(gpsd), "gpsd at " + daemon.server +
                                   " has no receiver: plug one in, or add it to gpsd (sudo gpsdctl add /dev/ttyACM0).");
    }
    // The stand-in is gone, and nothing listens on its port now.
    EXPECT_FALSE(gpsd.Answers(200));
    EXPECT_EQ(gpsd.Open(L"COM1:"), kInvalidSerial);
    why = Why(gpsd);
    EXPECT_NE(why.find("gpsd is not running at " + std::string(gpsd.Host()) + ":" + gpsd.Port() +
                               " (connection refused)"),
              std::string::npos)
        << why;
    ASSERT_TRUE(gpsd.Bind("no-such-host.invalid"));
    EXPECT_EQ(gpsd.Open(L"COM1:"), kInvalidSerial);
    why = Why(gpsd);
    EXPECT_EQ(why.rfind("cannot find the gpsd host no-such-host.invalid: ", 0), 0u) << why;
}

}  // namespace
