#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

#include "input/SerialPort.h"
#include "platform/posix/PosixSerialDevice.h"
#include "tests/support/PseudoTerminalTest.h"

namespace {

// A pseudo-terminal pair stands in for the receiver: the port opens the slave, the
// test writes to and closes the master.
class PosixSerialDeviceTest : public PseudoTerminalTest {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrave-serial-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        settingsDir = pattern;
        PseudoTerminalTest::SetUp();
    }
    void TearDown() override {
        PseudoTerminalTest::TearDown();
        system(("rm -rf '" + settingsDir + "'").c_str());
    }

    // The slave's settings as another opener of the same terminal sees them.
    termios SlaveSettings() {
        termios line{};
        int fd = open(slavePath.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(tcgetattr(fd, &line), 0);
        close(fd);
        return line;
    }

    void LinkPort(const std::string& name, const std::string& target) {
        mkdir((settingsDir + "/ports").c_str(), 0777);
        ASSERT_EQ(symlink(target.c_str(), (settingsDir + "/ports/" + name).c_str()), 0);
    }

    std::string settingsDir;
};

TEST_F(PosixSerialDeviceTest, OpensTheBoundTtyRawAt8N1WithoutFlowControl) {
    PosixSerialDevice device(settingsDir.c_str(), slavePath.c_str());
    SerialPort port(device);
    port.portSpeed = 9600;
    ASSERT_EQ(port.Open(), 0) << "error " << device.LastError();

    termios line = SlaveSettings();
    EXPECT_EQ(cfgetispeed(&line), static_cast<speed_t>(B9600));
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B9600));
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(line.c_cc[VMIN], 0);
    EXPECT_EQ(line.c_cc[VTIME], 0);
}

// The receiver's bytes arrive as sent (no CR translation), an idle line answers
// within about the first-byte wait, and a hung-up line is a read failure.
TEST_F(PosixSerialDeviceTest, ReadsWhatIsWaitingWaitsBrieflyAndFailsOnHangUp) {
    PosixSerialDevice device(settingsDir.c_str(), slavePath.c_str());
    SerialPort port(device);
    ASSERT_EQ(port.Open(), 0) << "error " << device.LastError();
    char buffer[1024];

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(waited.count(), 50);
    EXPECT_LE(waited.count(), 300);

    const std::string sentence = "$GPGGA,1*00\r\n$GP";
    ASSERT_EQ(write(master, sentence.data(), sentence.size()), static_cast<ssize_t>(sentence.size()));
    std::string received;
    for (int i = 0; i < 10 && received.size() < sentence.size(); ++i) {
        int32_t count = port.Read(buffer, sizeof buffer);
        ASSERT_GE(count, 0);
        received.append(buffer, static_cast<size_t>(count));
    }
    EXPECT_EQ(received, sentence);

    close(master);
    master = -1;
    EXPECT_EQ(port.Read(buffer, sizeof buffer), SerialPort::kReadFailed);
    EXPECT_NE(device.LastError(), 0u);
}

TEST_F(PosixSerialDeviceTest, AnyRateTheDriverTakesIsSetAndReadBack) {
    for (int32_t speed : {4800, 115200, 250000, 1234567}) {
        PosixSerialDevice device(settingsDir.c_str(), slavePath.c_str());
        SerialPort port(device);
        port.portSpeed = speed;
        ASSERT_EQ(port.Open(), 0) << speed << ": error " << device.LastError();
        int fd = open(slavePath.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        SerialLineSettings line;
        EXPECT_TRUE(device.GetLineSettings(fd, &line));
        close(fd);
        EXPECT_EQ(line.baudRate, static_cast<uint32_t>(speed)) << "after the time-outs were set too";
        EXPECT_EQ(line.byteSize, 8);
        EXPECT_EQ(line.parity, SerialParity::None);
        EXPECT_FALSE(line.hardwareFlowControl || line.softwareFlowControl);
    }
}

TEST_F(PosixSerialDeviceTest, OpenFailuresKeepTheirCodes) {
    {
        PosixSerialDevice device(settingsDir.c_str(), (settingsDir + "/no-such-tty").c_str());
        SerialPort port(device);
        EXPECT_EQ(port.Open(), SerialPort::kOpenFailed);
        EXPECT_EQ(device.LastError(), static_cast<uint32_t>(ENOENT));
        EXPECT_FALSE(port.IsOpen());
    }
    {
        std::string plainFile = settingsDir + "/drive.nmea";
        close(open(plainFile.c_str(), O_CREAT | O_WRONLY, 0600));
        PosixSerialDevice device(settingsDir.c_str(), plainFile.c_str());
        SerialPort port(device);
        EXPECT_EQ(port.Open(), SerialPort::kSetupQueuesFailed);
        EXPECT_EQ(device.LastError(), static_cast<uint32_t>(ENOTTY));
        EXPECT_FALSE(port.IsOpen());
    }
    {
        PosixSerialDevice device(settingsDir.c_str(), slavePath.c_str());
        SerialPort port(device);
        port.portSpeed = 0;  // B0 would hang the line up rather than set a rate
        EXPECT_EQ(port.Open(), SerialPort::kSetLineFailed);
        EXPECT_EQ(device.LastError(), static_cast<uint32_t>(EINVAL));
        EXPECT_FALSE(port.IsOpen());
    }
}

// Like the handheld's unshared open: a second logger cannot take the port, and
// once the first one lets go (here through a speed change) it can.
TEST_F(PosixSerialDeviceTest, APortInUseCannotBeOpenedUntilItIsClosed) {
    PosixSerialDevice device(settingsDir.c_str(), slavePath.c_str());
    SerialPort first(device);
    SerialPort second(device);
    ASSERT_EQ(first.Open(), 0);
    EXPECT_EQ(second.Open(), SerialPort::kOpenFailed);
    EXPECT_EQ(device.LastError(), static_cast<uint32_t>(EWOULDBLOCK));

    first.SelectSpeed(9600);
    EXPECT_FALSE(first.IsOpen());
    EXPECT_EQ(second.Open(), 0);
    second.SelectPort(2);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(first.Open(), 0);
}

TEST_F(PosixSerialDeviceTest, NoneOpensNothingEvenWithABoundDevice) {
    PosixSerialDevice device(settingsDir.c_str(), slavePath.c_str());
    char path[256];
    EXPECT_FALSE(device.ResolvePath(L"COM-1:", path, sizeof path));
    EXPECT_EQ(device.LastError(), static_cast<uint32_t>(ENOENT));
    EXPECT_EQ(device.Open(L"COM-1:"), kInvalidSerial);
    SerialPort port(device);
    port.SelectPort(SerialPort::kNoPort);
    EXPECT_EQ(port.Open(), SerialPort::kOpenFailed);
    EXPECT_FALSE(port.IsOpen());
}

// A link that is there decides, even when it dangles: the user named the tty.
// Without one, on a machine without serial devices, no number leads anywhere.
TEST_F(PosixSerialDeviceTest, PortsResolveThroughTheLinkFolderThenTheDevicesPresent) {
    LinkPort("com3", slavePath);
    LinkPort("com2", settingsDir + "/unplugged");
    const std::string emptyRoot = settingsDir + "/root";
    ASSERT_EQ(mkdir(emptyRoot.c_str(), 0777), 0);
    PosixSerialDevice device(settingsDir.c_str(), nullptr, emptyRoot.c_str());
    PosixSerialDevice noSettings(nullptr, nullptr, emptyRoot.c_str());
    char path[256];
    ASSERT_TRUE(device.ResolvePath(L"COM3:", path, sizeof path));
    EXPECT_EQ(std::string(path), settingsDir + "/ports/com3");
    ASSERT_TRUE(device.ResolvePath(L"COM2:", path, sizeof path));
    EXPECT_EQ(std::string(path), settingsDir + "/ports/com2");
    for (PosixSerialDevice* each : {&device, &noSettings}) {
        for (const wchar_t* name : {L"COM0:", L"COM1:", L"COM16:"}) {
            EXPECT_FALSE(each->ResolvePath(name, path, sizeof path));
            EXPECT_EQ(each->LastError(), static_cast<uint32_t>(ENOENT));
        }
    }

    SerialPort port(device);
    port.SelectPort(3);
    EXPECT_EQ(port.Open(), 0) << "error " << device.LastError();
    port.SelectPort(2);
    EXPECT_EQ(port.Open(), SerialPort::kOpenFailed);
}

// With a USB receiver present, a ports/com1 link still decides what COM1 opens.
TEST_F(PosixSerialDeviceTest, ALinkToATerminalWinsOverTheDevicesPresent) {
    const std::string root = settingsDir + "/root";
    ASSERT_EQ(system(("mkdir -p '" + root + "/dev' && touch '" + root + "/dev/ttyACM0'").c_str()), 0);
    PosixSerialDevice device(settingsDir.c_str(), nullptr, root.c_str());
    SerialPort port(device);
    port.SelectPort(1);
    EXPECT_EQ(port.Open(), SerialPort::kSetupQueuesFailed) << "COM1 is the listed ttyACM0, a plain file here";

    LinkPort("com1", slavePath);
    ASSERT_EQ(port.Open(), 0) << "error " << device.LastError();
    const char sentence[] = "$GPRMC,\r\n";
    ASSERT_EQ(write(master, sentence, sizeof sentence - 1), static_cast<ssize_t>(sizeof sentence - 1));
    char got[64] = {};
    int32_t count = 0;
    for (int tries = 0; tries < 20 && count == 0; ++tries) count = port.Read(got, sizeof got - 1);
    EXPECT_EQ(std::string(got, count > 0 ? static_cast<size_t>(count) : 0), sentence);
}

TEST_F(PosixSerialDeviceTest, NamesThatAreNotComPortsOrDoNotFitAreRefused) {
    PosixSerialDevice device(settingsDir.c_str(), slavePath.c_str());
    char path[256];
    for (const wchar_t* name : {L"COM1", L"LPT1:", L"COM1:x", L"COM2147483648:", L"COM99999999999999999999:"}) {
        EXPECT_FALSE(device.ResolvePath(name, path, sizeof path));
    }
    ASSERT_TRUE(device.ResolvePath(L"COM2147483647:", path, sizeof path));
    EXPECT_EQ(std::string(path), slavePath);

    char small[8];
    EXPECT_FALSE(device.ResolvePath(L"COM12:", small, sizeof small));
    EXPECT_EQ(device.LastError(), static_cast<uint32_t>(ENAMETOOLONG));
    std::string longPath(PosixSerialDevice::kPathBytes, 'd');
    PosixSerialDevice tooLong(longPath.c_str());
    EXPECT_EQ(tooLong.Open(L"COM1:"), kInvalidSerial);
    EXPECT_EQ(tooLong.LastError(), static_cast<uint32_t>(ENAMETOOLONG));
}

}  // namespace
