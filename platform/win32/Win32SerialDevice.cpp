#include "platform/win32/Win32SerialDevice.h"

#include <cstddef>
#include <cstring>
#include <cwchar>

#include "platform/win32/Win32ErrorText.h"

namespace {

// The flag word of a DCB: fBinary is bit 0, fTXContinueOnXoff bit 7; the fifteen
// lowest bits hold every parity, flow-control and line-control switch.
constexpr DWORD kLowFlagBits = 0x7FFF;
constexpr DWORD kBinary = 1u << 0;
constexpr DWORD kTxContinueOnXoff = 1u << 7;
constexpr DWORD kOutxCtsFlow = 1u << 2;
constexpr DWORD kOutX = 1u << 8;
constexpr DWORD kInX = 1u << 9;
constexpr int kRtsControlShift = 12;
constexpr DWORD kRtsControlMask = 3u << kRtsControlShift;

// The DCB's bit-fields as the one word they share, between BaudRate and wReserved.
constexpr size_t kFlagOffset = offsetof(DCB, BaudRate) + sizeof(DWORD);
static_assert(offsetof(DCB, wReserved) == kFlagOffset + sizeof(DWORD), "the DCB's flags are one word");

DWORD Flags(const DCB& dcb) {
    DWORD flags = 0;
    memcpy(&flags, reinterpret_cast<const char*>(&dcb) + kFlagOffset, sizeof flags);
    return flags;
}

void SetFlags(DCB& dcb, DWORD flags) { memcpy(reinterpret_cast<char*>(&dcb) + kFlagOffset, &flags, sizeof flags); }

}  // namespace

Win32SerialDevice::Win32SerialDevice() {
    for (HANDLE& handle : handles_) handle = INVALID_HANDLE_VALUE;
}

Win32SerialDevice::~Win32SerialDevice() {
    for (HANDLE handle : handles_) {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
}

bool Win32SerialDevice::Fail() {
    lastError_ = GetLastError();
    return false;
}

HANDLE Win32SerialDevice::HandleOf(SerialHandle port) {
    return port >= 0 && port < kMaxPorts ? handles_[port] : INVALID_HANDLE_VALUE;
}

SerialHandle Win32SerialDevice::Open(const wchar_t* deviceName) {
    openStep_ = OpenStep::Open;
    swprintf(openName_, kNameChars, L"%ls", deviceName);
    const size_t length = wcslen(openName_);
    if (length > 0 && openName_[length - 1] == L':') openName_[length - 1] = L'\0';
    // Win32 reads "COM1:" to "COM9:" as devices, but "COM10:" as a file name; the
    // device namespace reaches every port number the same way, on Windows and Wine.
    wchar_t path[kNameChars + 4];
    const bool com = wcsncmp(openName_, L"COM", 3) == 0 && openName_[3] >= L'0' && openName_[3] <= L'9';
    swprintf(path, kNameChars + 4, com ? L"\\\\.\\%ls" : L"%ls", com ? openName_ : deviceName);
    HANDLE handle = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Fail();
        return kInvalidSerial;
    }
    for (SerialHandle slot = 0; slot < kMaxPorts; ++slot) {
        if (handles_[slot] == INVALID_HANDLE_VALUE) {
            handles_[slot] = handle;
            return slot;
        }
    }
    CloseHandle(handle);
    lastError_ = ERROR_TOO_MANY_OPEN_FILES;
    return kInvalidSerial;
}

bool Win32SerialDevice::SetupQueues(SerialHandle port, uint32_t inputBytes, uint32_t outputBytes) {
    openStep_ = OpenStep::Queues;
    return SetupComm(HandleOf(port), inputBytes, outputBytes) || Fail();
}

bool Win32SerialDevice::GetLineSettings(SerialHandle port, SerialLineSettings* settings) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(HandleOf(port), &dcb)) return Fail();
    const DWORD flags = Flags(dcb);
    settings->baudRate = dcb.BaudRate;
    settings->byteSize = dcb.ByteSize;
    settings->parity = dcb.Parity == ODDPARITY ? SerialParity::Odd
                       : dcb.Parity == EVENPARITY ? SerialParity::Even
                                                  : SerialParity::None;
    settings->stopBits = dcb.StopBits == TWOSTOPBITS ? SerialStopBits::Two : SerialStopBits::One;
    settings->hardwareFlowControl =
        (flags & kOutxCtsFlow) != 0 || (flags & kRtsControlMask) == (RTS_CONTROL_HANDSHAKE << kRtsControlShift);
    settings->softwareFlowControl = (flags & (kOutX | kInX)) != 0;
    return true;
}

// The state is read again and changed only where the settings say, so the driver's
// own members (XonLim, EvtChar, ...) keep their values.
bool Win32SerialDevice::SetLineSettings(SerialHandle port, const SerialLineSettings& settings) {
    openStep_ = OpenStep::Line;
    openBaud_ = settings.baudRate;
    HANDLE handle = HandleOf(port);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(handle, &dcb);
    dcb.BaudRate = settings.baudRate;
    // DTR and RTS control 0: the lines are raised by hand once the port is set up.
    DWORD flags = (Flags(dcb) & ~kLowFlagBits) | kBinary | kTxContinueOnXoff;
    if (settings.parity != SerialParity::None) flags |= 1u << 1;  // fParity
    if (settings.hardwareFlowControl) flags |= kOutxCtsFlow | (RTS_CONTROL_HANDSHAKE << kRtsControlShift);
    if (settings.softwareFlowControl) flags |= kOutX | kInX;
    SetFlags(dcb, flags);
    dcb.ByteSize = settings.byteSize;
    dcb.Parity = settings.parity == SerialParity::Odd ? ODDPARITY
                 : settings.parity == SerialParity::Even ? EVENPARITY
                                                         : NOPARITY;
    dcb.StopBits = settings.stopBits == SerialStopBits::Two ? TWOSTOPBITS : ONESTOPBIT;
    return SetCommState(handle, &dcb) || Fail();
}

// With an interval and a multiplier of MAXDWORD, a read returns at once with what is
// waiting and, when nothing is, waits up to the constant for the first byte.
bool Win32SerialDevice::SetReadTimeout(SerialHandle port, uint32_t firstByteWaitMs) {
    openStep_ = OpenStep::Timeout;
    COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, firstByteWaitMs, 1000, 2000};
    if (!SetCommTimeouts(HandleOf(port), &timeouts)) return Fail();
    // The last step of opening: nothing is left to describe.
    openStep_ = OpenStep::None;
    return true;
}

bool Win32SerialDevice::RaiseDtr(SerialHandle port) { return EscapeCommFunction(HandleOf(port), SETDTR) || Fail(); }

bool Win32SerialDevice::RaiseRts(SerialHandle port) { return EscapeCommFunction(HandleOf(port), SETRTS) || Fail(); }

bool Win32SerialDevice::Read(SerialHandle port, void* data, uint32_t size, uint32_t* count) {
    *count = 0;
    DWORD got = 0;
    if (!ReadFile(HandleOf(port), data, size, &got, nullptr)) return Fail();
    *count = got;
    return true;
}

void Win32SerialDevice::Close(SerialHandle port) {
    HANDLE handle = HandleOf(port);
    if (handle == INVALID_HANDLE_VALUE) return;
    handles_[port] = INVALID_HANDLE_VALUE;
    CloseHandle(handle);
}

bool Win32SerialDevice::OpenFailure(PortOpenFailure* failure) {
    *failure = PortOpenFailure{};
    if (openStep_ == OpenStep::None) return false;
    SystemErrorText(lastError_, failure->reason, PortOpenFailure::kReasonChars);
    swprintf(failure->device, PortOpenFailure::kDeviceChars, L"%ls", openName_);
    switch (openStep_) {
        case OpenStep::None:
        case OpenStep::Open:
            failure->cause = lastError_ == ERROR_FILE_NOT_FOUND || lastError_ == ERROR_PATH_NOT_FOUND
                                 ? PortOpenCause::Missing
                             : lastError_ == ERROR_ACCESS_DENIED || lastError_ == ERROR_SHARING_VIOLATION
                                 ? PortOpenCause::Busy
                                 : PortOpenCause::Other;
            break;
        case OpenStep::Queues:
            failure->cause = PortOpenCause::NotSerial;
            break;
        case OpenStep::Line:
            failure->cause = PortOpenCause::Speed;
            failure->number = openBaud_;
            break;
        case OpenStep::Timeout:
            failure->cause = PortOpenCause::Timeout;
            break;
    }
    return true;
}

// What the name maps to in the system's device namespace, such as "\Device\Serial0"
// or, under Wine, the host's tty.
bool Win32SerialDevice::Describe(int32_t portNumber, wchar_t* out, int chars) {
    wchar_t name[kNameChars];
    swprintf(name, kNameChars, L"COM%ld", static_cast<long>(portNumber));
    wchar_t target[1024];
    const bool found = portNumber >= 0 && QueryDosDeviceW(name, target, 1024) != 0;
    // The first of the names the device has.
    swprintf(out, static_cast<size_t>(chars), L"%ls", found ? target : L"not present");
    return found;
}
