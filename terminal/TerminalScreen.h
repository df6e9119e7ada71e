#pragma once
#include <string>
#include <vector>

// A rectangle of terminal cells, kept from the last drawing so that a click can
// be matched against what the user saw.
struct TerminalRect {
    int y = 0;
    int x = 0;
    int height = 0;
    int width = 0;
    bool Contains(int row, int column) const {
        return row >= y && row < y + height && column >= x && column < x + width;
    }
};

class TerminalScreen;

// One thing on the screen: the main window at the bottom, menus and dialogs above it.
class TerminalLayer {
public:
    virtual ~TerminalLayer() = default;
    virtual void Draw(TerminalScreen& screen) = 0;
};

// The ncurses session and the few drawing primitives the faces share. Every redraw
// paints all layers from the bottom up; ncurses sends only what changed.
class TerminalScreen {
public:
    // Good, Warning and Bad are green, yellow and red where the terminal has colour,
    // else bold, bold and reverse.
    enum Style { Plain, Reverse, Bold, Field, Good, Warning, Bad };

    ~TerminalScreen();

    // False when the terminal cannot be driven (no terminal, unknown TERM).
    bool Start();
    // Gives the terminal back as it was; safe to call twice.
    void Stop();

    void Push(TerminalLayer* layer) { layers_.push_back(layer); }
    void Pop() { layers_.pop_back(); }
    void Redraw();

    int Rows() const;
    int Columns() const;

    // Text clipped to width cells, starting at column x; returns the cells used.
    int Text(int y, int x, int width, const std::wstring& text, Style style = Plain);
    // Like Text, but the rest of the width is filled with blanks of the same style.
    void Line(int y, int x, int width, const std::wstring& text, Style style = Plain);
    // A frame with its caption in the top edge; the inside is blanked.
    void Frame(const TerminalRect& rect, const std::wstring& caption);
    // A framed dialog of at most width by height cells in the middle of the screen.
    TerminalRect DialogFrame(int width, int height, const std::wstring& caption);
    // "[ label ]", reversed when it has the focus; returns where it was drawn.
    TerminalRect Button(int y, int x, const std::wstring& label, bool focused);
    // A scroll bar down one column: the thumb shows which part of total is visible.
    void ScrollBar(int y, int x, int height, int first, int visible, int total);
    // A radio mark, or a sub-menu arrow; reversed on a highlighted row.
    void Mark(int y, int x, bool radio, bool reversed);
    // A line across a frame of that width, joined to its sides.
    void Separator(int y, int x, int width);
    // Where the caret shows after this redraw; hidden unless a layer asks.
    void PlaceCursor(int y, int x);

private:
    std::vector<TerminalLayer*> layers_;
    void* session_ = nullptr;  // the curses SCREEN, kept out of this header
    int cursorY_ = -1;
    int cursorX_ = -1;
};

// Opens a layer for the life of a modal loop.
class ScopedLayer {
public:
    ScopedLayer(TerminalScreen& screen, TerminalLayer* layer) : screen_(screen) { screen_.Push(layer); }
    ~ScopedLayer() { screen_.Pop(); }
    ScopedLayer(const ScopedLayer&) = delete;
    ScopedLayer& operator=(const ScopedLayer&) = delete;

private:
    TerminalScreen& screen_;
};
