#pragma once
#include <cstdint>
#include "input/InputPoller.h"
#include "output/MessageCounter.h"
#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "platform/FileSystem.h"
#include "platform/KeepAwake.h"
#include "platform/TextBoxes.h"

// The few flags the tick owns and the layers below touch.
struct TickFlags {
    int32_t noDataTicks = 0;     // ticks since the last sentence
    int32_t flushRequested = 0;  // the next regular tick flushes both writers
};

// The main window's logic: the one-second tick, the commands, the exit order.
// Front-ends only draw its state and turn keys or clicks into its commands.
class MainWindow {
public:
    static constexpr int kNoDataAfterTicks = 5;
    static constexpr uint32_t kIdleResetEveryTicks = 128;

    MainWindow(FileSystem& files, KeepAwake& keepAwake, TickFlags& flags, TextBoxes& boxes,
               MessageCounter& messageCounter, TrackWriter& track, RouteWriter& route, InputPoller& poller);

    // One regular tick: keep the device awake, flush on request, poll the input,
    // and say "No data" after more than five ticks without a sentence.
    void Tick();
    // Opens a file for replay; true when it opened. The path goes to the log box first.
    bool OpenNmeaFile(const wchar_t* path);
    // Flushes both writers and closes the input; ticks are ignored afterwards.
    void Teardown();

    bool Closing() const { return closing_ != 0; }
    uint32_t TickCount() const { return tickCount_; }

private:
    FileSystem& files_;
    KeepAwake& keepAwake_;
    TickFlags& flags_;
    TextBoxes& boxes_;
    MessageCounter& messageCounter_;
    TrackWriter& track_;
    RouteWriter& route_;
    InputPoller& poller_;
    uint32_t tickCount_ = 0;
    int32_t closing_ = 0;
};
