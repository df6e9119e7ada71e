#include "shell/TextBox.h"

#include <cwchar>

void TextBox::SetText(const wchar_t* text) {
    length_ = 0;
    Add(text);
}

void TextBox::AppendText(const wchar_t* text) {
    if (length_ > kClearAbove) length_ = 0;
    Add(text);
}

// A message longer than the room left is cut: the box never grows past its storage.
void TextBox::Add(const wchar_t* text) {
    const size_t count = wcsnlen(text, kCapacity - length_);
    wmemcpy(text_ + length_, text, count);
    length_ += count;
    text_[length_] = L'\0';
}
