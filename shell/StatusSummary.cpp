#include "shell/StatusSummary.h"

#include <cwchar>

namespace {

std::wstring Counts(uint32_t points, uint32_t waypoints) {
    wchar_t text[96];
    swprintf(text, sizeof text / sizeof text[0], L"%u track point%ls, %u waypoint%ls", points,
             points == 1 ? L"" : L"s", waypoints, waypoints == 1 ? L"" : L"s");
    return text;
}

}  // namespace

std::wstring StatusSummary::InputLine() const {
    if (poller_.Replaying()) return std::wstring(L"Replaying ") + poller_.ReplayPath();
    if (port_.portNumber == SerialPort::kNoPort) return L"Input: no port selected (Tools > Select input port)";
    wchar_t device[kDisplayPathChars];
    port_.Describe(port_.portNumber, device, kDisplayPathChars);
    wchar_t text[kDisplayPathChars + 96];
    swprintf(text, sizeof text / sizeof text[0], L"Input: COM%d, %ls, %d bit/s, %ls", port_.portNumber, device,
             port_.portSpeed, port_.IsOpen() ? L"open" : L"not open");
    return text;
}

// Only what reached the day files counts as written; what waits for the next flush
// is said apart.
std::wstring StatusSummary::CountsLine() const {
    std::wstring line = L"Today: " + Counts(track_.WrittenToday(), route_.WrittenToday()) + L" written";
    const uint32_t waiting = track_.LinesToday() - track_.WrittenToday() + route_.LinesToday() - route_.WrittenToday();
    if (waiting > 0) line += L", " + std::to_wstring(waiting) + L" waiting";
    return line;
}

std::wstring StatusSummary::FolderLine() const { return L"Output: " + Folder(); }

std::wstring StatusSummary::Folder() const {
    wchar_t folder[kFolderChars];
    track_.GetFolder(folder);
    wchar_t host[kDisplayPathChars];
    files_.DisplayPath(folder, host, kDisplayPathChars);
    return host;
}

void StatusSummary::NoteFlush(uint32_t tick) {
    flushPressed_ = true;
    flushTick_ = tick;
    errorsAtFlush_ = track_.FileErrors() + route_.FileErrors();
}

std::wstring StatusSummary::FlushNote(uint32_t tick, bool requested) const {
    if (!flushPressed_) return L"";
    if (requested) return L"Flushing...";
    if (tick - flushTick_ > kFlushNoteTicks) return L"";
    if (track_.FileErrors() + route_.FileErrors() != errorsAtFlush_) {
        return L"Flush failed: the log below says why.";
    }
    return L"Flushed: " + Counts(track_.WrittenToday(), route_.WrittenToday()) + L" written to " + Folder();
}
