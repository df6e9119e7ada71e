#pragma once
#include "shell/Application.h"
#include "shell/StatusSummary.h"
#include "shell/StatusDialog.h"
#include "shell/GpsdChoice.h"
#include "terminal/TerminalEvents.h"
#include "terminal/TerminalScreen.h"

// The main window in a terminal: title, the menu bar with "Tools", the status box,
// the log box (following its end as text arrives, or where the user scrolled it)
// the input, today's counts and the output folder below the status box, the Flush
// button and the port and speed buttons (which open Tools, where both are chosen).
// Turns keys and clicks into the window's commands.
class TerminalMainScreen : public TerminalLayer, public TextObserver {
public:
    // statusLog, when given, also hears every status text (--status-log).
    TerminalMainScreen(Application& app, TextObserver* statusLog, GpsdChoice* gpsd)
        : app_(app), statusLog_(statusLog), gpsd_(gpsd), summary_(app.window.Files(), app.track, app.route, app.poller, app.port) {}

    // A command for the window (an accelerator or a menu choice), or 0. The menu
    // runs its own loop inside.
    int Handle(const TerminalEvent& event, TerminalScreen& screen, TerminalEvents& events);
    void Draw(TerminalScreen& screen) override;
    void OnText(int control, const wchar_t* text, bool replaced) override;

private:
    enum Focus { FlushButton, PortButton, SpeedButton, LogBox, kFocusCount };

    int Click(const TerminalEvent& event, TerminalScreen& screen, TerminalEvents& events);
    int OpenMenu(TerminalScreen& screen, TerminalEvents& events);
    // A command for the window, or 0.
    int Press(int button, TerminalScreen& screen, TerminalEvents& events);
    void ScrollLog(int lines);
    void DrawStatus(TerminalScreen& screen, const TerminalRect& rect);
    void DrawLog(TerminalScreen& screen, const TerminalRect& rect);
    void DrawSummary(TerminalScreen& screen, int row, int columns);

    Application& app_;
    TextObserver* statusLog_;
    GpsdChoice* gpsd_;
    StatusSummary summary_;
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
