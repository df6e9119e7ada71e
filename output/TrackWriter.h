#pragma once
#include <cstdint>
#include "nmea/GpsFix.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LocalTimeZone.h"
#include "platform/TextBoxes.h"

// Wide characters of an output folder, terminator included.
constexpr int kFolderChars = 265;

// Buffers track points and appends them to the track file of their local day.
class TrackWriter {
public:
    TrackWriter(FileSystem& files, Clock& clock, LocalTimeZone& zone, TextBoxes& boxes);

    int AddPoint(const GpsFix& fix);
    int Flush();
    void Reset();
    // False (with a numbered message in the log box) when the folder does not fit.
    bool SetFolder(const wchar_t* folder);
    // out must hold kFolderChars characters.
    void GetFolder(wchar_t* out) const;

    const char* PendingText() const;
    int32_t FillLength() const;
};
