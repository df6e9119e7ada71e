#include "terminal/TerminalListView.h"

#include <curses.h>

#include <algorithm>

void TerminalListView::Reset() {
    selected_ = -1;
    first_ = 0;
}

bool TerminalListView::HandleKey(const TerminalEvent& event, int count) {
    int page = std::max(1, rect_.height);
    int row;
    if (event.IsKey(KEY_UP)) {
        row = selected_ - 1;
    } else if (event.IsKey(KEY_DOWN)) {
        row = selected_ + 1;
    } else if (event.IsKey(KEY_PPAGE)) {
        row = selected_ - page;
    } else if (event.IsKey(KEY_NPAGE)) {
        row = selected_ + page;
    } else if (event.IsKey(KEY_HOME)) {
        row = 0;
    } else if (event.IsKey(KEY_END)) {
        row = count - 1;
    } else {
        return false;
    }
    Select(std::clamp(row, 0, std::max(0, count - 1)), count);
    return true;
}

void TerminalListView::Select(int row, int count) {
    if (row < 0 || row >= count) return;
    selected_ = row;
    if (selected_ < first_) first_ = selected_;
    if (selected_ >= first_ + rect_.height) first_ = selected_ - rect_.height + 1;
}

void TerminalListView::Scroll(int rows, int count) { first_ = std::clamp(first_ + rows, 0, std::max(0, count - rect_.height)); }

void TerminalListView::Place(const TerminalRect& rect, int count) {
    rect_ = rect;
    if (rect_.height < 1) rect_.height = 1;
    Scroll(0, count);
}

int TerminalListView::RowAt(int y, int x, int count) const {
    if (!rect_.Contains(y, x)) return -1;
    int row = first_ + y - rect_.y;
    return row < count ? row : -1;
}
