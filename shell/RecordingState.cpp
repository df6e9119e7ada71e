#include "shell/RecordingState.h"

#include <cwchar>

#include "format/WholeSeconds.h"

namespace {

// Tells one reason in words from another without keeping a copy.
uint32_t Fingerprint(const wchar_t* text) {
    uint32_t hash = 2166136261u;
    for (; *text != L'\0'; ++text) hash = (hash ^ static_cast<uint32_t>(*text)) * 16777619u;
    return hash;
}

}  // namespace

RecordingState::Level RecordingState::GetLevel() const {
    switch (kind_) {
        case Kind::Recording:
        case Kind::Replaying:
            return Level::Good;
        case Kind::NoData:
        case Kind::NoFix:
            return Level::Warning;
        default:
            return Level::Bad;
    }
}

void RecordingState::Tick() {
    ++tick_;
    const bool data = assembler_.Sentences() != sentences_;
    const bool fix = processor_.Fixes() != fixes_;
    if (data) {
        // Fixes are waited for from the first sentence after a silence.
        if (sentences_ == 0 || tick_ - lastDataTick_ > kQuietTicks) {
            dataSinceTick_ = tick_;
            if (!poller_.Replaying()) StampNow(noFix_.since);
        }
        sentences_ = assembler_.Sentences();
        lastDataTick_ = tick_;
    }
    if (fix) {
        fixes_ = processor_.Fixes();
        lastFixTick_ = tick_;
    }
    if (port_.portNumber != openPort_) {
        openPort_ = port_.portNumber;
        wasOpen_ = false;
        device_[0] = L'\0';
    }
    // What stands behind the number may change while it is closed.
    if (port_.IsOpen() != open_) device_[0] = L'\0';
    open_ = port_.IsOpen();
    wasOpen_ = wasOpen_ || open_;

    // A replay's ticks are no seconds; a closed port says so in the state already.
    const bool live = !poller_.Replaying() && open_;
    WatchSilence(noData_, data, tick_ - lastDataTick_, live, true);
    const uint32_t withoutFix = tick_ - (lastFixTick_ > dataSinceTick_ ? lastFixTick_ : dataSinceTick_);
    WatchSilence(noFix_, fix, withoutFix, live && sentences_ > 0 && tick_ - lastDataTick_ <= kQuietTicks, false);

    const size_t room = kLineChars;
    const uint32_t written = track_.WrittenToday();
    const wchar_t* points = written == 1 ? L"point" : L"points";
    if (track_.Failing() || route_.Failing()) {
        const wchar_t* why = track_.Failing() ? track_.FailureWords() : route_.FailureWords();
        swprintf(line_, room, L"NOT RECORDING: %ls", why);
        // The words end in a line break in the log.
        for (size_t end = wcslen(line_); end > 0 && (line_[end - 1] == L'\n' || line_[end - 1] == L'\r');) {
            line_[--end] = L'\0';
        }
        Say(Kind::NotRecording, line_);
    } else if (poller_.Replaying()) {
        swprintf(line_, room, L"Replaying %ls: %u track %ls written today", poller_.ReplayPath(), written, points);
        Say(Kind::Replaying, L"");
    } else if (port_.portNumber == SerialPort::kNoPort) {
        swprintf(line_, room, L"NOT RECORDING: no input port is selected");
        Say(Kind::NotRecording, L"no port");
    } else if (!open_ && wasOpen_) {
        swprintf(line_, room, L"Device gone %ls: %ls", Since(noData_, sentences_ > 0), Device());
        Say(Kind::DeviceGone, L"");
    } else if (!open_) {
        swprintf(line_, room, L"NOT RECORDING: %ls does not open", Device());
        Say(Kind::NotRecording, L"not open");
    } else if (sentences_ == 0 || tick_ - lastDataTick_ > kQuietTicks) {
        swprintf(line_, room, L"No data %ls from %ls", Since(noData_, sentences_ > 0), Device());
        Say(Kind::NoData, L"");
    } else if (fixes_ == 0 || tick_ - lastFixTick_ > kQuietTicks) {
        swprintf(line_, room, L"No fix %ls: is the antenna's view of the sky free?", Since(noFix_, fixes_ > 0));
        Say(Kind::NoFix, L"");
    } else {
        swprintf(line_, room, L"Recording: %ls, %u track %ls written today", Device(), written, points);
        Say(Kind::Recording, L"");
    }
}

void RecordingState::Say(Kind kind, const wchar_t* reason) {
    const uint32_t fingerprint = Fingerprint(reason);
    if (kind != kind_ || fingerprint != reason_) ++changes_;
    kind_ = kind;
    reason_ = fingerprint;
}

const wchar_t* RecordingState::Device() {
    if (device_[0] == L'\0') {
        wchar_t what[kDisplayPathChars];
        if (port_.Describe(port_.portNumber, what, kDisplayPathChars)) {
            swprintf(device_, kDeviceChars, L"COM%d (%ls)", port_.portNumber, what);
        } else {
            swprintf(device_, kDeviceChars, L"COM%d", port_.portNumber);
        }
    }
    return device_;
}

const wchar_t* RecordingState::Since(const Silence& silence, bool heard) {
    if (!heard) return L"yet";
    swprintf(since_, kSinceChars, L"since %ls", silence.since);
    return since_;
}

void RecordingState::StampNow(wchar_t* out) {
    SystemTime now{};
    if (zone_.UtcNow(&now)) {
        swprintf(out, kSinceChars, L"%02u:%02u:%02u UTC", now.hour, now.minute, now.second);
    } else if (fixes_ > 0) {
        const GpsFix& fix = processor_.LastFix();
        // As the status box shows them; a doctored sentence's seconds are cut safely there too.
        swprintf(out, kSinceChars, L"%02d:%02d:%02d UTC", fix.hour, fix.minute, WholeSeconds(fix.seconds));
    } else {
        swprintf(out, kSinceChars, L"the start");
    }
}

void RecordingState::WatchSilence(Silence& silence, bool heard, uint32_t quietTicks, bool watching,
                                  bool data) {
    // Times matter only where a silence is watched: a replay asks the clock nothing.
    if (watching && (heard || silence.since[0] == L'\0')) StampNow(silence.since);
    wchar_t line[kDeviceChars + 256];
    if (heard && silence.said) {
        wchar_t now[kSinceChars];
        StampNow(now);
        if (data) {
            swprintf(line, sizeof line / sizeof line[0], L"Data again from %ls at %ls.\r\n", Device(), now);
        } else {
            swprintf(line, sizeof line / sizeof line[0], L"A fix again at %ls.\r\n", now);
        }
        boxes_.AppendText(kLogBox, line);
        silence.said = false;
        return;
    }
    if (!watching || silence.said || warnAfter_ == 0 || quietTicks < warnAfter_) return;
    silence.said = true;
    const uint32_t minutes = warnAfter_ / 60;
    wchar_t length[32];
    if (minutes > 0 && warnAfter_ % 60 == 0) {
        swprintf(length, 32, L"%u minute%ls", minutes, minutes == 1 ? L"" : L"s");
    } else {
        swprintf(length, 32, L"%u seconds", warnAfter_);
    }
    if (data) {
        swprintf(line, sizeof line / sizeof line[0],
                 L"No data since %ls from %ls, for %ls: check the cable, the receiver's power and that it is this "
                 L"port.\r\n",
                 silence.since, Device(), length);
    } else {
        swprintf(line, sizeof line / sizeof line[0],
                 L"No fix since %ls, for %ls, though sentences come: the antenna needs a view of the open sky.\r\n",
                 silence.since, length);
    }
    boxes_.AppendText(kLogBox, line);
}
