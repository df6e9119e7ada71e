#pragma once
#include "platform/SerialDevice.h"
#include "platform/posix/SerialDeviceList.h"

// COM ports on a POSIX host, over termios. "COM<n>:" resolves through a link folder,
// as Wine's dosdevices do: <settings dir>/ports/com<n> (normally a symlink to the
// tty) when it is there, otherwise to the n-th device that SerialDeviceList finds at
// that moment, so that a lone USB receiver is COM1 without any set-up; COM0 has no
// such fallback. A bound device path (the command line's --device) replaces that
// resolution for every port except "None" (-1), which never opens anything.
//
// Each step of opening stands for the handheld's call of the same purpose, so the
// port's result codes keep their meaning:
//   1  Open             open(O_RDONLY | O_NOCTTY | O_NONBLOCK)       (CreateFileW)
//   2  SetupQueues      isatty: the file must be a terminal          (SetupComm)
//   4  SetLineSettings  tcsetattr, and ioctl TCSETS2 for a rate that
//                       has no B constant                            (SetCommState)
//   5  SetReadTimeout   tcsetattr of VMIN = 0, VTIME = 0             (SetCommTimeouts)
// RaiseDtr and RaiseRts are ioctl TIOCMBIS (EscapeCommFunction).
//
// The descriptor stays non-blocking: a read polls for at most the first-byte wait
// and then takes what is there. A hung-up line (a USB adapter pulled out, the other
// end of a pseudo-terminal closed) reads as end of file, which is reported as a
// failure, so the port is closed and reopened instead of looking idle for ever.
class PosixSerialDevice : public SerialDevice {
public:
    static constexpr int kPathBytes = 4096;

    // settingsDir holds the ports/ link folder; boundDevice, when not null or empty,
    // is the tty every port opens for this run; deviceRoot holds the dev/ and sys/
    // that the devices are listed from. All are copied; a path that does not fit
    // kPathBytes makes every Open fail with ENAMETOOLONG.
    explicit PosixSerialDevice(const char* settingsDir, const char* boundDevice = nullptr,
                               const char* deviceRoot = "/");

    SerialHandle Open(const wchar_t* deviceName) override;
    bool SetupQueues(SerialHandle port, uint32_t inputBytes, uint32_t outputBytes) override;
    bool GetLineSettings(SerialHandle port, SerialLineSettings* settings) override;
    bool SetLineSettings(SerialHandle port, const SerialLineSettings& settings) override;
    bool SetReadTimeout(SerialHandle port, uint32_t firstByteWaitMs) override;
    bool RaiseDtr(SerialHandle port) override;
    bool RaiseRts(SerialHandle port) override;
    bool Read(SerialHandle port, void* data, uint32_t size, uint32_t* count) override;
    void Close(SerialHandle port) override;
    uint32_t LastError() override { return lastError_; }
    bool Describe(int32_t portNumber, wchar_t* out, int chars) override;
    // Found when asked, from the step that failed and its error; for a port held by
    // another program, /proc is searched then for the holder.
    bool OpenFailure(PortOpenFailure* failure) override;

    // The host path that a device name like "COM3:" opens; false (ENOENT) for a
    // name that is not a COM port, for "None", for COM0 without a link and for a
    // number beyond the devices present, and ENAMETOOLONG when it does not fit.
    // Looks at the link folder and lists the devices again, but opens nothing.
    bool ResolvePath(const wchar_t* deviceName, char* out, int outBytes);

private:
    enum class Binding { None, Bound, Link, Listed };

    // Where COM<number> (number >= 0) leads now, its path in out; None sets the error.
    Binding Bind(int32_t number, char* out, int outBytes);
    bool Fail();
    bool Fail(int error);
    bool RaiseModemLine(SerialHandle port, int line);
    // What OpenFailure tells of the failed step.
    PortOpenCause CauseOf(int error) const;
    void FindLinkTarget(PortOpenFailure* failure) const;
    void FindGroup(PortOpenFailure* failure) const;
    void FindHolder(PortOpenFailure* failure) const;

    char settingsDir_[kPathBytes] = {};
    char boundDevice_[kPathBytes] = {};
    bool pathsFit_ = true;
    SerialDeviceList devices_;
    // The opening under way or last failed (None once one succeeded), the device it
    // named, its host path and the rate asked for.
    enum class OpenStep { None, Resolve, Open, Lock, Terminal, Line, Timeout };
    OpenStep openStep_ = OpenStep::None;
    char openName_[16] = {};
    char openPath_[kPathBytes] = {};
    uint32_t openBaud_ = 0;
    int firstByteWaitMs_ = 0;  // the last SetReadTimeout, for every read (there is one port)
    uint32_t lastError_ = 0;
};
