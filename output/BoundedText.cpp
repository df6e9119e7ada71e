#include "output/BoundedText.h"

#include <cstdio>
#include <cstring>

#include "output/FixedFormat.h"

BoundedText::BoundedText(char* out, size_t room) : out_(out), room_(room) {
    if (room_ > 0) out_[0] = '\0';
}

// Numbers are formatted straight into the text while a whole number surely fits,
// otherwise beside it and then put in as far as they fit.
char* BoundedText::NumberSpace(char* spare) {
    return length_ + kFormattedNumberChars < room_ ? out_ + length_ : spare;
}

void BoundedText::PutNumber(const char* digits, int length) {
    if (digits == out_ + length_) {
        length_ += static_cast<size_t>(length);
    } else {
        Put(digits, static_cast<size_t>(length));
    }
}

BoundedText& BoundedText::Integer(int32_t value, int width, bool zeroPad) {
    char spare[kFormattedNumberChars];
    char* digits = NumberSpace(spare);
    PutNumber(digits, FormatInteger(digits, value, width, zeroPad));
    return *this;
}

BoundedText& BoundedText::Fixed(double value, int decimals, int width) {
    static const char kBlanks[] = "                ";
    constexpr int kMaxWidth = sizeof kBlanks - 1;
    char spare[kFormattedNumberChars];
    char* digits = NumberSpace(spare);
    const int length = width <= kMaxWidth ? FormatFixed(digits, value, decimals) : -1;
    if (length < 0) {
        // Beyond the exact shortcut (a malformed sentence's absurd number): printf
        // itself, writing on where the text stands and counting on past the room.
        const size_t left = length_ < room_ ? room_ - length_ : 0;
        const int needed = snprintf(left > 0 ? out_ + length_ : nullptr, left, "%*.*f", width, decimals, value);
        if (needed > 0) length_ += static_cast<size_t>(needed);
        return *this;
    }
    if (length >= width) {
        PutNumber(digits, length);
        return *this;
    }
    // Right-aligned in the width: the blanks go first.
    char number[kFormattedNumberChars];
    std::memcpy(number, digits, static_cast<size_t>(length));
    Put(kBlanks, static_cast<size_t>(width - length));
    Put(number, static_cast<size_t>(length));
    return *this;
}

// Called only when the text reaches the end of the room: what fits, then the terminator.
void BoundedText::PutCut(const char* text) {
    if (length_ + 1 >= room_) return;  // already at the end: only counted
    std::memcpy(out_ + length_, text, room_ - 1 - length_);
    out_[room_ - 1] = '\0';
}
