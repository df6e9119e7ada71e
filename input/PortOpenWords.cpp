#include "input/PortOpenWords.h"

#include <cwchar>

const PortAdvice kPlainPortAdvice = {L"choose another port", L"choose another speed"};

namespace {

using Words = void (*)(const PortOpenFailure& f, const PortAdvice& a, wchar_t* out, size_t room);

// What the user can do when no advice on the speed applies: look at the port.
const wchar_t* SpeedAdvice(const PortAdvice& a) { return a.chooseSpeed != nullptr ? a.chooseSpeed : a.choosePort; }

void Missing(const PortOpenFailure& f, const PortAdvice& a, wchar_t* out, size_t room) {
    if (f.detail[0] != L'\0') {
        swprintf(out, room, L"%ls leads to %ls, which does not exist: plug the receiver in, or %ls.", f.device,
                 f.detail, a.choosePort);
    } else {
        swprintf(out, room, L"%ls does not exist: plug the receiver in, or %ls.", f.device, a.choosePort);
    }
}

// A tty usually belongs to a group (dialout) that its users join; one whose group may
// not read it needs its mode changed first.
void Denied(const PortOpenFailure& f, const PortAdvice&, wchar_t* out, size_t room) {
    if (f.number == PortOpenFailure::kGroupMayRead) {
        swprintf(out, room,
                 L"Permission denied on %ls: add yourself to the %ls group (sudo usermod -aG %ls $USER), then log in "
                 L"again.",
                 f.device, f.detail, f.detail);
    } else {
        swprintf(out, room,
                 L"Permission denied on %ls: its mode (%03o) lets not even its group %ls read it; allow that (sudo "
                 L"chmod g+rw %ls), add yourself to the group (sudo usermod -aG %ls $USER), then log in again.",
                 f.device, static_cast<unsigned>(f.number & 0777), f.detail, f.device, f.detail);
    }
}

void Busy(const PortOpenFailure& f, const PortAdvice& a, wchar_t* out, size_t room) {
    if (f.number != 0) {
        swprintf(out, room,
                 L"%ls is in use by process %u (%ls): stop it, or read the receiver through that program, or %ls.",
                 f.device, static_cast<unsigned>(f.number), f.detail, a.choosePort);
    } else {
        swprintf(out, room, L"%ls is in use by another program: close that program, or %ls.", f.device, a.choosePort);
    }
}

void NotSerial(const PortOpenFailure& f, const PortAdvice& a, wchar_t* out, size_t room) {
    if (f.reason[0] != L'\0') {
        swprintf(out, room, L"%ls is not a serial port (%ls): %ls.", f.device, f.reason, a.choosePort);
    } else {
        swprintf(out, room, L"%ls is not a serial port: %ls.", f.device, a.choosePort);
    }
}

// One row per cause, in the order of PortOpenCause.
const Words kWords[] = {
    /* None */ [](const PortOpenFailure&, const PortAdvice&, wchar_t* out, size_t) { out[0] = L'\0'; },
    /* Unbound */
    [](const PortOpenFailure& f, const PortAdvice& a, wchar_t* out, size_t room) {
        swprintf(out, room, L"no device for %ls (nothing plugged in?): plug the receiver in, or %ls.", f.device,
                 a.choosePort);
    },
    /* Unresolved */
    [](const PortOpenFailure& f, const PortAdvice& a, wchar_t* out, size_t room) {
        swprintf(out, room, L"cannot find the device for %ls: %ls; check the ports/ links, or %ls.", f.device,
                 f.reason, a.choosePort);
    },
    Missing,
    Denied,
    Busy,
    /* NoAnswer */
    [](const PortOpenFailure& f, const PortAdvice&, wchar_t* out, size_t room) {
        swprintf(out, room, L"no device answers at %ls (%ls): is the receiver plugged in, and is it this port?",
                 f.device, f.reason);
    },
    /* NoLock */
    [](const PortOpenFailure& f, const PortAdvice&, wchar_t* out, size_t room) {
        swprintf(out, room, L"cannot lock %ls for this program alone: %ls; check the device.", f.device, f.reason);
    },
    NotSerial,
    /* Speed */
    [](const PortOpenFailure& f, const PortAdvice& a, wchar_t* out, size_t room) {
        swprintf(out, room, L"%ls does not take %u baud, 8N1: %ls; %ls.", f.device, static_cast<unsigned>(f.number),
                 f.reason, SpeedAdvice(a));
    },
    /* Timeout */
    [](const PortOpenFailure& f, const PortAdvice&, wchar_t* out, size_t room) {
        swprintf(out, room, L"cannot set the read timeout of %ls: %ls; unplug the receiver and plug it in again.",
                 f.device, f.reason);
    },
    /* Other */
    [](const PortOpenFailure& f, const PortAdvice& a, wchar_t* out, size_t room) {
        swprintf(out, room, L"cannot open %ls: %ls; check the device, or %ls.", f.device, f.reason, a.choosePort);
    },
    /* Said */
    [](const PortOpenFailure& f, const PortAdvice&, wchar_t* out, size_t room) {
        swprintf(out, room, L"%ls", f.detail);
    },
};
static_assert(sizeof kWords / sizeof kWords[0] == static_cast<size_t>(PortOpenCause::Said) + 1,
              "a row for every cause");

}  // namespace

void WordPortOpenFailure(const PortOpenFailure& failure, const PortAdvice& advice, wchar_t* out, int chars) {
    if (chars <= 0) return;
    out[0] = L'\0';
    kWords[static_cast<size_t>(failure.cause)](failure, advice, out, static_cast<size_t>(chars));
}
