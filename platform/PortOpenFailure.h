#pragma once
#include <cstdint>

// Why a port would not open, as the platform found it. The words for the user are
// chosen outside the platform, by whoever shows them: a menu path in the window
// programs, an option on the command line.
enum class PortOpenCause : uint8_t {
    None,        // it opened, or no opening was tried
    Unbound,     // the COM number leads to no device
    Unresolved,  // what the number leads to cannot be looked up: reason
    Missing,     // the device is not there; detail: where a link to it leads, when one does
    Denied,      // no permission; detail: the device's group, number: its mode bits, or kGroupMayRead
    Busy,        // another program holds it; detail: that program's name, number: its process id (0: unknown)
    NoAnswer,    // nothing answers behind the device node: reason
    NoLock,      // it cannot be locked for this program alone: reason
    NotSerial,   // it is no serial port: reason, when the system gave one
    Speed,       // the line does not take the rate: number: the baud rate, reason
    Timeout,     // the read timeout cannot be set: reason
    Other,       // it cannot be opened for another reason: reason
    Said,        // the device worded it itself (a network daemon): detail
};

struct PortOpenFailure {
    static constexpr uint32_t kGroupMayRead = 0xFFFFFFFFu;
    static constexpr int kDeviceChars = 256;
    static constexpr int kReasonChars = 128;
    static constexpr int kDetailChars = 512;

    PortOpenCause cause = PortOpenCause::None;
    wchar_t device[kDeviceChars] = {};  // as the user knows it: "COM3" on Windows, the host path on Linux
    wchar_t reason[kReasonChars] = {};  // the system's words for its error
    wchar_t detail[kDetailChars] = {};
    uint32_t number = 0;
};
