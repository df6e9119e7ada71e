#pragma once
#include <cstdint>
#include "input/InputPoller.h"
#include "input/SerialPort.h"
#include "output/MessageCounter.h"
#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "platform/FileSystem.h"
#include "platform/KeepAwake.h"
#include "platform/TextBoxes.h"
#include "processing/FixProcessor.h"
#include "shell/FrontEnd.h"
#include "shell/RecordingState.h"
#include "shell/Settings.h"

// The few flags the tick owns and the layers below touch.
struct TickFlags {
    int32_t noDataTicks = 0;     // ticks since the last sentence
    bool flushRequested = false;  // the next regular tick flushes both writers
};

// The main window's logic: the one-second tick, the commands, the exit order.
// Front-ends only draw its state and turn keys or clicks into its commands.
class MainWindow {
public:
    enum StartupState : int32_t { NotStarted = 0, TimerStarted = 1, Running = 2 };

    static constexpr int kNoDataAfterTicks = 5;
    static constexpr uint32_t kIdleResetEveryTicks = 128;
    static constexpr int kNmeaPathChars = 80;

    MainWindow(FileSystem& files, KeepAwake& keepAwake, TickFlags& flags, TextBoxes& boxes,
               MessageCounter& messageCounter, TrackWriter& track, RouteWriter& route, InputPoller& poller,
               SerialPort& port, Settings& settings);

    // The face that shows dialogs; none for a program without a screen.
    void SetFrontEnd(FrontEnd* frontEnd) { frontEnd_ = frontEnd; }
    // The processor: the tick sets its rollover rule for a live receiver or a replay, and
    // a replay's end asks it whether the file held a fix.
    void SetProcessor(FixProcessor* processor) { processor_ = processor; }
    // The recording state, worked out at the end of every tick.
    void SetRecordingState(RecordingState* state) { state_ = state; }
    // --fix-rollover: a replay moves rolled-over dates forward too.
    void FixReplayRollover(bool fix) { fixReplayRollover_ = fix; }

    // Window creation, once the status dialog exists: the port and talker settings are loaded.
    void Create();
    // True on the first activation only: start the one-second timer then.
    bool Activate();
    // The first tick loads the output folder (and asks for one when none is stored);
    // every later one keeps the device awake, flushes on request, polls the input,
    // and says "No data" after more than five ticks without a sentence.
    void Tick();
    // The menu, the accelerators and the Tools button.
    void HandleCommand(int command);
    // Opens a file for replay; true when it opened. The path goes to the log box first.
    bool OpenNmeaFile(const wchar_t* path);
    // Flushes both writers and closes the port and the input; ticks are ignored afterwards.
    void Teardown();

    // The items the radio marks of the port and speed sub-menus sit on; 0 where none
    // matches (a port or speed loaded from the settings that the menu does not offer).
    int MarkedPortCommand() const;
    int MarkedSpeedCommand() const;
    // A menu entry that is on or off, such as "Write GPX", shown with a check mark.
    bool Checked(int command) const;

    StartupState State() const { return startupState_; }
    // While the folder dialog opens by itself at the start: why (no folder stored yet,
    // or one that cannot be used); null otherwise.
    const wchar_t* FolderReason() const { return folderReason_; }
    bool Closing() const { return closing_; }
    uint32_t TickCount() const { return tickCount_; }
    // The application's file system, for a face that shows host paths.
    FileSystem& Files() const { return files_; }
    // How many replay files could not be opened or read to their end, or held no NMEA.
    uint32_t FileErrors() const { return fileErrors_ + poller_.ReadErrors(); }

private:
    void ReadNmeaFile();
    void SayWhenNotNmea();
    void Exit();

    FileSystem& files_;
    KeepAwake& keepAwake_;
    TickFlags& flags_;
    TextBoxes& boxes_;
    MessageCounter& messageCounter_;
    TrackWriter& track_;
    RouteWriter& route_;
    InputPoller& poller_;
    SerialPort& port_;
    Settings& settings_;
    FrontEnd* frontEnd_ = nullptr;
    StartupState startupState_ = NotStarted;
    const wchar_t* folderReason_ = nullptr;
    FixProcessor* processor_ = nullptr;
    uint32_t fixesAtReplayStart_ = 0;
    RecordingState* state_ = nullptr;
    bool fixReplayRollover_ = false;
    uint32_t tickCount_ = 0;
    bool closing_ = false;
    uint32_t fileErrors_ = 0;
};
