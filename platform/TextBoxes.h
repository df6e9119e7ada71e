#pragma once

// The status dialog's two text boxes, as the lower layers reach them.
constexpr int kStatusBox = 1001;
constexpr int kLogBox = 1002;

class TextBoxes {
public:
    virtual ~TextBoxes() = default;
    // Replaces the whole content of the box.
    virtual void SetText(int control, const wchar_t* text) = 0;
    // Adds at the end; a box that already holds more than 30000 characters is cleared first.
    virtual void AppendText(int control, const wchar_t* text) = 0;
};
