#include "format/BoundedText.h"

#include <cstdio>
#include <type_traits>

namespace {
// "%.9f" of the largest double, with a sign and a terminator.
constexpr int kLongestFixedChars = 1 + 309 + 1 + 9 + 1;
}  // namespace

template <typename Char>
BasicBoundedText<Char>& BasicBoundedText<Char>::Fixed(double value, int decimals, int width) {
    char digits[kLongestFixedChars];
    int length = FormatFixed(digits, value, decimals);
    if (length < 0) {
        // Beyond the exact shortcut (a malformed sentence's absurd number): printf itself.
        length = snprintf(digits, sizeof digits, "%.*f", decimals, value);
        if (length < 0 || length >= static_cast<int>(sizeof digits)) return *this;  // decimals out of range
    }
    for (int pad = width - length; pad > 0; --pad) PutNarrow(" ", 1);  // right-aligned
    PutNarrow(digits, static_cast<size_t>(length));
    return *this;
}

template <typename Char>
void BasicBoundedText<Char>::PutNarrow(const char* text, size_t count) {
    if constexpr (std::is_same<Char, char>::value) {
        Put(text, count);
    } else if (length_ + count < room_) {
        for (size_t i = 0; i < count; ++i) out_[length_ + i] = static_cast<Char>(static_cast<unsigned char>(text[i]));
        length_ += count;
        out_[length_] = Char{};
    } else {
        for (size_t i = 0; i < count; ++i) {
            const Char wide = static_cast<Char>(static_cast<unsigned char>(text[i]));
            Put(&wide, 1);
        }
    }
}

// Called only when the text reaches the end of the room: what fits, then the terminator.
template <typename Char>
void BasicBoundedText<Char>::PutCut(const Char* text) {
    if (length_ + 1 >= room_) return;  // already at the end: only counted
    std::memcpy(out_ + length_, text, (room_ - 1 - length_) * sizeof(Char));
    out_[room_ - 1] = Char{};
}

template class BasicBoundedText<char>;
template class BasicBoundedText<wchar_t>;
