#pragma once
#include "platform/KeepAwake.h"
#include "shell/Application.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/FakeSettingsStore.h"
#include "tests/support/FixedOffsetZone.h"

// Counts the idle-timer resets the tick makes.
class CountingKeepAwake : public KeepAwake {
public:
    void ResetIdleTimer() override { ++resets; }
    int resets = 0;
};

// A whole application on fake platform parts. It is large (the text boxes), so
// tests keep it in static storage or on the heap, never on the stack.
struct TestApplication {
    explicit TestApplication(int zoneMinutesEast = 0) : zone(zoneMinutesEast) {}

    FakeFileSystem files;
    FakeClock clock;
    FixedOffsetZone zone;
    FakeSerialDevice serial;
    FakeSettingsStore settings;
    CountingKeepAwake keepAwake;
    Application app{files, clock, zone, serial, settings, keepAwake};
};
