#pragma once
#include <utility>
#include "nmea/GpsFix.h"
#include "output/MessageCounter.h"
#include "output/RouteWriter.h"
#include "output/TrackWriter.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/FixedOffsetZone.h"
#include "tests/support/RecordingTextBoxes.h"

// Real track and route writers on a file system of the test's choice and fake other
// platform parts, for the processing tests to hand fixes to. Their zone and log box
// are their own, apart from the processor's.
template <typename Files>
struct WritersOn {
    template <typename... Args>
    explicit WritersOn(Args&&... filesArguments) : files(std::forward<Args>(filesArguments)...) {}

    Files files;
    FakeClock clock;
    FixedOffsetZone zone;
    RecordingTextBoxes boxes;
    MessageCounter messages;
    TrackWriter track{files, clock, zone, boxes};
    RouteWriter routeWriter{files, clock, zone, boxes, messages};
};

using WriterRig = WritersOn<FakeFileSystem>;

// A paired fix on 25.03.09 at the given UTC second of the day, at 48 N 11 E, moving
// east at 10 km/h with HDOP 1.0; tests change the fields they are about.
inline GpsFix FixAt(int secondOfDay) {
    GpsFix fix = {};
    fix.day = 25;
    fix.month = 3;
    fix.year = 9;
    fix.hour = static_cast<uint8_t>(secondOfDay / 3600);
    fix.minute = static_cast<uint8_t>(secondOfDay / 60 % 60);
    fix.seconds = secondOfDay % 60;
    fix.timeOfDay = secondOfDay;
    fix.latitude = 48.0;
    fix.longitude = 11.0;
    fix.speedKmh = 10.0;
    fix.course = 90.0;
    fix.altitude = 500.0;
    fix.satellites = 8;
    fix.hdop = 1.0;
    return fix;
}

// Moves the fix the given metres north.
inline void MoveNorth(GpsFix& fix, double metres) { fix.latitude += metres / 111195.48679259; }
