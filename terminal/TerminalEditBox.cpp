#include "terminal/TerminalEditBox.h"

#include <curses.h>

#include <cwctype>

#include "terminal/TerminalText.h"

bool TerminalEditBox::Handle(const TerminalEvent& event) {
    if (event.kind != TerminalEvent::Key || event.alt) return false;
    // The owner may have changed the text (the folder dialog empties its name box).
    if (cursor_ > text_.size()) cursor_ = text_.size();
    if (!event.function) {
        wchar_t c = static_cast<wchar_t>(event.key);
        if (c == 127 || c == 8) {  // Backspace as the terminal sends it
            if (cursor_ > 0) text_.erase(--cursor_, 1);
            return true;
        }
        if (!std::iswprint(static_cast<wint_t>(c))) return false;
        if (text_.size() < maxChars_) text_.insert(cursor_++, 1, c);
        return true;
    }
    switch (event.key) {
        case KEY_BACKSPACE:
            if (cursor_ > 0) text_.erase(--cursor_, 1);
            return true;
        case KEY_DC:
            if (cursor_ < text_.size()) text_.erase(cursor_, 1);
            return true;
        case KEY_LEFT:
            if (cursor_ > 0) --cursor_;
            return true;
        case KEY_RIGHT:
            if (cursor_ < text_.size()) ++cursor_;
            return true;
        case KEY_HOME:
            cursor_ = 0;
            return true;
        case KEY_END:
            cursor_ = text_.size();
            return true;
        default:
            return false;
    }
}

void TerminalEditBox::Draw(TerminalScreen& screen, int y, int x, int width, bool focused) {
    if (cursor_ > text_.size()) cursor_ = text_.size();
    rect = {y, x, 1, width};
    // The part before the caret that fits, so the caret is always in view.
    std::wstring before = FitTail(text_.substr(0, cursor_), width - 1);
    std::wstring shown = before + text_.substr(cursor_);
    screen.Line(y, x, width, shown, TerminalScreen::Field);
    if (focused) screen.PlaceCursor(y, x + CellWidth(before));
}
