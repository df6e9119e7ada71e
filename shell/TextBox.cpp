#include "shell/TextBox.h"

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
    while (*text != L'\0' && length_ < kCapacity) text_[length_++] = *text++;
    text_[length_] = L'\0';
}
