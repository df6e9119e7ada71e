#pragma once
#include <cstdint>
#include "input/InputPoller.h"
#include "input/SerialPort.h"
#include "nmea/SentenceAssembler.h"
#include "output/MessageCounter.h"
#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/KeepAwake.h"
#include "platform/LocalTimeZone.h"
#include "platform/SerialDevice.h"
#include "platform/SettingsStore.h"
#include "processing/FixProcessor.h"
#include "processing/RouteSelector.h"
#include "shell/FolderDialog.h"
#include "shell/MainWindow.h"
#include "shell/Settings.h"
#include "shell/StatusDialog.h"

// Owns one of each subsystem and wires them together. The program keeps it in
// static storage; tests build their own.
class Application {
public:
    Application(FileSystem& files, Clock& clock, LocalTimeZone& zone, SerialDevice& serial, SettingsStore& store,
                KeepAwake& keepAwake);

    TickFlags flags;
    StatusDialog dialog;
    MessageCounter messageCounter;
    TrackWriter track;
    RouteWriter route;
    RouteSelector selector;
    FixProcessor processor;
    SentenceAssembler assembler;
    SerialPort port;
    InputPoller poller;
    Settings settings;
    FolderDialog folderDialog;
    MainWindow window;
    RecordingState state;
};
