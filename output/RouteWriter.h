#pragma once
#include <cstdint>
#include "nmea/GpsFix.h"
#include "output/MessageCounter.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LocalTimeZone.h"
#include "platform/TextBoxes.h"

// Buffers route waypoints, numbers and names them, and appends them to the route
// file of their local day; continues the day's numbering from an existing file.
class RouteWriter {
public:
    RouteWriter(FileSystem& files, Clock& clock, LocalTimeZone& zone, TextBoxes& boxes,
                MessageCounter& messages);

    int AddWaypoint(const GpsFix& fix);
    int Flush();
    void Reset();
    bool SetFolder(const wchar_t* folder);
    void ContinueRoute(const GpsFix& fix);

    const char* PendingText() const;
    int32_t FillLength() const;
};
