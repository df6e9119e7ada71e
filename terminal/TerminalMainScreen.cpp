#include "terminal/TerminalMainScreen.h"

#include <curses.h>

#include <algorithm>
#include <cwchar>

#include "terminal/TerminalMenu.h"
#include "terminal/TerminalText.h"
#include "shell/resources/Resources.h"

namespace {

constexpr int kCtrlA = 1;
constexpr int kCtrlL = 12;
constexpr int kCtrlQ = 17;
constexpr int kStatusRows = 11;  // the fix text and a "DROPPED" line, with the frame
constexpr int kSummaryRows = 4;  // the recording state, input, today's counts (or the flush note), output folder
constexpr int kWheelLines = 3;
// Button positions across the dialog, in its 128 dialog units.
constexpr int kDialogUnits = 128;
constexpr int kButtonUnits[3] = {7, 48, 90};
constexpr const wchar_t* kHints = L" F10 Tools  Ctrl+A About  Ctrl+Q Quit  Tab Buttons  PgUp/PgDn Log";

}  // namespace

void TerminalMainScreen::OnText(int control, const wchar_t* text, bool replaced) {
    if (control == kStatusBox) {
        statusShowsEnd_ = !replaced;
        if (statusLog_ != nullptr) statusLog_->OnText(control, text, replaced);
    }
}

int TerminalMainScreen::Handle(const TerminalEvent& event, TerminalScreen& screen, TerminalEvents& events) {
    if (event.kind == TerminalEvent::Mouse) return Click(event, screen, events);
    if (event.kind != TerminalEvent::Key) return 0;
    if (event.IsKey(KEY_F(10)) || (event.alt && (event.key == 't' || event.key == 'T'))) return OpenMenu(screen, events);
    if (event.IsChar(kCtrlA)) return kCommandAbout;
    if (event.IsChar(kCtrlQ)) return kCommandCloseNow;
    if (event.IsChar(kCtrlL)) clearok(curscr, TRUE);
    focus_ = CycleFocus(event, focus_, kFocusCount);
    if ((event.IsEnter() || event.IsChar(' ')) && focus_ != LogBox) return Press(focus_, screen, events);
    if (event.IsKey(KEY_UP)) ScrollLog(-1);
    if (event.IsKey(KEY_DOWN)) ScrollLog(1);
    if (event.IsKey(KEY_PPAGE)) ScrollLog(-std::max(1, logVisible_ - 1));
    if (event.IsKey(KEY_NPAGE)) ScrollLog(std::max(1, logVisible_ - 1));
    if (event.IsKey(KEY_HOME)) ScrollLog(-logLines_);
    if (event.IsKey(KEY_END)) ScrollLog(logLines_);
    return 0;
}

int TerminalMainScreen::Click(const TerminalEvent& event, TerminalScreen& screen, TerminalEvents& events) {
    if (event.wheel != 0) {
        if (log_.Contains(event.y, event.x)) ScrollLog(event.wheel * kWheelLines);
        return 0;
    }
    if (!event.click && !event.doubleClick) return 0;
    if (tools_.Contains(event.y, event.x)) return OpenMenu(screen, events);
    for (int button = 0; button < 3; ++button) {
        if (buttons_[button].Contains(event.y, event.x)) {
            focus_ = button;
            return Press(button, screen, events);
        }
    }
    if (log_.Contains(event.y, event.x)) focus_ = LogBox;
    return 0;
}

int TerminalMainScreen::OpenMenu(TerminalScreen& screen, TerminalEvents& events) {
    TerminalMenu menu(app_.window, app_.port, gpsd_, tools_.y + 1, tools_.x - 1);
    return menu.Run(screen, events);
}

// The port and speed buttons show the choice and lead to where it is changed.
int TerminalMainScreen::Press(int button, TerminalScreen& screen, TerminalEvents& events) {
    if (button != FlushButton) return OpenMenu(screen, events);
    app_.dialog.PressFlush();
    summary_.NoteFlush(app_.window.TickCount());
    return 0;
}

void TerminalMainScreen::ScrollLog(int lines) {
    int last = std::max(0, logLines_ - logVisible_);
    logFirst_ = std::clamp((followLog_ ? last : logFirst_) + lines, 0, last);
    followLog_ = logFirst_ >= last;
}

void TerminalMainScreen::Draw(TerminalScreen& screen) {
    int rows = screen.Rows();
    int columns = screen.Columns();
    std::wstring title = kWindowTitle;
    screen.Line(0, 0, columns, std::wstring(static_cast<size_t>(std::max(0, (columns - CellWidth(title)) / 2)), L' ') + title,
                TerminalScreen::Reverse);
    screen.Line(1, 0, columns, L"", TerminalScreen::Reverse);
    tools_ = {1, 1, 1, screen.Text(1, 1, columns - 1, std::wstring(L" ") + kToolsMenuText + L" ", TerminalScreen::Bold)};

    int inside = std::max(0, rows - 4);  // below the menu bar, above the buttons and the hints
    TerminalRect status{2, 0, std::clamp(inside - 5 - kSummaryRows, 3, kStatusRows), columns};
    TerminalRect log{status.y + status.height + kSummaryRows, 0, std::max(3, inside - status.height - kSummaryRows),
                     columns};
    DrawStatus(screen, status);
    DrawSummary(screen, status.y + status.height, columns);
    DrawLog(screen, log);

    int buttonRow = log.y + log.height;
    wchar_t port[24];
    wchar_t speed[24];
    if (app_.port.portNumber == SerialPort::kNoPort) {
        swprintf(port, sizeof port / sizeof port[0], L"Port: None");
    } else if (gpsd_ != nullptr && gpsd_->Chosen()) {
        swprintf(port, sizeof port / sizeof port[0], L"Port: gpsd");
    } else {
        swprintf(port, sizeof port / sizeof port[0], L"Port: COM%d", app_.port.portNumber);
    }
    swprintf(speed, sizeof speed / sizeof speed[0], L"Speed: %d", app_.port.portSpeed);
    const wchar_t* texts[3] = {L"Flush", port, speed};
    for (int button = 0; button < 3; ++button) {
        buttons_[button] =
            screen.Button(buttonRow, columns * kButtonUnits[button] / kDialogUnits, texts[button], focus_ == button);
    }
    screen.Line(rows - 1, 0, columns, kHints, TerminalScreen::Reverse);
}

// A text longer than the box shows its start, or its end after an append.
void TerminalMainScreen::DrawStatus(TerminalScreen& screen, const TerminalRect& rect) {
    screen.Frame(rect, L"");
    const TextBox& box = app_.dialog.Box(kStatusBox);
    std::vector<std::wstring> lines = WrapText(box.Text(), box.Length(), rect.width - 2);
    int visible = rect.height - 2;
    int first = statusShowsEnd_ ? std::max(0, static_cast<int>(lines.size()) - visible) : 0;
    for (int row = 0; row < visible && first + row < static_cast<int>(lines.size()); ++row) {
        screen.Text(rect.y + 1 + row, rect.x + 1, rect.width - 2, lines[static_cast<size_t>(first + row)]);
    }
}

void TerminalMainScreen::DrawSummary(TerminalScreen& screen, int row, int columns) {
    const uint32_t tick = app_.window.TickCount();
    const std::wstring note = summary_.FlushNote(tick, app_.flags.flushRequested);
    static constexpr TerminalScreen::Style kLevelStyles[] = {TerminalScreen::Good, TerminalScreen::Warning,
                                                             TerminalScreen::Bad};
    screen.Text(row, 1, columns - 2, app_.state.Line(), kLevelStyles[static_cast<int>(app_.state.GetLevel())]);
    screen.Text(row + 1, 1, columns - 2, summary_.InputLine());
    if (note.empty()) {
        screen.Text(row + 2, 1, columns - 2, summary_.CountsLine());
    } else {
        screen.Text(row + 2, 1, columns - 2, note, TerminalScreen::Bold);
    }
    screen.Text(row + 3, 1, columns - 2, summary_.FolderLine());
}

void TerminalMainScreen::DrawLog(TerminalScreen& screen, const TerminalRect& rect) {
    log_ = rect;
    screen.Frame(rect, focus_ == LogBox ? L"Log" : L"");
    const TextBox& box = app_.dialog.Box(kLogBox);
    std::vector<std::wstring> lines = WrapText(box.Text(), box.Length(), rect.width - 3);
    logLines_ = static_cast<int>(lines.size());
    logVisible_ = std::max(1, rect.height - 2);
    int last = std::max(0, logLines_ - logVisible_);
    // A box cleared by the 30000-character rule is shorter than where the view was.
    logFirst_ = followLog_ ? last : std::min(logFirst_, last);
    for (int row = 0; row < logVisible_ && logFirst_ + row < logLines_; ++row) {
        screen.Text(rect.y + 1 + row, rect.x + 1, rect.width - 3, lines[static_cast<size_t>(logFirst_ + row)]);
    }
    screen.ScrollBar(rect.y + 1, rect.x + rect.width - 1, logVisible_, logFirst_, logVisible_, logLines_);
}
