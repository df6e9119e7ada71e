#pragma once
#include <cstdint>
#include "nmea/GpsFix.h"
#include "format/BoundedText.h"
#include "platform/TextBoxes.h"

// Wide characters of the status text, terminator included.
constexpr int kStatusTextChars = 300;

// The text of the status box: the current fix, or "No fix" with its time, and the
// mark of a dropped fix. Every change is set into the box as a whole.
class FixStatusText {
public:
    explicit FixStatusText(TextBoxes& boxes);

    // The Local line takes only the date, hour and minute of local; both lines show
    // the fix's seconds.
    void ShowFix(const GpsFix& fix, const GpsFix& local);
    // For an RMC that carried a time but no valid fix.
    void ShowNoFix(const GpsFix& rmc);
    // Marks the fix on screen as dropped by the jump filter.
    void ShowDropped();

    const wchar_t* Text() const { return text_; }

private:
    void Clear();
    // A piece of text is built at the end of text_, in the room left there, and kept
    // by Append when it fits whole.
    WideBoundedText NewPiece();
    void Append(const WideBoundedText& piece);
    void Show();

    TextBoxes& boxes_;
    wchar_t text_[kStatusTextChars] = {};
    int32_t length_ = 0;
};
