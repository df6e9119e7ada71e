#include "format/GpxText.h"

#include <cstring>

#include "platform/Calendar.h"

const char kGpxSignature[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<gpx version=\"1.1\" creator=\"Kestrave ";
const char kGpxTrailer[] = "</trkseg>\r\n</trk>\r\n</gpx>\r\n";
const char kGpxSegmentOpen[] = "<trkseg>\r\n";
const char kGpxSegmentBreak[] = "</trkseg>\r\n<trkseg>\r\n";

namespace {

// Values past these are a receiver's garbage, not a place on the earth: left out, so
// that no absurd number runs past a line's room.
constexpr double kFarthestMetres = 1.0e7;
constexpr double kLargestHdop = 1.0e4;
constexpr double kFastestMetresPerSecond = 1.0e5;

bool Known(double value, double limit) { return value > -limit && value < limit; }

// <open>value</close>, the value with at most decimals decimals, trailing zeros (and a
// bare point) left out; the element is left out when the value cannot be printed exactly.
template <size_t OpenSize, size_t CloseSize>
void AppendElement(BoundedText& out, const char (&open)[OpenSize], double value, int decimals,
                   const char (&close)[CloseSize]) {
    char digits[kFormattedNumberChars];
    int length = FormatFixed(digits, value, decimals);
    if (length < 0) return;
    if (memchr(digits, '.', static_cast<size_t>(length)) != nullptr) {
        while (digits[length - 1] == '0') --length;
        if (digits[length - 1] == '.') --length;
    }
    digits[length] = '\0';
    // "-0" says nothing "0" does not.
    out.Text(open).String(strcmp(digits, "-0") == 0 ? "0" : digits).Text(close);
}

void AppendTime(BoundedText& out, const GpxPoint& point) {
    out.Text("<time>").Integer(point.year, 4, true).Text("-").Integer(point.month, 2, true).Text("-");
    out.Integer(point.day, 2, true).Text("T").Integer(point.hour, 2, true).Text(":");
    out.Integer(point.minute, 2, true).Text(":").Integer(point.second, 2, true);
    if (point.fractionNanos != 0) {
        char digits[16];
        FormatInteger(digits, static_cast<int32_t>(point.fractionNanos), 9, true);
        size_t length = 9;
        while (digits[length - 1] == '0') --length;
        digits[length] = '\0';
        out.Text(".").String(digits);
    }
    out.Text("Z</time>\r\n");
}

// "<trkpt lat=... lon=...>" or another point element's start.
void AppendPlace(BoundedText& out, const char* element, const GpxPoint& point) {
    // The schema's longitude stops short of 180: the same meridian is -180.
    const double longitude = point.longitude >= 180.0 ? -180.0 : point.longitude;
    out.String(element).Text(" lat=\"").Fixed(point.latitude, 8).Text("\" lon=\"").Fixed(longitude, 8).Text("\">\r\n");
}

}  // namespace

bool GpxCanHold(const GpxPoint& point) {
    SystemTime time{};
    time.year = static_cast<uint16_t>(point.year);
    time.month = static_cast<uint16_t>(point.month);
    time.day = static_cast<uint16_t>(point.day);
    time.hour = static_cast<uint16_t>(point.hour);
    time.minute = static_cast<uint16_t>(point.minute);
    time.second = static_cast<uint16_t>(point.second);
    FileTime unused = 0;
    return point.year >= 1601 && point.year <= 9999 && point.month >= 0 && point.day >= 0 && point.hour >= 0 &&
           point.minute >= 0 && point.second >= 0 && point.fractionNanos < 1000000000 &&
           SystemTimeToFileTime(time, &unused) && point.latitude >= -90.0 && point.latitude <= 90.0 &&
           point.longitude >= -180.0 && point.longitude <= 180.0;
}

// <trkpt lat="55.75000000" lon="37.61660000">
// <ele>150</ele><time>2009-03-25T12:17:46Z</time><geoidheight>14.6</geoidheight>
// <fix>dgps</fix><sat>8</sat><hdop>1</hdop>
// <extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>11.518</gpxtpx:speed>
// <gpxtpx:course>84.4</gpxtpx:course></gpxtpx:TrackPointExtension></extensions>
// </trkpt>: each element on a line of its own, in the order the schemas demand.
void AppendGpxPoint(BoundedText& out, const GpxPoint& point) {
    AppendPlace(out, "<trkpt", point);
    if (Known(point.elevation, kFarthestMetres)) AppendElement(out, "<ele>", point.elevation, 3, "</ele>\r\n");
    AppendTime(out, point);
    if (Known(point.geoidHeight, kFarthestMetres)) {
        AppendElement(out, "<geoidheight>", point.geoidHeight, 3, "</geoidheight>\r\n");
    }
    if (point.fix != nullptr) out.Text("<fix>").String(point.fix).Text("</fix>\r\n");
    if (point.satellites >= 0) out.Text("<sat>").Integer(point.satellites).Text("</sat>\r\n");
    if (point.hdop >= 0.0 && point.hdop < kLargestHdop) AppendElement(out, "<hdop>", point.hdop, 2, "</hdop>\r\n");
    const bool speed = point.speed >= 0.0 && point.speed < kFastestMetresPerSecond;
    const bool course = point.course >= 0.0 && point.course <= 360.0;
    if (speed || course) {
        out.Text("<extensions><gpxtpx:TrackPointExtension>");
        if (speed) AppendElement(out, "<gpxtpx:speed>", point.speed, 3, "</gpxtpx:speed>");
        if (course) AppendElement(out, "<gpxtpx:course>", point.course, 3, "</gpxtpx:course>");
        out.Text("</gpxtpx:TrackPointExtension></extensions>\r\n");
    }
    out.Text("</trkpt>\r\n");
}

void AppendGpxRoutePoint(BoundedText& out, const GpxPoint& point, const char* name) {
    AppendPlace(out, "<rtept", point);
    if (GpxCanHold(point)) AppendTime(out, point);
    out.Text("<name>");
    AppendXmlText(out, name);
    out.Text("</name>\r\n</rtept>\r\n");
}

void AppendGpxOpening(BoundedText& out, const char* name, const char* desc) {
    out.String(kGpxSignature).Text(KESTRAVE_VERSION "\"\r\n");
    out.Text(" xmlns=\"http://www.topografix.com/GPX/1/1\"\r\n");
    out.Text(" xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\"\r\n");
    out.Text(" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\r\n");
    out.Text(" xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd "
             "http://www.garmin.com/xmlschemas/TrackPointExtension/v2 "
             "https://www8.garmin.com/xmlschemas/TrackPointExtensionv2.xsd\">\r\n");
    out.Text("<metadata>\r\n<name>");
    AppendXmlText(out, name);
    out.Text("</name>\r\n<desc>");
    AppendXmlText(out, desc);
    out.Text("</desc>\r\n</metadata>\r\n");
}

void AppendXmlText(BoundedText& out, const char* text) {
    struct Entity {
        char c;
        const char* text;
    };
    static constexpr Entity kEntities[] = {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&apos;"}};
    for (const char* c = text; *c != '\0'; ++c) {
        const char* entity = nullptr;
        for (const Entity& e : kEntities) {
            if (e.c == *c) entity = e.text;
        }
        if (entity != nullptr) {
            out.String(entity);
        } else {
            const char one[2] = {*c, '\0'};
            out.String(one);
        }
    }
}
