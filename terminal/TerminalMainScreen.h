#pragma once
#include "shell/Application.h"
#include "shell/StatusDialog.h"
#include "terminal/TerminalEvents.h"
#include "terminal/TerminalScreen.h"

// The main window in a terminal: title, the menu bar with "Tools", the status box,
// the log box (following its end as text arrives, or where the user scrolled it)
// and the Flush and None buttons. Turns keys and clicks into the window's commands.
class TerminalMainScreen : public TerminalLayer, public TextObserver {
public:
    // statusLog, when given, also hears every status text (--status-log).
    TerminalMainScreen(Application& app, TextObserver* statusLog) : app_(app), statusLog_(statusLog) {}

    // A command for the window (an accelerator or a menu choice), or 0. The menu
    // runs its own loop inside.
    int Handle(const TerminalEvent& event, TerminalScreen& screen, TerminalEvents& events);
    void Draw(TerminalScreen& screen) override;
    void OnText(int control, const wchar_t* text, bool replaced) override;

private:
    enum Focus { FlushButton, NoneLeftButton, NoneRightButton, LogBox, kFocusCount };

    int Click(const TerminalEvent& event, TerminalScreen& screen, TerminalEvents& events);
    int OpenMenu(TerminalScreen& screen, TerminalEvents& events);
    void Press(int button);
    void ScrollLog(int lines);
    void DrawStatus(TerminalScreen& screen, const TerminalRect& rect);
    void DrawLog(TerminalScreen& screen, const TerminalRect& rect);

    Application& app_;
    TextObserver* statusLog_;
    int focus_ = FlushButton;  // the dialog's default button
    bool statusShowsEnd_ = false;  // after an append the caret, and the view, is at the end
    bool followLog_ = true;
    int logFirst_ = 0;
    int logLines_ = 0;    // as last drawn
    int logVisible_ = 1;
    TerminalRect tools_;
    TerminalRect log_;
    TerminalRect buttons_[3];
};
