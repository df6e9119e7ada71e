#pragma once
#include <cstdint>
#include "nmea/SentenceAssembler.h"
#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "platform/SettingsStore.h"

// The choices that survive a restart: the output folder (kept by the two writers), the
// port number and the port speed (kept by the serial port), and whether only GPS
// sentences are read (kept by the sentence assembler). Settings
// only copies them between those owners and the registry key; every key is opened
// and closed within one call. Registry failures are silent: a failed load leaves the
// owner's value as it was, a failed save leaves the registry as it was.
class Settings {
public:
    // Results of LoadOutputDir.
    static constexpr int kOutputDirLoaded = 0;
    static constexpr int kNoKey = 1;
    static constexpr int kOutputDirUnreadable = 2;  // missing or not REG_SZ
    static constexpr int kOutputDirNotRooted = 3;   // does not begin with '\'
    // Could lead elsewhere than the folder it names, or is too long: OutputDirProblem says why.
    static constexpr int kOutputDirUnsafe = 4;
    // Characters of the folder as loaded, terminator included; longer ones are unsafe.
    static constexpr uint32_t kLoadChars = 260;

    Settings(SettingsStore& store, int32_t& portNumber, int32_t& portSpeed, TrackWriter& track,
             RouteWriter& route, SentenceAssembler& assembler);

    // A value the command line gives for the run is pinned: loading leaves it alone.
    // The pinned folder goes to both writers at once.
    void PinOutputDir(const wchar_t* folder);
    void PinSpeed(int32_t speed);
    void PinTalkers(TalkerSet talkers);
    void PinWarnAfter(uint32_t seconds);
    void PinGpx(bool on);

    void LoadPort();
    // After LoadPort: a stored port number or speed that was refused, in words; else empty.
    const wchar_t* PortProblem() const { return portProblem_; }
    // COM255 is the highest number Windows gives; -1 is no port.
    static constexpr int32_t kNoPortNumber = -1;
    static constexpr int32_t kLastPortNumber = 255;
    static constexpr int32_t kHighestSpeed = 4000000;
    // GpsOnly = 1 reads "$GP" sentences alone; missing or any other value, every
    // satellite system's.
    void LoadTalkers();
    // WarnAfter: seconds of silence (no data, or no fix) before the log says so; a
    // DWORD, missing: 300, 0: never.
    uint32_t LoadWarnAfter();
    // WriteGpx = 0 writes no GPX day file beside the track and route files; missing or
    // any other value, the GPX is written.
    void LoadGpx();
    // The menu's choice: for this run and those after it.
    void SaveGpx(bool on);
    // The value, if it is a REG_DWORD of exactly 4 bytes; fallback otherwise.
    int32_t ReadDword(SettingsKey key, const wchar_t* name, int32_t fallback);
    void SavePort();
    // On success both writers receive the folder; a pinned folder counts as loaded.
    int LoadOutputDir();
    // After kOutputDirUnsafe: the stored folder and what is wrong with it, in words,
    // as in: \..\etc is not usable: ...
    const wchar_t* OutputDirProblem() const { return outputDirProblem_; }
    // folder: NUL-terminated; stored as REG_SZ of (characters + 1) * 2 bytes.
    void SaveOutputDir(const wchar_t* folder);
    // GpsdServer: "host:port" of the gpsd to read instead of a serial port (Linux).
    // Missing, empty or not REG_SZ: out is empty and the serial port is read.
    void LoadGpsdServer(wchar_t* out, int chars);
    // Empty text removes the choice of gpsd.
    void SaveGpsdServer(const wchar_t* server);

private:
    void WriteDword(SettingsKey key, const wchar_t* name, int32_t value);
    void NotePortProblem(const wchar_t* name, int32_t value, int32_t kept);
    void WriteText(const wchar_t* name, const wchar_t* text, uint32_t maxChars);

    SettingsStore& store_;
    uint32_t warnAfter_ = 0;
    bool warnAfterPinned_ = false;
    int32_t& portNumber_;  // -1 none, 0 to 15 COM0 to COM15
    int32_t& portSpeed_;   // baud
    TrackWriter& track_;
    RouteWriter& route_;
    SentenceAssembler& assembler_;
    bool outputDirPinned_ = false;
    bool speedPinned_ = false;
    bool talkersPinned_ = false;
    bool gpxPinned_ = false;
    wchar_t outputDirProblem_[kLoadChars + 128] = {};
    wchar_t portProblem_[320] = {};
};
