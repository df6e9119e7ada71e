#include "platform/posix/PosixSerialDevice.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/Utf8.h"
#include "platform/posix/ErrorWords.h"
#include "platform/posix/DeviceHolder.h"
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

PosixSerialDevice::PosixSerialDevice(const char* settingsDir, const char* boundDevice, const char* deviceRoot)
    : pathsFit_(CopyPath(settingsDir, settingsDir_) && CopyPath(boundDevice, boundDevice_)), devices_(deviceRoot) {}

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
    return Bind(number, out, outBytes) != Binding::None;
}

PosixSerialDevice::Binding PosixSerialDevice::Bind(int32_t number, char* out, int outBytes) {
    out[0] = '\0';
    if (boundDevice_[0] != '\0') {
        if (Fits(snprintf(out, static_cast<size_t>(outBytes), "%s", boundDevice_), outBytes)) return Binding::Bound;
        Fail(ENAMETOOLONG);
        return Binding::None;
    }
    // A link that is present decides, even when it dangles: the user named the tty.
    if (settingsDir_[0] != '\0') {
        int written = snprintf(out, static_cast<size_t>(outBytes), "%s/ports/com%d", settingsDir_,
                               static_cast<int>(number));
        if (!Fits(written, outBytes)) {
            Fail(ENAMETOOLONG);
            return Binding::None;
        }
        struct stat link {};
        if (lstat(out, &link) == 0) return Binding::Link;
    }
    out[0] = '\0';
    // Listed afresh each time: a receiver plugged in since the last attempt is found.
    if (number > 0) devices_.Read();
    if (number == 0 || number > devices_.Count()) {
        Fail(ENOENT);
        return Binding::None;
    }
    if (devices_.PathOf(devices_.At(number - 1), out, outBytes)) return Binding::Listed;
    Fail(ENAMETOOLONG);
    return Binding::None;
}

bool PosixSerialDevice::Describe(int32_t portNumber, wchar_t* out, int chars) {
    const uint32_t kept = lastError_;
    char path[kPathBytes];
    char text[kPathBytes + 64];
    Binding binding = pathsFit_ && portNumber >= 0 ? Bind(portNumber, path, sizeof path) : Binding::None;
    lastError_ = kept;
    switch (binding) {
        case Binding::Bound:
            snprintf(text, sizeof text, "%s (--device)", path);
            break;
        case Binding::Link: {
            char target[kPathBytes];
            ssize_t length = readlink(path, target, sizeof target - 1);
            target[length < 0 ? 0 : length] = '\0';
            snprintf(text, sizeof text, "%s (ports/com%d)", length < 0 ? path : target, static_cast<int>(portNumber));
            break;
        }
        case Binding::Listed: {
            const SerialDeviceList::Device& device = devices_.At(portNumber - 1);
            if (strcmp(device.description, device.kernelName) == 0) {
                snprintf(text, sizeof text, "%s", device.kernelName);
            } else {
                snprintf(text, sizeof text, "%s (%s)", device.description, device.kernelName);
            }
            break;
        }
        case Binding::None:
            snprintf(text, sizeof text, "not present");
            break;
    }
    Utf8ToWide(text, out, chars);
    return binding != Binding::None;
}

// Non-blocking, so that a modem line waiting for carrier cannot hang the open; it
// stays so, and the wait of a read is poll's. The lock keeps a second logger off the
// port, as the handheld's unshared open did.
SerialHandle PosixSerialDevice::Open(const wchar_t* deviceName) {
    WideToUtf8(deviceName, openName_, sizeof openName_);
    openName_[strcspn(openName_, ":")] = '\0';
    openStep_ = OpenStep::Resolve;
    if (!ResolvePath(deviceName, openPath_, sizeof openPath_)) return kInvalidSerial;
    openStep_ = OpenStep::Open;
    int fd = open(openPath_, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        Fail();
        return kInvalidSerial;
    }
    openStep_ = OpenStep::Lock;
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
    openStep_ = OpenStep::Terminal;
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
    openStep_ = OpenStep::Line;
    openBaud_ = settings.baudRate;
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
    openStep_ = OpenStep::Timeout;
    struct termios line {};
    if (tcgetattr(port, &line) != 0) return Fail();
    // poll reports input from the first byte, and a read takes what is there.
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    if (tcsetattr(port, TCSANOW, &line) != 0) return Fail();
    firstByteWaitMs_ = firstByteWaitMs > INT_MAX ? INT_MAX : static_cast<int>(firstByteWaitMs);
    // The last step of opening: nothing is left to describe.
    openStep_ = OpenStep::None;
    return true;
}

bool PosixSerialDevice::OpenFailure(PortOpenFailure* failure) {
    *failure = PortOpenFailure{};
    if (openStep_ == OpenStep::None) return false;
    const int error = static_cast<int>(lastError_);
    char unknown[32];
    Utf8ToWide(ErrorWords(error, unknown), failure->reason, PortOpenFailure::kReasonChars);
    Utf8ToWide(openPath_, failure->device, PortOpenFailure::kDeviceChars);
    failure->cause = CauseOf(error);
    switch (failure->cause) {
        case PortOpenCause::Unbound:
        case PortOpenCause::Unresolved:
            Utf8ToWide(openName_, failure->device, PortOpenFailure::kDeviceChars);
            break;
        case PortOpenCause::Missing:
            FindLinkTarget(failure);
            break;
        case PortOpenCause::Denied:
            FindGroup(failure);
            break;
        case PortOpenCause::Busy:
            FindHolder(failure);
            break;
        case PortOpenCause::Speed:
            failure->number = openBaud_;
            break;
        case PortOpenCause::NotSerial:
            // "Inappropriate ioctl for device" says no more than the cause.
            failure->reason[0] = L'\0';
            break;
        default:
            break;
    }
    return true;
}

// The failed step and its error, as a cause.
PortOpenCause PosixSerialDevice::CauseOf(int error) const {
    switch (openStep_) {
        case OpenStep::None:
            return PortOpenCause::None;
        case OpenStep::Resolve:
            return error == ENOENT ? PortOpenCause::Unbound : PortOpenCause::Unresolved;
        case OpenStep::Open:
            if (error == ENOENT) return PortOpenCause::Missing;
            if (error == EACCES || error == EPERM) return PortOpenCause::Denied;
            if (error == EBUSY) return PortOpenCause::Busy;
            if (error == ENXIO || error == ENODEV || error == EIO) return PortOpenCause::NoAnswer;
            return PortOpenCause::Other;
        case OpenStep::Lock:
            return error == EWOULDBLOCK ? PortOpenCause::Busy : PortOpenCause::NoLock;
        case OpenStep::Terminal:
            return PortOpenCause::NotSerial;
        case OpenStep::Line:
            return PortOpenCause::Speed;
        case OpenStep::Timeout:
            return PortOpenCause::Timeout;
    }
    return PortOpenCause::Other;
}

// A link of the ports/ folder is there; what it leads to is not.
void PosixSerialDevice::FindLinkTarget(PortOpenFailure* failure) const {
    char target[kPathBytes];
    const ssize_t length = readlink(openPath_, target, sizeof target - 1);
    if (length <= 0) return;
    target[length] = '\0';
    Utf8ToWide(target, failure->detail, PortOpenFailure::kDetailChars);
}

// The group that may read the tty (dialout, usually), and its mode when even that
// group may not.
void PosixSerialDevice::FindGroup(PortOpenFailure* failure) const {
    char group[64] = "dialout";
    struct stat device {};
    const bool known = stat(openPath_, &device) == 0;
    if (known) {
        struct group entry {};
        struct group* found = nullptr;
        char names[1024];
        if (getgrgid_r(device.st_gid, &entry, names, sizeof names, &found) == 0 && found != nullptr) {
            snprintf(group, sizeof group, "%s", found->gr_name);
        }
    }
    Utf8ToWide(group, failure->detail, PortOpenFailure::kDetailChars);
    failure->number = !known || (device.st_mode & S_IRGRP) != 0 ? PortOpenFailure::kGroupMayRead
                                                                 : static_cast<uint32_t>(device.st_mode & 0777);
}

void PosixSerialDevice::FindHolder(PortOpenFailure* failure) const {
    char name[64];
    const pid_t holder = FindDeviceHolder(openPath_, name, sizeof name);
    if (holder <= 0) return;
    failure->number = static_cast<uint32_t>(holder);
    Utf8ToWide(name, failure->detail, PortOpenFailure::kDetailChars);
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
