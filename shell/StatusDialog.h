#pragma once
#include <cstdint>
#include "platform/TextBoxes.h"
#include "shell/TextBox.h"

// Told of every text that reaches a box, so that a front-end can draw or record it.
class TextObserver {
public:
    virtual ~TextObserver() = default;
    // A whole replacement of the box (replaced = true) or a text added at its end.
    virtual void OnText(int control, const wchar_t* text, bool replaced) = 0;
};

// The status box (1001), the log box (1002) and the Flush button.
class StatusDialog : public TextBoxes {
public:
    explicit StatusDialog(bool& flushRequested) : flushRequested_(flushRequested) {}

    void SetText(int control, const wchar_t* text) override;
    void AppendText(int control, const wchar_t* text) override;

    // The Flush button only asks; the next regular tick flushes.
    void PressFlush() { flushRequested_ = true; }

    void SetObserver(TextObserver* observer) { observer_ = observer; }
    const TextBox& Box(int control) const { return control == kStatusBox ? status_ : log_; }

private:
    TextBox* Find(int control);

    bool& flushRequested_;
    TextBox status_;
    TextBox log_;
    TextObserver* observer_ = nullptr;
};
