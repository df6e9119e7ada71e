#include "shell/Settings.h"

#include <cstring>
#include <cwchar>

#include "platform/Utf16.h"

namespace {

const wchar_t kKeyPath[] = L"Software\\Zolvet\\Kestrave";
const wchar_t kOutputDir[] = L"OutputDir";
const wchar_t kPortNumber[] = L"PortNumber";
const wchar_t kPortSpeed[] = L"PortSpeed";
const wchar_t kGpsOnly[] = L"GpsOnly";
const wchar_t kWarnAfter[] = L"WarnAfter";
const wchar_t kWriteGpx[] = L"WriteGpx";
constexpr int32_t kDefaultWarnAfter = 300;
const wchar_t kGpsdServer[] = L"GpsdServer";
// A host name (up to 253 characters) and a port, with room to spare.
constexpr uint32_t kServerChars = 300;

// The longest text stored: a folder the writers accept, or a gpsd server.
constexpr uint32_t kMaxTextChars = kServerChars > kFolderChars ? kServerChars : kFolderChars;

// Why a folder that begins with '\' would not be the folder it names on the host, or
// nullptr. There "." and ".." step elsewhere and "/" separates folders too; an empty
// name, as in "\\", is skipped there and does no harm.
const wchar_t* UnsafeReason(const wchar_t* folder) {
    if (wcschr(folder, L'/') != nullptr) return L"it holds a \"/\", and folders are separated by \"\\\"";
    for (const wchar_t* name = folder + 1;; ) {
        const size_t length = wcscspn(name, L"\\");
        if ((length == 1 || length == 2) && wcsncmp(name, L"..", length) == 0) {
            return L"a folder in it is named \".\" or \"..\", which can lead out of the device root";
        }
        if (name[length] == L'\0') return nullptr;
        name += length + 1;
    }
}

}  // namespace

Settings::Settings(SettingsStore& store, int32_t& portNumber, int32_t& portSpeed, TrackWriter& track,
                   RouteWriter& route, SentenceAssembler& assembler)
    : store_(store), portNumber_(portNumber), portSpeed_(portSpeed), track_(track), route_(route), assembler_(assembler) {}

void Settings::PinOutputDir(const wchar_t* folder) {
    track_.SetFolder(folder);
    route_.SetFolder(folder);
    outputDirPinned_ = true;
}

void Settings::PinSpeed(int32_t speed) {
    portSpeed_ = speed;
    speedPinned_ = true;
}

void Settings::PinTalkers(TalkerSet talkers) {
    assembler_.SetTalkers(talkers);
    talkersPinned_ = true;
}

// A value no port or speed can be (COM-2, -1 bit/s) counts as missing, and is named once.
void Settings::LoadPort() {
    portProblem_[0] = L'\0';
    SettingsKey key = store_.OpenKey(kKeyPath);
    if (key == kInvalidKey) return;
    const int32_t number = ReadDword(key, kPortNumber, portNumber_);
    if (number >= kNoPortNumber && number <= kLastPortNumber) {
        portNumber_ = number;
    } else {
        NotePortProblem(kPortNumber, number, portNumber_);
    }
    if (!speedPinned_) {
        const int32_t speed = ReadDword(key, kPortSpeed, portSpeed_);
        if (speed >= 1 && speed <= kHighestSpeed) {
            portSpeed_ = speed;
        } else {
            NotePortProblem(kPortSpeed, speed, portSpeed_);
        }
    }
    store_.CloseKey(key);
}

void Settings::NotePortProblem(const wchar_t* name, int32_t value, int32_t kept) {
    const size_t used = wcslen(portProblem_);
    swprintf(portProblem_ + used, sizeof portProblem_ / sizeof portProblem_[0] - used,
             L"The setting %ls is %d (0x%08X), which no port takes; %d is used. Choose it again in Tools, or fix "
             L"the settings file.\r\n",
             name, static_cast<int>(value), static_cast<unsigned>(value), static_cast<int>(kept));
}

void Settings::LoadTalkers() {
    if (talkersPinned_) return;
    SettingsKey key = store_.OpenKey(kKeyPath);
    const int32_t gpsOnly = key == kInvalidKey ? 0 : ReadDword(key, kGpsOnly, 0);
    if (key != kInvalidKey) store_.CloseKey(key);
    assembler_.SetTalkers(gpsOnly == 1 ? TalkerSet::GpsOnly : TalkerSet::AllGnss);
}

void Settings::PinGpx(bool on) {
    track_.SetGpx(on);
    gpxPinned_ = true;
}

void Settings::LoadGpx() {
    if (gpxPinned_) return;
    SettingsKey key = store_.OpenKey(kKeyPath);
    const int32_t write = key == kInvalidKey ? 1 : ReadDword(key, kWriteGpx, 1);
    if (key != kInvalidKey) store_.CloseKey(key);
    track_.SetGpx(write != 0);
}

void Settings::SaveGpx(bool on) {
    track_.SetGpx(on);
    SettingsKey key = store_.CreateKey(kKeyPath);
    if (key == kInvalidKey) return;
    WriteDword(key, kWriteGpx, on ? 1 : 0);
    store_.CloseKey(key);
}

void Settings::PinWarnAfter(uint32_t seconds) {
    warnAfter_ = seconds;
    warnAfterPinned_ = true;
}

uint32_t Settings::LoadWarnAfter() {
    if (warnAfterPinned_) return warnAfter_;
    SettingsKey key = store_.OpenKey(kKeyPath);
    const int32_t seconds = key == kInvalidKey ? kDefaultWarnAfter : ReadDword(key, kWarnAfter, kDefaultWarnAfter);
    if (key != kInvalidKey) store_.CloseKey(key);
    // A negative value is no number of seconds.
    warnAfter_ = seconds < 0 ? kDefaultWarnAfter : static_cast<uint32_t>(seconds);
    return warnAfter_;
}

int32_t Settings::ReadDword(SettingsKey key, const wchar_t* name, int32_t fallback) {
    uint8_t data[4] = {};
    uint32_t type = 0;
    uint32_t size = sizeof data;
    if (store_.QueryValue(key, name, &type, data, &size) != QueryResult::Success || type != kRegDword ||
        size != sizeof data) {
        return fallback;
    }
    // 0xFFFFFFFF is the stored form of -1 (no port).
    uint32_t bits = GetDword(data);
    int32_t value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

void Settings::WriteDword(SettingsKey key, const wchar_t* name, int32_t value) {
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    uint8_t data[4];
    PutDword(bits, data);
    store_.SetValue(key, name, kRegDword, data, sizeof data);
}

void Settings::SavePort() {
    SettingsKey key = store_.CreateKey(kKeyPath);
    if (key == kInvalidKey) return;
    WriteDword(key, kPortNumber, portNumber_);
    WriteDword(key, kPortSpeed, portSpeed_);
    store_.CloseKey(key);
}

int Settings::LoadOutputDir() {
    if (outputDirPinned_) return kOutputDirLoaded;
    SettingsKey key = store_.OpenKey(kKeyPath);
    if (key == kInvalidKey) return kNoKey;
    uint8_t data[kLoadChars * 2];
    uint32_t type = 0;
    uint32_t size = sizeof data;
    QueryResult result = store_.QueryValue(key, kOutputDir, &type, data, &size);
    store_.CloseKey(key);
    if (result == QueryResult::MoreData && type == kRegSz) {
        swprintf(outputDirProblem_, sizeof outputDirProblem_ / sizeof outputDirProblem_[0],
                 L"is not usable: it is longer than %u characters", kLoadChars - 1);
        return kOutputDirUnsafe;
    }
    if (result != QueryResult::Success || type != kRegSz) return kOutputDirUnreadable;
    // Text without a terminator is cut at the buffer's last character.
    wchar_t folder[kLoadChars];
    Utf16LeToWide(data, size < sizeof data - 2 ? size : sizeof data - 2, folder, kLoadChars);
    if (folder[0] != L'\\') return kOutputDirNotRooted;
    if (const wchar_t* reason = UnsafeReason(folder)) {
        swprintf(outputDirProblem_, sizeof outputDirProblem_ / sizeof outputDirProblem_[0],
                 L"%ls is not usable: %ls", folder, reason);
        return kOutputDirUnsafe;
    }
    track_.SetFolder(folder);
    route_.SetFolder(folder);
    return kOutputDirLoaded;
}

void Settings::SaveOutputDir(const wchar_t* folder) {
    // A text longer than any folder the writers accept is not stored either.
    WriteText(kOutputDir, folder, kFolderChars);
}

// Stored as REG_SZ; a text of more than maxChars characters is not stored.
void Settings::WriteText(const wchar_t* name, const wchar_t* text, uint32_t maxChars) {
    // Every character may take a surrogate pair.
    uint8_t data[kMaxTextChars * 4];
    int32_t size = WideToUtf16Le(text, data, maxChars * 4);
    if (size < 0) return;
    SettingsKey key = store_.CreateKey(kKeyPath);
    if (key == kInvalidKey) return;
    store_.SetValue(key, name, kRegSz, data, static_cast<uint32_t>(size));
    store_.CloseKey(key);
}

void Settings::LoadGpsdServer(wchar_t* out, int chars) {
    out[0] = L'\0';
    SettingsKey key = store_.OpenKey(kKeyPath);
    if (key == kInvalidKey) return;
    uint8_t data[kServerChars * 2];
    uint32_t type = 0;
    uint32_t size = sizeof data;
    QueryResult result = store_.QueryValue(key, kGpsdServer, &type, data, &size);
    store_.CloseKey(key);
    if (result == QueryResult::Success && type == kRegSz) Utf16LeToWide(data, size, out, chars);
}

void Settings::SaveGpsdServer(const wchar_t* server) { WriteText(kGpsdServer, server, kServerChars); }
