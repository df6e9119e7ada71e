#include "terminal/TerminalScreen.h"

#include <curses.h>

#include <algorithm>

#include "terminal/TerminalText.h"

namespace {

// Colour pairs 1 to 3: green, yellow and red on the terminal's own background.
constexpr short kFirstPair = 1;

attr_t Attribute(TerminalScreen::Style style, short* pair) {
    *pair = 0;
    const bool colour = has_colors();
    switch (style) {
        case TerminalScreen::Reverse:
            return A_REVERSE;
        case TerminalScreen::Bold:
            return A_BOLD;
        case TerminalScreen::Field:
            return A_UNDERLINE;
        case TerminalScreen::Good:
        case TerminalScreen::Warning:
        case TerminalScreen::Bad:
            if (!colour) return style == TerminalScreen::Bad ? A_REVERSE : A_BOLD;
            *pair = static_cast<short>(kFirstPair + (style - TerminalScreen::Good));
            return A_BOLD;
        default:
            return A_NORMAL;
    }
}

}  // namespace

TerminalScreen::~TerminalScreen() { Stop(); }

bool TerminalScreen::Start() {
    // newterm, unlike initscr, reports an unusable terminal instead of exiting.
    session_ = newterm(nullptr, stdout, stdin);
    if (session_ == nullptr) return false;
    // Raw, so that Ctrl+Q and Ctrl+S reach the program instead of the flow control.
    raw();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    set_escdelay(25);
    mousemask(BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED | BUTTON4_PRESSED | BUTTON5_PRESSED, nullptr);
    curs_set(0);
    if (has_colors()) {
        start_color();
        use_default_colors();
        init_pair(kFirstPair, COLOR_GREEN, -1);
        init_pair(kFirstPair + 1, COLOR_YELLOW, -1);
        init_pair(kFirstPair + 2, COLOR_RED, -1);
    }
    return true;
}

void TerminalScreen::Stop() {
    if (session_ == nullptr) return;
    curs_set(1);
    endwin();
    delscreen(static_cast<SCREEN*>(session_));
    session_ = nullptr;
}

int TerminalScreen::Rows() const { return LINES; }

int TerminalScreen::Columns() const { return COLS; }

void TerminalScreen::Redraw() {
    erase();
    cursorY_ = cursorX_ = -1;
    for (TerminalLayer* layer : layers_) layer->Draw(*this);
    if (cursorY_ >= 0) {
        curs_set(1);
        move(cursorY_, cursorX_);
    } else {
        curs_set(0);
    }
    refresh();
}

int TerminalScreen::Text(int y, int x, int width, const std::wstring& text, Style style) {
    if (y < 0 || y >= LINES || x < 0 || x >= COLS || width <= 0) return 0;
    if (width > COLS - x) width = COLS - x;
    std::wstring shown = FitText(text, width);
    short pair = 0;
    const attr_t attribute = Attribute(style, &pair);
    attr_set(attribute, pair, nullptr);
    mvaddnwstr(y, x, shown.c_str(), static_cast<int>(shown.size()));
    attr_set(A_NORMAL, 0, nullptr);
    return CellWidth(shown);
}

void TerminalScreen::Line(int y, int x, int width, const std::wstring& text, Style style) {
    int used = Text(y, x, width, text, style);
    if (width > used) Text(y, x + used, width - used, std::wstring(static_cast<size_t>(width - used), L' '), style);
}

TerminalRect TerminalScreen::DialogFrame(int width, int height, const std::wstring& caption) {
    TerminalRect box;
    box.width = std::min(width, Columns());
    box.height = std::min(height, Rows());
    box.y = std::max(0, (Rows() - box.height) / 2);
    box.x = std::max(0, (Columns() - box.width) / 2);
    Frame(box, caption);
    return box;
}

void TerminalScreen::Frame(const TerminalRect& rect, const std::wstring& caption) {
    if (rect.height < 2 || rect.width < 2) return;
    for (int row = rect.y; row < rect.y + rect.height; ++row) Line(row, rect.x, rect.width, L"");
    int right = rect.x + rect.width - 1;
    int bottom = rect.y + rect.height - 1;
    mvhline(rect.y, rect.x + 1, ACS_HLINE, rect.width - 2);
    mvhline(bottom, rect.x + 1, ACS_HLINE, rect.width - 2);
    mvvline(rect.y + 1, rect.x, ACS_VLINE, rect.height - 2);
    mvvline(rect.y + 1, right, ACS_VLINE, rect.height - 2);
    mvaddch(rect.y, rect.x, ACS_ULCORNER);
    mvaddch(rect.y, right, ACS_URCORNER);
    mvaddch(bottom, rect.x, ACS_LLCORNER);
    mvaddch(bottom, right, ACS_LRCORNER);
    if (!caption.empty()) Text(rect.y, rect.x + 2, rect.width - 4, L" " + caption + L" ", Bold);
}

TerminalRect TerminalScreen::Button(int y, int x, const std::wstring& label, bool focused) {
    TerminalRect rect;
    rect.y = y;
    rect.x = x;
    rect.height = 1;
    rect.width = Text(y, x, COLS - x, L"[ " + label + L" ]", focused ? Reverse : Plain);
    return rect;
}

void TerminalScreen::ScrollBar(int y, int x, int height, int first, int visible, int total) {
    if (height < 1 || total <= visible) return;
    int thumb = height * visible / total;
    if (thumb < 1) thumb = 1;
    int top = total - visible > 0 ? (height - thumb) * first / (total - visible) : 0;
    for (int row = 0; row < height; ++row) {
        mvaddch(y + row, x, row >= top && row < top + thumb ? ACS_CKBOARD : ACS_VLINE);
    }
}

void TerminalScreen::Mark(int y, int x, bool radio, bool reversed) {
    if (y < 0 || y >= LINES || x < 0 || x >= COLS) return;
    mvaddch(y, x, (radio ? ACS_DIAMOND : ACS_RARROW) | (reversed ? A_REVERSE : A_NORMAL));
}

void TerminalScreen::Separator(int y, int x, int width) {
    if (width < 2) return;
    mvaddch(y, x, ACS_LTEE);
    mvhline(y, x + 1, ACS_HLINE, width - 2);
    mvaddch(y, x + width - 1, ACS_RTEE);
}

void TerminalScreen::PlaceCursor(int y, int x) {
    if (y < 0 || y >= LINES || x < 0 || x >= COLS) return;
    cursorY_ = y;
    cursorX_ = x;
}
