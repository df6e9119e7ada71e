#include "platform/posix/PosixSerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "platform/posix/PosixSerialSpeed.h"

namespace {

struct StandardRate {
    uint32_t baud;
    speed_t code;
};

constexpr StandardRate kStandardRates[] = {
    {50, B50},         {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},       {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},     {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},   {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000}, {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

bool StandardSpeed(uint32_t baud, speed_t* code) {
    for (const StandardRate& rate : kStandardRates) {
        if (rate.baud == baud) {
            *code = rate.code;
            return true;
        }
    }
    return false;
}

// "COM<n>:" with n a decimal int32 (a minus sign allowed, so "None" parses and can be
// refused by its value); anything else is not a COM port.
bool ParseComNumber(const wchar_t* name, int32_t* number) {
    if (name[0] != L'C' || name[1] != L'O' || name[2] != L'M') return false;
    const wchar_t* p = name + 3;
    bool negative = *p == L'-';
    if (negative) ++p;
    int64_t value = 0;
    int digits = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p, ++digits) {
        if (digits == 10) return false;
        value = value * 10 + (*p - L'0');
    }
    if (digits == 0 || p[0] != L':' || p[1] != L'\0') return false;
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return false;
    *number = static_cast<int32_t>(value);
    return true;
}

template <size_t N>
bool CopyPath(const char* from, char (&to)[N]) {
    if (from == nullptr) return true;
    int length = snprintf(to, N, "%s", from);
    return length >= 0 && static_cast<size_t>(length) < N;
}

bool Fits(int written, int outBytes) { return written >= 0 && written < outBytes; }

tcflag_t SizeFlag(uint8_t byteSize) {
    switch (byteSize) {
        case 5: return CS5;
        case 6: return CS6;
        case 7: return CS7;
        case 8: return CS8;
        default: return 0;
    }
}

uint8_t ByteSize(tcflag_t flags) {
    switch (flags & CSIZE) {
        case CS5: return 5;
        case CS6: return 6;
        case CS7: return 7;
        default: return 8;
    }
}

}  // namespace

PosixSerialDevice::PosixSerialDevice(const char* settingsDir, const char* boundDevice)
    : pathsFit_(CopyPath(settingsDir, settingsDir_) && CopyPath(boundDevice, boundDevice_)) {}

bool PosixSerialDevice::Fail() { return Fail(errno); }

bool PosixSerialDevice::Fail(int error) {
    lastError_ = static_cast<uint32_t>(error);
    return false;
}

bool PosixSerialDevice::ResolvePath(const wchar_t* deviceName, char* out, int outBytes) {
    out[0] = '\0';
    if (!pathsFit_) return Fail(ENAMETOOLONG);
    int32_t number = 0;
    if (!ParseComNumber(deviceName, &number) || number < 0) return Fail(ENOENT);
    if (boundDevice_[0] != '\0') {
        return Fits(snprintf(out, static_cast<size_t>(outBytes), "%s", boundDevice_), outBytes) ||
               Fail(ENAMETOOLONG);
    }
    // A link that is present decides, even when it dangles: the user named the tty.
    if (settingsDir_[0] != '\0') {
        int written = snprintf(out, static_cast<size_t>(outBytes), "%s/ports/com%d", settingsDir_,
                               static_cast<int>(number));
        if (!Fits(written, outBytes)) return Fail(ENAMETOOLONG);
        struct stat link {};
        if (lstat(out, &link) == 0) return true;
    }
    if (number == 0) return Fail(ENOENT);
    return Fits(snprintf(out, static_cast<size_t>(outBytes), "/dev/ttyS%d", static_cast<int>(number - 1)),
                outBytes) ||
           Fail(ENAMETOOLONG);
}

// Non-blocking, so that a modem line waiting for carrier cannot hang the open; it
// stays so, and the wait of a read is poll's. The lock keeps a second logger off the
// port, as the handheld's unshared open did.
SerialHandle PosixSerialDevice::Open(const wchar_t* deviceName) {
    char path[kPathBytes];
    if (!ResolvePath(deviceName, path, sizeof path)) return kInvalidSerial;
    int fd = open(path, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        Fail();
        return kInvalidSerial;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        Fail();
        close(fd);
        return kInvalidSerial;
    }
    return fd;
}

// The tty layer sizes its own buffers; what is left to check is that the file is a
// terminal at all.
bool PosixSerialDevice::SetupQueues(SerialHandle port, uint32_t, uint32_t) {
    return isatty(port) == 1 || Fail();
}

bool PosixSerialDevice::GetLineSettings(SerialHandle port, SerialLineSettings* settings) {
    struct termios line {};
    uint32_t baud = 0;
    if (tcgetattr(port, &line) != 0 || !GetLineSpeed(port, &baud)) return Fail();
    settings->baudRate = baud;
    settings->byteSize = ByteSize(line.c_cflag);
    settings->parity = (line.c_cflag & PARENB) == 0 ? SerialParity::None
                       : (line.c_cflag & PARODD) != 0 ? SerialParity::Odd
                                                       : SerialParity::Even;
    settings->stopBits = (line.c_cflag & CSTOPB) != 0 ? SerialStopBits::Two : SerialStopBits::One;
    settings->hardwareFlowControl = (line.c_cflag & CRTSCTS) != 0;
    settings->softwareFlowControl = (line.c_iflag & (IXON | IXOFF)) != 0;
    return true;
}

// Raw bytes, the receiver's modem lines ignored (CLOCAL). A rate with a B constant
// goes with the other settings; any other one follows through termios2.
bool PosixSerialDevice::SetLineSettings(SerialHandle port, const SerialLineSettings& settings) {
    // B0 would hang up the line rather than set a rate.
    if (settings.baudRate == 0) return Fail(EINVAL);
    tcflag_t size = SizeFlag(settings.byteSize);
    if (size == 0) return Fail(EINVAL);
    struct termios line {};
    if (tcgetattr(port, &line) != 0) return Fail();
    cfmakeraw(&line);
    line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    line.c_cflag |= size | CLOCAL | CREAD;
    if (settings.parity != SerialParity::None) line.c_cflag |= PARENB;
    if (settings.parity == SerialParity::Odd) line.c_cflag |= PARODD;
    if (settings.stopBits == SerialStopBits::Two) line.c_cflag |= CSTOPB;
    if (settings.hardwareFlowControl) line.c_cflag |= CRTSCTS;
    line.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (settings.softwareFlowControl) line.c_iflag |= IXON | IXOFF;
    speed_t code = B0;
    bool standard = StandardSpeed(settings.baudRate, &code);
    if (standard && cfsetspeed(&line, code) != 0) return Fail();
    if (tcsetattr(port, TCSANOW, &line) != 0) return Fail();
    if (!standard && !SetArbitrarySpeed(port, settings.baudRate)) return Fail();
    return true;
}

bool PosixSerialDevice::SetReadTimeout(SerialHandle port, uint32_t firstByteWaitMs) {
    struct termios line {};
    if (tcgetattr(port, &line) != 0) return Fail();
    // poll reports input from the first byte, and a read takes what is there.
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    if (tcsetattr(port, TCSANOW, &line) != 0) return Fail();
    firstByteWaitMs_ = firstByteWaitMs > INT_MAX ? INT_MAX : static_cast<int>(firstByteWaitMs);
    return true;
}

bool PosixSerialDevice::RaiseModemLine(SerialHandle port, int line) {
    return ioctl(port, TIOCMBIS, &line) == 0 || Fail();
}

bool PosixSerialDevice::RaiseDtr(SerialHandle port) { return RaiseModemLine(port, TIOCM_DTR); }

bool PosixSerialDevice::RaiseRts(SerialHandle port) { return RaiseModemLine(port, TIOCM_RTS); }

bool PosixSerialDevice::Read(SerialHandle port, void* data, uint32_t size, uint32_t* count) {
    *count = 0;
    if (size == 0) return true;
    struct pollfd wait {};
    wait.fd = port;
    wait.events = POLLIN;
    int ready = poll(&wait, 1, firstByteWaitMs_);
    // A signal (Ctrl+C) cuts the wait short; that is an empty read, not a broken port.
    if (ready < 0) return errno == EINTR || Fail();
    if (ready == 0) return true;
    if ((wait.revents & POLLNVAL) != 0) return Fail(EBADF);
    ssize_t got = read(port, data, size);
    if (got > 0) {
        *count = static_cast<uint32_t>(got);
        return true;
    }
    // End of file on a terminal: the line hung up.
    if (got == 0) return Fail(EIO);
    return errno == EAGAIN || errno == EINTR || Fail();
}

void PosixSerialDevice::Close(SerialHandle port) { close(port); }
