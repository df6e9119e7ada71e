#include "terminal/TerminalMessageBox.h"

#include <curses.h>

#include <algorithm>
#include <cwctype>

#include "terminal/TerminalText.h"

namespace {

constexpr int kMaxWidth = 64;

}  // namespace

TerminalMessageBox::TerminalMessageBox(std::wstring caption, std::wstring text, std::vector<std::wstring> buttons)
    : caption_(std::move(caption)), text_(std::move(text)), buttons_(std::move(buttons)) {}

int TerminalMessageBox::Run(TerminalScreen& screen, TerminalEvents& events, int cancelChoice) {
    ScopedLayer layer(screen, this);
    for (;;) {
        screen.Redraw();
        TerminalEvent event = events.Next();
        if (event.kind == TerminalEvent::Stop || event.IsEscape()) return cancelChoice;
        int chosen = Chosen(event);
        if (chosen >= 0) return chosen;
    }
}

int TerminalMessageBox::Chosen(const TerminalEvent& event) {
    int count = static_cast<int>(buttons_.size());
    if (event.kind == TerminalEvent::Mouse && (event.click || event.doubleClick)) {
        for (int i = 0; i < static_cast<int>(buttonRects_.size()); ++i) {
            if (buttonRects_[i].Contains(event.y, event.x)) return i;
        }
        return -1;
    }
    if (event.IsEnter() || event.IsChar(' ')) return focus_;
    focus_ = CycleFocus(event, focus_, count);
    if (event.IsKey(KEY_RIGHT)) focus_ = (focus_ + 1) % count;
    if (event.IsKey(KEY_LEFT)) focus_ = (focus_ + count - 1) % count;
    // A button's first letter presses it, as Y and N do in the question.
    if (event.kind == TerminalEvent::Key && !event.function) {
        for (int i = 0; i < count; ++i) {
            if (std::towlower(static_cast<wint_t>(buttons_[i][0])) == std::towlower(static_cast<wint_t>(event.key))) {
                return i;
            }
        }
    }
    return -1;
}

void TerminalMessageBox::Draw(TerminalScreen& screen) {
    int buttonsWidth = 0;
    for (const std::wstring& label : buttons_) buttonsWidth += CellWidth(label) + 6;
    int widest = std::max(CellWidth(caption_) + 4, buttonsWidth);
    for (const std::wstring& line : WrapText(text_.c_str(), text_.size(), kMaxWidth - 4)) {
        widest = std::max(widest, CellWidth(line));
    }
    const int width = std::min(widest + 4, screen.Columns());
    std::vector<std::wstring> lines = WrapText(text_.c_str(), text_.size(), width - 4);
    const TerminalRect box = screen.DialogFrame(width, static_cast<int>(lines.size()) + 4, caption_);
    for (size_t i = 0; i < lines.size(); ++i) screen.Text(box.y + 1 + static_cast<int>(i), box.x + 2, box.width - 4, lines[i]);
    int x = box.x + (box.width - buttonsWidth) / 2 + 1;
    buttonRects_.clear();
    for (size_t i = 0; i < buttons_.size(); ++i) {
        buttonRects_.push_back(screen.Button(box.y + box.height - 2, x, buttons_[i], static_cast<int>(i) == focus_));
        x += buttonRects_.back().width + 2;
    }
}
