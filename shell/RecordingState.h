#pragma once
#include <cstdint>

#include "input/InputPoller.h"
#include "input/SerialPort.h"
#include "nmea/SentenceAssembler.h"
#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "platform/LocalTimeZone.h"
#include "platform/TextBoxes.h"
#include "processing/FixProcessor.h"

// Whether the run saves what the receiver sends, in one line that every face shows:
// the first thing the user of an unattended logger needs to know, and never "all
// well" while nothing reaches the disk. Worked out once a tick.
class RecordingState {
public:
    enum class Kind : uint8_t { Recording, Replaying, NotRecording, DeviceGone, NoData, NoFix };
    // How a face colours it: green, yellow, red.
    enum class Level : uint8_t { Good, Warning, Bad };
    // Ticks without a sentence, or without a fix, before the state says so.
    static constexpr uint32_t kQuietTicks = 5;

    // Silence this long in live logging is said in the log box: once, and when it ends.
    static constexpr uint32_t kDefaultWarnAfterSeconds = 300;

    RecordingState(const SerialPort& port, const InputPoller& poller, const SentenceAssembler& assembler,
                   const FixProcessor& processor, const TrackWriter& track, const RouteWriter& route,
                   LocalTimeZone& zone, TextBoxes& boxes)
        : port_(port),
          poller_(poller),
          assembler_(assembler),
          processor_(processor),
          track_(track),
          route_(route),
          zone_(zone),
          boxes_(boxes) {}

    // Once a tick, which is a second in live logging.
    void Tick();
    void SetWarnAfter(uint32_t seconds) { warnAfter_ = seconds; }

    Kind GetKind() const { return kind_; }
    Level GetLevel() const;
    const wchar_t* Line() const { return line_; }
    // Counts the changes of kind or of reason, not of the counts in the line: a face
    // that prints each change prints a line per change of state.
    uint32_t Changes() const { return changes_; }
    // Room for the longest reason in words, a host path among it, and the words around it.
    static constexpr int kLineChars = kExplanationChars + 64;

private:
    static constexpr int kDeviceChars = kDisplayPathChars + 32;
    static constexpr int kSinceChars = 32;

    // Keeps the line built in line_; reason tells one failure from another.
    void Say(Kind kind, const wchar_t* reason);
    const wchar_t* Device();

    // The system clock's time now, "12:17:46 UTC", or the last fix's where it has none.
    void StampNow(wchar_t* out);
    // A silence of the input or of fixes, said once when it reaches warnAfter_ and once
    // when it ends.
    struct Silence {
        bool said = false;
        wchar_t since[kSinceChars] = {};  // when the last sentence or fix came
    };
    // data: the silence of the input, else of its fixes.
    void WatchSilence(Silence& silence, bool heard, uint32_t quietTicks, bool watching, bool data);
    // "since 12:17:46 UTC", when the silence began, or "yet" when nothing was heard.
    const wchar_t* Since(const Silence& silence, bool heard);

    const SerialPort& port_;
    const InputPoller& poller_;
    const SentenceAssembler& assembler_;
    const FixProcessor& processor_;
    const TrackWriter& track_;
    const RouteWriter& route_;
    LocalTimeZone& zone_;
    TextBoxes& boxes_;
    uint32_t warnAfter_ = kDefaultWarnAfterSeconds;
    Silence noData_;
    Silence noFix_;

    uint32_t tick_ = 0;
    uint64_t sentences_ = 0;
    uint32_t lastDataTick_ = 0;
    uint32_t dataSinceTick_ = 0;  // the first sentence after the last silence
    uint32_t fixes_ = 0;
    uint32_t lastFixTick_ = 0;
    bool wasOpen_ = false;  // the chosen port was open in this run
    bool open_ = false;
    int32_t openPort_ = -2;
    wchar_t device_[kDeviceChars] = {};  // "COM1 (/dev/ttyUSB0)", found when first needed
    wchar_t since_[kSinceChars + 8] = {};

    Kind kind_ = Kind::NotRecording;
    wchar_t line_[kLineChars] = {};
    uint32_t reason_ = 0;
    uint32_t changes_ = 0;
};
