#pragma once
#include <cstddef>
#include <string>
#include "terminal/TerminalEvents.h"
#include "terminal/TerminalScreen.h"

// A one-line edit box over a text that someone else owns (the folder dialog's name
// box, the file dialog's file name): typing, Backspace, Delete, Left, Right, Home, End.
class TerminalEditBox {
public:
    TerminalEditBox(std::wstring& text, size_t maxChars) : text_(text), maxChars_(maxChars) {}

    // True when the event was an editing key.
    bool Handle(const TerminalEvent& event);
    void Draw(TerminalScreen& screen, int y, int x, int width, bool focused);
    void MoveToEnd() { cursor_ = text_.size(); }

    TerminalRect rect;  // where it was drawn last

private:
    std::wstring& text_;
    size_t maxChars_;
    size_t cursor_ = 0;
};
