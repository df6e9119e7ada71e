#pragma once
#include <cstdint>
#include <functional>

// What a menu or dialog loop receives next.
struct TerminalEvent {
    enum Kind { Key, Mouse, Resize, Tick, Stop };
    Kind kind = Tick;
    int key = 0;            // Key: a character, or an ncurses KEY_ code when function is set
    bool function = false;
    bool alt = false;       // Key: the character came with Alt (ESC first)
    int y = 0;              // Mouse: where
    int x = 0;
    bool click = false;     // Mouse: a single click of the first button
    bool doubleClick = false;
    int wheel = 0;          // Mouse: -1 up, +1 down

    bool IsKey(int code) const { return kind == Key && function && key == code; }
    bool IsChar(int c) const { return kind == Key && !function && !alt && key == c; }
    bool IsEnter() const { return IsChar('\r') || IsChar('\n') || IsKey(kEnterKey); }
    bool IsEscape() const { return IsChar(27); }
    bool IsTab() const { return IsChar('\t'); }
    bool IsBackTab() const { return IsKey(kBackTabKey); }

    // ncurses' KEY_ENTER and KEY_BTAB, so that this header needs no curses.h.
    static constexpr int kEnterKey = 0527;
    static constexpr int kBackTabKey = 0541;
};

// Tab moves the focus to the next of count controls, Shift+Tab back; other events leave it.
inline int CycleFocus(const TerminalEvent& event, int focus, int count) {
    if (event.IsTab()) return (focus + 1) % count;
    if (event.IsBackTab()) return (focus + count - 1) % count;
    return focus;
}

// The one input loop that every menu and dialog runs, nested or not: it waits for
// a key, a click or a resize, and runs the one-second tick whenever one is due, so
// logging never pauses while a menu or dialog is open. Stop is sticky: once asked
// for (Quit, Ctrl+C, a stop signal, the terminal gone), every loop gets Stop until
// all have unwound.
class TerminalEvents {
public:
    explicit TerminalEvents(std::function<void()> tick);

    TerminalEvent Next();
    void RequestStop() { stop_ = true; }
    bool Stopping() const;

private:
    bool ReadKey(TerminalEvent& event);

    std::function<void()> tick_;
    int64_t nextTickMs_;
    bool stop_ = false;
    int emptyReads_ = 0;
};
