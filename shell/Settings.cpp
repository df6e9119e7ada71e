#include "shell/Settings.h"

#include <cstring>

#include "platform/Utf16.h"

namespace {

const wchar_t kKeyPath[] = L"Software\\Zolvet\\Kestrave";
const wchar_t kOutputDir[] = L"OutputDir";
const wchar_t kPortNumber[] = L"PortNumber";
const wchar_t kPortSpeed[] = L"PortSpeed";
const wchar_t kGpsOnly[] = L"GpsOnly";

// UTF-16 characters of a loaded folder, terminator included.
constexpr uint32_t kLoadChars = 260;
// Bytes of a saved folder: any folder the writers accept, every character a surrogate pair.
constexpr uint32_t kSaveBytes = kFolderChars * 4;

}  // namespace

Settings::Settings(SettingsStore& store, int32_t& portNumber, int32_t& portSpeed, TrackWriter& track,
                   RouteWriter& route, SentenceAssembler& assembler)
    : store(store), portNumber(portNumber), portSpeed(portSpeed), track(track), route(route), assembler(assembler) {}

void Settings::PinOutputDir(const wchar_t* folder) {
    track.SetFolder(folder);
    route.SetFolder(folder);
    outputDirPinned = true;
}

void Settings::PinSpeed(int32_t speed) {
    portSpeed = speed;
    speedPinned = true;
}

void Settings::PinTalkers(TalkerSet talkers) {
    assembler.SetTalkers(talkers);
    talkersPinned = true;
}

void Settings::LoadPort() {
    SettingsKey key = store.OpenKey(kKeyPath);
    if (key == kInvalidKey) return;
    portNumber = ReadDword(key, kPortNumber, portNumber);
    if (!speedPinned) portSpeed = ReadDword(key, kPortSpeed, portSpeed);
    store.CloseKey(key);
}

void Settings::LoadTalkers() {
    if (talkersPinned) return;
    SettingsKey key = store.OpenKey(kKeyPath);
    const int32_t gpsOnly = key == kInvalidKey ? 0 : ReadDword(key, kGpsOnly, 0);
    if (key != kInvalidKey) store.CloseKey(key);
    assembler.SetTalkers(gpsOnly == 1 ? TalkerSet::GpsOnly : TalkerSet::AllGnss);
}

int32_t Settings::ReadDword(SettingsKey key, const wchar_t* name, int32_t fallback) {
    uint8_t data[4] = {};
    uint32_t type = 0;
    uint32_t size = sizeof data;
    if (store.QueryValue(key, name, &type, data, &size) != QueryResult::Success || type != kRegDword ||
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
    store.SetValue(key, name, kRegDword, data, sizeof data);
}

void Settings::SavePort() {
    SettingsKey key = store.CreateKey(kKeyPath);
    if (key == kInvalidKey) return;
    WriteDword(key, kPortNumber, portNumber);
    WriteDword(key, kPortSpeed, portSpeed);
    store.CloseKey(key);
}

int Settings::LoadOutputDir() {
    if (outputDirPinned) return kOutputDirLoaded;
    SettingsKey key = store.OpenKey(kKeyPath);
    if (key == kInvalidKey) return kNoKey;
    uint8_t data[kLoadChars * 2];
    uint32_t type = 0;
    uint32_t size = sizeof data;
    QueryResult result = store.QueryValue(key, kOutputDir, &type, data, &size);
    store.CloseKey(key);
    if (result != QueryResult::Success || type != kRegSz) return kOutputDirUnreadable;
    // Text without a terminator is cut at the buffer's last character.
    wchar_t folder[kLoadChars];
    Utf16LeToWide(data, size < sizeof data - 2 ? size : sizeof data - 2, folder, kLoadChars);
    if (folder[0] != L'\\') return kOutputDirNotRooted;
    track.SetFolder(folder);
    route.SetFolder(folder);
    return kOutputDirLoaded;
}

void Settings::SaveOutputDir(const wchar_t* folder) {
    uint8_t data[kSaveBytes];
    // A text longer than any folder the writers accept is not stored either.
    int32_t size = WideToUtf16Le(folder, data, sizeof data);
    if (size < 0) return;
    SettingsKey key = store.CreateKey(kKeyPath);
    if (key == kInvalidKey) return;
    store.SetValue(key, kOutputDir, kRegSz, data, static_cast<uint32_t>(size));
    store.CloseKey(key);
}
