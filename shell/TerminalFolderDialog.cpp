#include "shell/TerminalFolderDialog.h"

#include <curses.h>

#include <algorithm>

#include "shell/TerminalText.h"

namespace {

constexpr const wchar_t* kCaption = L"Select output folder";
constexpr int kWidth = 64;
constexpr int kHeight = 24;
constexpr int kTypeColumn = 8;  // cells for "Folder" and a gap

}  // namespace

void TerminalFolderDialog::Run(TerminalScreen& screen, TerminalEvents& events) {
    model_.Open();
    Refilled();
    nameBox_.MoveToEnd();
    focus_ = List;
    ScopedLayer layer(screen, this);
    for (;;) {
        screen.Redraw();
        TerminalEvent event = events.Next();
        if (event.kind == TerminalEvent::Stop) return;
        int closedBy = Handle(event);
        if (closedBy == OkButton) model_.Ok();
        if (closedBy != 0) return;
    }
}

int TerminalFolderDialog::Handle(const TerminalEvent& event) {
    if (event.kind == TerminalEvent::Mouse) return Click(event);
    if (event.kind != TerminalEvent::Key) return 0;
    if (event.IsEscape()) return CancelButton;
    if (event.IsTab()) focus_ = (focus_ + 1) % kFocusCount;
    if (event.IsBackTab()) focus_ = (focus_ + kFocusCount - 1) % kFocusCount;
    if (focus_ == List) {
        HandleListKey(event);
    } else if (focus_ == NameBox) {
        // Enter in the name box creates the folder named there.
        if (event.IsEnter()) return Press(CreateButton);
        nameBox_.Handle(event);
    } else if (event.IsEnter() || event.IsChar(' ')) {
        return Press(focus_);
    }
    return 0;
}

void TerminalFolderDialog::HandleListKey(const TerminalEvent& event) {
    int last = model_.RowCount() - 1;
    if (event.IsKey(KEY_UP)) Select(std::max(0, selected_ - 1));
    if (event.IsKey(KEY_DOWN)) Select(std::min(last, selected_ + 1));
    if (event.IsKey(KEY_PPAGE)) Select(std::max(0, selected_ - listRows_));
    if (event.IsKey(KEY_NPAGE)) Select(std::min(last, selected_ + listRows_));
    if (event.IsKey(KEY_HOME)) Select(0);
    if (event.IsKey(KEY_END)) Select(last);
    if (event.IsChar(' ')) model_.Tap(selected_);
    if (event.IsEnter()) {
        model_.DoubleTap(selected_);
        if (model_.Refusal().empty()) Refilled();
    }
}

int TerminalFolderDialog::Click(const TerminalEvent& event) {
    if (event.wheel != 0) {
        first_ = std::clamp(first_ + event.wheel, 0, std::max(0, model_.RowCount() - listRows_));
        return 0;
    }
    if (!event.click && !event.doubleClick) return 0;
    if (list_.Contains(event.y, event.x)) {
        focus_ = List;
        int row = first_ + event.y - list_.y;
        if (row >= model_.RowCount()) return 0;
        Select(row);
        if (event.doubleClick) {
            model_.DoubleTap(row);
            if (model_.Refusal().empty()) Refilled();
        } else {
            model_.Tap(row);
        }
        return 0;
    }
    if (nameBox_.rect.Contains(event.y, event.x)) focus_ = NameBox;
    for (int button : {CreateButton, OkButton, CancelButton}) {
        if (buttons_[button].Contains(event.y, event.x)) {
            focus_ = button;
            return Press(button);
        }
    }
    return 0;
}

int TerminalFolderDialog::Press(int button) {
    if (button == CreateButton) {
        model_.Create();
        if (model_.Refusal().empty()) Refilled();
        return 0;
    }
    return button == OkButton || button == CancelButton ? button : 0;
}

void TerminalFolderDialog::Select(int row) {
    if (row < 0 || row >= model_.RowCount()) return;
    selected_ = row;
    if (selected_ < first_) first_ = selected_;
    if (selected_ >= first_ + listRows_) first_ = selected_ - listRows_ + 1;
}

void TerminalFolderDialog::Refilled() {
    selected_ = -1;
    first_ = 0;
}

void TerminalFolderDialog::Draw(TerminalScreen& screen) {
    TerminalRect box;
    box.width = std::min(kWidth, screen.Columns());
    box.height = std::min(kHeight, screen.Rows());
    box.y = (screen.Rows() - box.height) / 2;
    box.x = (screen.Columns() - box.width) / 2;
    screen.Frame(box, kCaption);
    int left = box.x + 2;
    int width = box.width - 4;

    // The path box is read-only: no caret, and its end (the folder itself) in view.
    screen.Text(box.y + 1, left, width, L"Output folder:");
    screen.Line(box.y + 2, left, width, FitTail(model_.PathBox(), width), TerminalScreen::Field);
    std::wstring create = L"Create";
    int createWidth = CellWidth(create) + 4;
    screen.Text(box.y + 3, left, width, L"New folder name:");
    nameBox_.Draw(screen, box.y + 4, left, width - createWidth - 2, focus_ == NameBox);
    buttons_[CreateButton] = screen.Button(box.y + 4, left + width - createWidth, create, focus_ == CreateButton);

    int typeX = left + width - kTypeColumn;
    int header = box.y + 6;
    screen.Line(header, left, width, L"Name", TerminalScreen::Bold);
    screen.Text(header, typeX, kTypeColumn, L"Type", TerminalScreen::Bold);
    list_ = {header + 1, left, std::max(1, box.y + box.height - 4 - (header + 1)), width};
    listRows_ = list_.height;
    first_ = std::clamp(first_, 0, std::max(0, model_.RowCount() - listRows_));
    for (int row = 0; row < listRows_ && first_ + row < model_.RowCount(); ++row) {
        int index = first_ + row;
        TerminalScreen::Style style = index == selected_ ? TerminalScreen::Reverse : TerminalScreen::Plain;
        int y = list_.y + row;
        screen.Line(y, left, width, FitText(model_.RowName(index), width - kTypeColumn - 1), style);
        screen.Text(y, typeX, kTypeColumn, model_.RowType(index), style);
    }
    if (selected_ < 0 && focus_ == List) screen.PlaceCursor(list_.y, left);
    screen.ScrollBar(list_.y, box.x + box.width - 1, listRows_, first_, listRows_, model_.RowCount());

    screen.Text(box.y + box.height - 4, left, width, model_.Refusal(), TerminalScreen::Bold);
    int buttonRow = box.y + box.height - 2;
    buttons_[OkButton] = screen.Button(buttonRow, left, L"OK", focus_ == OkButton);
    buttons_[CancelButton] = screen.Button(buttonRow, left + width - 10, L"Cancel", focus_ == CancelButton);
}
