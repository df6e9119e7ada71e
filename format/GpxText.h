#pragma once
#include <cstddef>
#include <cstdint>

#include "format/BoundedText.h"

// The pieces of a GPX 1.1 file as every Kestrave GPX has them: the opening, a track
// point with Garmin's TrackPointExtension v2, the segment marks and the trailer.

// How every file Kestrave wrote begins: a file that does not is someone else's.
extern const char kGpxSignature[];
// Closes the open segment, the track and the file; every day file ends with it.
extern const char kGpxTrailer[];
extern const char kGpxSegmentOpen[];
// Closes the open segment and opens the next.
extern const char kGpxSegmentBreak[];

// One track point; a field that is not known is left out of the file.
struct GpxPoint {
    static constexpr double kUnknown = -1.0e300;
    double latitude = 0.0;
    double longitude = 0.0;
    double elevation = kUnknown;    // metres above the geoid
    int year = 0;                   // UTC, four digits
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    uint32_t fractionNanos = 0;     // shown only when not 0, exactly, without trailing zeros
    double geoidHeight = kUnknown;  // metres of the geoid above the ellipsoid
    const char* fix = nullptr;      // "dgps", "pps"
    int32_t satellites = -1;
    double hdop = kUnknown;
    double speed = kUnknown;   // m/s
    double course = kUnknown;  // degrees true
};

// Whether the schema can hold the point: a real date and time (no leap second 60, no
// 30 February), a latitude within ±90° and a longitude within ±180°.
bool GpxCanHold(const GpxPoint& point);
// "<trkpt ...>...</trkpt>" and its line ends, for a point GpxCanHold takes.
void AppendGpxPoint(BoundedText& out, const GpxPoint& point);
// "<rtept ...>", its time when GpxCanHold takes the point, and its name: a route's waypoint.
void AppendGpxRoutePoint(BoundedText& out, const GpxPoint& point, const char* name);
// The XML declaration, the gpx element's start and the metadata with name and desc.
void AppendGpxOpening(BoundedText& out, const char* name, const char* desc);
// Text with the five characters XML reserves written as entities.
void AppendXmlText(BoundedText& out, const char* text);
