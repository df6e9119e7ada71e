#pragma once
#include "terminal/TerminalEvents.h"
#include "terminal/TerminalScreen.h"

// Where a list of rows stands on the screen: the selected row (-1: none) and the
// first row in view. The rows themselves belong to the dialog that shows them.
class TerminalListView {
public:
    int Selected() const { return selected_; }
    int First() const { return first_; }
    int Rows() const { return rect_.height; }
    const TerminalRect& Rect() const { return rect_; }

    // A list filled anew: nothing selected, the top in view.
    void Reset();
    // Up, Down, Page Up, Page Down, Home, End; true when the event was one of them.
    bool HandleKey(const TerminalEvent& event, int count);
    void Select(int row, int count);
    void Scroll(int rows, int count);
    // The list drawn at rect from now on; keeps the first row in range.
    void Place(const TerminalRect& rect, int count);
    // The row at a clicked cell, or -1.
    int RowAt(int y, int x, int count) const;

private:
    TerminalRect rect_{0, 0, 1, 0};
    int selected_ = -1;
    int first_ = 0;
};
