#include "processing/FixStatusText.h"
#include "output/WholeSeconds.h"

namespace {

// Altitudes at or below this are the "not reported" sentinel.
constexpr double kLowestShownAltitude = -90000.0;

// "dd.mm.yy hh:mm:ss", each field "%02d".
void AppendDateTime(BoundedText& piece, const GpsFix& date, int seconds) {
    piece.Integer(date.day, 2, true).Text(".").Integer(date.month, 2, true).Text(".").Integer(date.year, 2, true);
    piece.Text(" ").Integer(date.hour, 2, true).Text(":").Integer(date.minute, 2, true).Text(":");
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
    BoundedText utc = NewPiece();
    utc.Text("UTC:  ");
    AppendDateTime(utc, fix, s);
    Append(utc.Text(" \r\n"));
    BoundedText localTime = NewPiece();
    localTime.Text("Local: ");
    AppendDateTime(localTime, local, s);
    Append(localTime.Text(" \r\n"));
    Append(NewPiece().Text("Lat:   ").Fixed(fix.latitude, 6).Text(" \r\n"));
    Append(NewPiece().Text("Long: ").Fixed(fix.longitude, 6).Text("\r\n"));
    if (fix.altitude > kLowestShownAltitude) {
        Append(NewPiece().Text("Alt: ").Fixed(fix.altitude, 1).Text("\r\n"));
    } else {
        Append(NewPiece().Text("Alt: ???\r\n"));
    }
    Append(NewPiece().Text("Speed: ").Fixed(fix.speedKmh, 1, 5).Text(" km/h. Course: ").Fixed(fix.course, 1).Text("\r\n"));
    Append(NewPiece().Text("Sat: ").Integer(fix.satellites, 2).Text("  Hdop: ").Fixed(fix.hdop, 1).Text(" "));
    Show();
}

void FixStatusText::ShowNoFix(const GpsFix& rmc) {
    Clear();
    BoundedText piece = NewPiece();
    piece.Text("UTC: ").Integer(rmc.hour, 2, true).Text(":").Integer(rmc.minute, 2, true).Text(":");
    Append(piece.Integer(WholeSeconds(rmc.seconds), 2, true).Text(" \r\nNo fix\r\n"));
    Show();
}

void FixStatusText::ShowDropped() {
    Append(NewPiece().Text("\r\nDROPPED "));
    Show();
}

void FixStatusText::Clear() {
    length_ = 0;
    text_[0] = L'\0';
}

BoundedText FixStatusText::NewPiece() {
    return BoundedText(piece_, static_cast<size_t>(kStatusTextChars - length_));
}

// Real values leave well over 100 characters free. A piece that does not fit (only
// absurd numbers from a malformed sentence are that long) is left out whole, so the
// text always ends in a terminator within its buffer. Pieces are plain ASCII, one
// wide character each.
void FixStatusText::Append(const BoundedText& piece) {
    if (!piece.Fits()) {
        text_[length_] = L'\0';
        return;
    }
    const int32_t length = static_cast<int32_t>(piece.Length());
    for (int32_t i = 0; i <= length; ++i) text_[length_ + i] = static_cast<unsigned char>(piece_[i]);
    length_ += length;
}

void FixStatusText::Show() { boxes_.SetText(kStatusBox, text_); }
