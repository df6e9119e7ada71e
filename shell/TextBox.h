#pragma once
#include <cstddef>

// One edit box of the status dialog: fixed storage, replaced as a whole or grown
// at the end. A box over 30000 characters is cleared before the next text is added,
// so it holds at most 30000 characters plus one message.
class TextBox {
public:
    static constexpr size_t kClearAbove = 30000;
    static constexpr size_t kCapacity = kClearAbove + 2048;

    void SetText(const wchar_t* text);
    void AppendText(const wchar_t* text);

    const wchar_t* Text() const { return text_; }
    size_t Length() const { return length_; }

private:
    void Add(const wchar_t* text);

    wchar_t text_[kCapacity + 1] = {};
    size_t length_ = 0;
};
