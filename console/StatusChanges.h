#pragma once
#include <string>

// Thins the status texts of a long unattended run to the changes of state: the port
// being opened, failing to open (per error code), failing to read, no data, a fix,
// no fix. A text of the kind last let through is held back, so a second-by-second
// fix, or a port that keeps failing the same way, prints once.
class StatusChanges {
public:
    // Takes one status text; returns what to print now, empty when nothing.
    const std::wstring& Take(const std::wstring& text);

private:
    enum class Kind { None, Opening, OpenError, ReadError, NoData, Fix, NoFix };
    static Kind KindOf(const std::wstring& text);

    Kind last_ = Kind::None;
    std::wstring lastError_;  // the open error last printed, with its code
    // "COMn opening..." waits for what follows: an open error makes one state with it.
    std::wstring opening_;
    std::wstring out_;
};
