#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "format/FixedFormat.h"

// Builds a text into a fixed buffer with snprintf's (and swprintf's) rules, from
// pieces: at most room - 1 characters and a terminator are written, and Length()
// counts what the whole text needs, so that the caller refuses a text that did not
// fit exactly as it would refuse a printf result.
template <typename Char>
class BasicBoundedText {
public:
    BasicBoundedText(Char* out, size_t room) : out_(out), room_(room) {
        if (room_ > 0) out_[0] = Char{};
    }

    // A string literal: its length is known when compiling.
    template <size_t N>
    BasicBoundedText& Text(const Char (&literal)[N]) {
        Put(literal, N - 1);
        return *this;
    }
    // Any terminated string.
    BasicBoundedText& String(const Char* text) {
        Put(text, std::char_traits<Char>::length(text));
        return *this;
    }
    // "%<width>d", or "%0<width>d" when zeroPad; width at most 16.
    BasicBoundedText& Integer(int32_t value, int width = 0, bool zeroPad = false) {
        // Dates and times, the most frequent, inline; the rest through FormatInteger.
        if (zeroPad && width == 2 && value >= 0 && value < 100 && length_ + 2 < room_) {
            out_[length_] = static_cast<Char>(kDigitPairs[2 * value]);
            out_[length_ + 1] = static_cast<Char>(kDigitPairs[2 * value + 1]);
            length_ += 2;
            out_[length_] = Char{};
            return *this;
        }
        char digits[kFormattedNumberChars];
        PutNarrow(digits, static_cast<size_t>(FormatInteger(digits, value, width, zeroPad)));
        return *this;
    }
    // "%<width>.<decimals>f", decimals 0 to 9.
    BasicBoundedText& Fixed(double value, int decimals, int width = 0);

    // Characters of the whole text, without the terminator; may exceed the room.
    size_t Length() const { return length_; }
    bool Fits() const { return length_ < room_; }
    const Char* Data() const { return out_; }

private:
    void Put(const Char* text, size_t count) {
        if (length_ + count < room_) {
            std::memcpy(out_ + length_, text, count * sizeof(Char));  // inlined for a literal
            out_[length_ + count] = Char{};
        } else {
            PutCut(text);
        }
        length_ += count;
    }
    // Formatted digits, which are always narrow.
    void PutNarrow(const char* text, size_t count);
    // The part of a text that reaches the end of the room.
    void PutCut(const Char* text);

    Char* const out_;
    const size_t room_;
    size_t length_ = 0;
};

using BoundedText = BasicBoundedText<char>;
using WideBoundedText = BasicBoundedText<wchar_t>;
