#pragma once
#include <cstdint>
#include "input/PortOpenWords.h"
#include "input/SerialPort.h"
#include "nmea/SentenceAssembler.h"
#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/TextBoxes.h"

// Once per tick, moves input bytes into the sentence assembler: from the NMEA file
// being replayed when there is one, otherwise from the serial port.
class InputPoller {
public:
    static constexpr uint32_t kChunkBytes = 1024;
    static constexpr uint32_t kBudgetMs = 500;
    static constexpr int kMaxChunksPerTick = 1000;
    // The handheld read ten chunks a tick, enough for 4800 bit/s; a u-blox at 10 Hz
    // with four systems sends 15-25 kB a second. A tick now reads what the port holds,
    // up to this many chunks and the half second of kBudgetMs.
    static constexpr int kMaxSerialReadsPerTick = 256;
    // Ticks with bytes but without a sentence before the log box says so.
    static constexpr int kTicksWithoutSentence = 5;
    static constexpr int kOpenFailureChars = 512;

    InputPoller(FileSystem& files, Clock& clock, SerialPort& port, SentenceAssembler& assembler,
                TrackWriter& track, RouteWriter& route, TextBoxes& boxes);

    void Poll();
    // The words of the face for what the user can do about the port; kept, not copied.
    void SetAdvice(const PortAdvice& advice) { advice_ = &advice; }

    // Takes over an open file for replay; a file still being replayed is closed first.
    // path names it in a read error's message.
    void StartReplay(FileHandle file, const wchar_t* path);
    bool Replaying() const { return replayFile != kInvalidFile; }
    // Bytes of the replay file fed so far.
    uint64_t ReplayedBytes() const { return replayedBytes_; }
    // How many replays a read error cut short.
    uint32_t ReadErrors() const { return readErrors_; }
    // What the last replay that reached its end held: a file from which the assembler
    // took no sentence is no NMEA recording.
    // Cut: a read error stopped it, and that was said.
    enum class Content { Nmea, Empty, Compressed, NotNmea, Cut };
    Content LastReplayContent() const { return lastContent_; }
    // The host path of the file being replayed, or of the last one.
    const wchar_t* ReplayPath() const { return replayPath_; }
    // Closes the replay file, if any, without flushing (the exit does its own flushes).
    void CloseReplay();

    FileHandle replayFile = kInvalidFile;

private:
    void PollReplayFile();
    void EndReplay();
    void StopOnReadError();
    void FinishReplay();
    Content ReplayedContent() const;
    void PollSerialPort();
    void SayWhyNotOpen();
    void SayWhyReadFailed();
    void SayOutrun(uint32_t tickBytes);
    // Logs the cause unless it is the one told last.
    void SayCause(const wchar_t* cause);
    void WatchForSentences(bool bytesRead, bool sentenceHandedOn);
    void Feed(uint32_t count);

    FileSystem& files_;
    Clock& clock_;
    SerialPort& port_;
    SentenceAssembler& assembler_;
    TrackWriter& track_;
    RouteWriter& route_;
    TextBoxes& boxes_;
    uint64_t replayedBytes_ = 0;
    uint32_t readErrors_ = 0;
    Content lastContent_ = Content::Nmea;
    uint64_t sentencesAtStart_ = 0;
    uint8_t firstBytes_[2] = {};
    wchar_t replayPath_[kDisplayPathChars] = {};
    uint8_t chunk_[kChunkBytes] = {};
    bool outrunSaid_ = false;
    const PortAdvice* advice_ = &kPlainPortAdvice;
    wchar_t openFailure_[kOpenFailureChars] = {};  // the cause last told, empty once the port opened
    int ticksWithoutSentence_ = 0;
    bool saidNoSentence_ = false;
};
