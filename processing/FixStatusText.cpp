#include "processing/FixStatusText.h"
#include <cstdarg>
#include <cwchar>
#include "output/WholeSeconds.h"

namespace {

// Altitudes at or below this are the "not reported" sentinel.
constexpr double kLowestShownAltitude = -90000.0;

}  // namespace

FixStatusText::FixStatusText(TextBoxes& boxes) : boxes_(boxes) {}

// Example, 04.11.09 23:58:41.999 UTC in a zone two hours ahead (trailing spaces matter):
//   UTC:  04.11.09 23:58:41 \r\nLocal: 05.11.09 01:58:41 \r\nLat:   -33.856780 \r\n
//   Long: 151.215300\r\nAlt: 57.0\r\nSpeed:   7.4 km/h. Course: 254.7\r\nSat:  8  Hdop: 1.1
void FixStatusText::ShowFix(const GpsFix& fix, const GpsFix& local) {
    const int s = WholeSeconds(fix.seconds);
    Clear();
    Append(L"UTC:  %02d.%02d.%02d %02d:%02d:%02d \r\n", fix.day, fix.month, fix.year, fix.hour,
           fix.minute, s);
    Append(L"Local: %02d.%02d.%02d %02d:%02d:%02d \r\n", local.day, local.month, local.year,
           local.hour, local.minute, s);
    Append(L"Lat:   %lf \r\n", fix.latitude);
    Append(L"Long: %lf\r\n", fix.longitude);
    if (fix.altitude > kLowestShownAltitude) {
        Append(L"Alt: %.1lf\r\n", fix.altitude);
    } else {
        Append(L"Alt: ???\r\n");
    }
    Append(L"Speed: %5.1lf km/h. Course: %.1lf\r\n", fix.speedKmh, fix.course);
    Append(L"Sat: %2d  Hdop: %.1lf ", fix.satellites, fix.hdop);
    Show();
}

void FixStatusText::ShowNoFix(const GpsFix& rmc) {
    Clear();
    Append(L"UTC: %02d:%02d:%02d \r\nNo fix\r\n", rmc.hour, rmc.minute, WholeSeconds(rmc.seconds));
    Show();
}

void FixStatusText::ShowDropped() {
    Append(L"\r\nDROPPED ");
    Show();
}

void FixStatusText::Clear() {
    length_ = 0;
    text_[0] = L'\0';
}

// Real values leave well over 100 characters free. A piece that does not fit (only
// absurd numbers from a malformed sentence are that long) is left out whole, so the
// text always ends in a terminator within its buffer.
void FixStatusText::Append(const wchar_t* format, ...) {
    const size_t room = static_cast<size_t>(kStatusTextChars - length_);
    va_list args;
    va_start(args, format);
    const int written = vswprintf(text_ + length_, room, format, args);
    va_end(args);
    if (written < 0 || static_cast<size_t>(written) >= room) {
        text_[length_] = L'\0';
        return;
    }
    length_ += written;
}

void FixStatusText::Show() { boxes_.SetText(kStatusBox, text_); }
