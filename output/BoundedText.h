#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

// Builds a text into a fixed buffer with snprintf's rules, from pieces: at most
// room - 1 characters and a terminator are written, and Length() counts what the
// whole text needs, so that the caller refuses a text that did not fit exactly as it
// would refuse an snprintf result.
class BoundedText {
public:
    BoundedText(char* out, size_t room);

    BoundedText& Text(const char* text) {
        Put(text, std::strlen(text));  // inlined, so a literal's length is known when compiling
        return *this;
    }
    // "%<width>d", or "%0<width>d" when zeroPad.
    BoundedText& Integer(int32_t value, int width = 0, bool zeroPad = false);
    // "%<width>.<decimals>f".
    BoundedText& Fixed(double value, int decimals, int width = 0);

    // Characters of the whole text, without the terminator; may exceed the room.
    size_t Length() const { return length_; }
    bool Fits() const { return length_ < room_; }
    const char* Data() const { return out_; }

private:
    void Put(const char* text, size_t count) {
        if (length_ + count < room_) {
            std::memcpy(out_ + length_, text, count);
            out_[length_ + count] = '\0';
        } else {
            PutCut(text);
        }
        length_ += count;
    }
    // Where a number is formatted: in place, or in spare when it might not fit.
    char* NumberSpace(char* spare);
    void PutNumber(const char* digits, int length);
    // The part of a text that reaches the end of the room.
    void PutCut(const char* text);

    char* const out_;
    const size_t room_;
    size_t length_ = 0;
};
