#include "processing/FixStatusText.h"
#include "format/WholeSeconds.h"

namespace {

// Altitudes at or below this are the "not reported" sentinel.
constexpr double kLowestShownAltitude = -90000.0;

// "dd.mm.yy hh:mm:ss", each field "%02d".
void AppendDateTime(WideBoundedText& piece, const GpsFix& date, int seconds) {
    piece.Integer(date.day, 2, true).Text(L".").Integer(date.month, 2, true).Text(L".").Integer(date.year, 2, true);
    piece.Text(L" ").Integer(date.hour, 2, true).Text(L":").Integer(date.minute, 2, true).Text(L":");
    piece.Integer(seconds, 2, true);
}

}  // namespace

FixStatusText::FixStatusText(TextBoxes& boxes) : boxes_(boxes) {}

// Example, 04.11.09 23:58:41.999 UTC in a zone two hours ahead (trailing spaces matter):
//   UTC:  04.11.09 23:58:41 \r\nLocal: 05.11.09 01:58:41 \r\nLat:   -33.856780 \r\n
//   Long: 151.215300\r\nAlt: 57.0\r\nSpeed:   7.4 km/h. Course: 254.7\r\nSat:  8  Hdop: 1.1
void FixStatusText::ShowFix(const GpsFix& fix, const GpsFix& local) {
    const int s = WholeSeconds(fix.seconds);
    Clear();
    WideBoundedText utc = NewPiece();
    utc.Text(L"UTC:  ");
    AppendDateTime(utc, fix, s);
    Append(utc.Text(L" \r\n"));
    WideBoundedText localTime = NewPiece();
    localTime.Text(L"Local: ");
    AppendDateTime(localTime, local, s);
    Append(localTime.Text(L" \r\n"));
    Append(NewPiece().Text(L"Lat:   ").Fixed(fix.latitude, 6).Text(L" \r\n"));
    Append(NewPiece().Text(L"Long: ").Fixed(fix.longitude, 6).Text(L"\r\n"));
    if (fix.altitude > kLowestShownAltitude) {
        Append(NewPiece().Text(L"Alt: ").Fixed(fix.altitude, 1).Text(L"\r\n"));
    } else {
        Append(NewPiece().Text(L"Alt: ???\r\n"));
    }
    WideBoundedText motion = NewPiece();
    motion.Text(L"Speed: ").Fixed(fix.speedKmh, 1, 5).Text(L" km/h. Course: ").Fixed(fix.course, 1);
    Append(motion.Text(L"\r\n"));
    Append(NewPiece().Text(L"Sat: ").Integer(fix.satellites, 2).Text(L"  Hdop: ").Fixed(fix.hdop, 1).Text(L" "));
    Show();
}

void FixStatusText::ShowNoFix(const GpsFix& rmc) {
    Clear();
    WideBoundedText piece = NewPiece();
    piece.Text(L"UTC: ").Integer(rmc.hour, 2, true).Text(L":").Integer(rmc.minute, 2, true).Text(L":");
    Append(piece.Integer(WholeSeconds(rmc.seconds), 2, true).Text(L" \r\nNo fix\r\n"));
    Show();
}

void FixStatusText::ShowDropped() {
    Append(NewPiece().Text(L"\r\nDROPPED "));
    Show();
}

void FixStatusText::Clear() {
    length_ = 0;
    text_[0] = L'\0';
}

WideBoundedText FixStatusText::NewPiece() {
    return WideBoundedText(text_ + length_, static_cast<size_t>(kStatusTextChars - length_));
}

// Real values leave well over 100 characters free. A piece that does not fit (only
// absurd numbers from a malformed sentence are that long) is left out whole, so the
// text always ends in a terminator within its buffer.
void FixStatusText::Append(const WideBoundedText& piece) {
    if (!piece.Fits()) {
        text_[length_] = L'\0';
        return;
    }
    length_ += static_cast<int32_t>(piece.Length());
}

void FixStatusText::Show() { boxes_.SetText(kStatusBox, text_); }
