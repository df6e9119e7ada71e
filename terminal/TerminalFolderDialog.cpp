#include "terminal/TerminalFolderDialog.h"

#include <algorithm>

#include "terminal/TerminalText.h"

namespace {

constexpr const wchar_t* kCaption = L"Select output folder";
constexpr int kWidth = 64;
constexpr int kHeight = 24;
constexpr int kTypeColumn = 8;  // cells for "Folder" and a gap

}  // namespace

void TerminalFolderDialog::Run(TerminalScreen& screen, TerminalEvents& events) {
    model_.Open();
    list_.Reset();
    nameBox_.MoveToEnd();
    focus_ = List;
    ScopedLayer layer(screen, this);
    for (;;) {
        screen.Redraw();
        TerminalEvent event = events.Next();
        if (event.kind == TerminalEvent::Stop) return;
        int closedBy = Handle(event);
        // A refused OK keeps the dialog open, its reason on show.
        if (closedBy == OkButton && !model_.Ok()) continue;
        if (closedBy != 0) return;
    }
}

int TerminalFolderDialog::Handle(const TerminalEvent& event) {
    if (event.kind == TerminalEvent::Mouse) return Click(event);
    if (event.kind != TerminalEvent::Key) return 0;
    if (event.IsEscape()) return CancelButton;
    focus_ = CycleFocus(event, focus_, kFocusCount);
    if (focus_ == List) {
        if (event.IsChar(' ')) model_.Tap(list_.Selected());
        if (event.IsEnter()) DoubleTap(list_.Selected());
        list_.HandleKey(event, model_.RowCount());
    } else if (focus_ == NameBox) {
        // Enter in the name box creates the folder named there.
        if (event.IsEnter()) return Press(CreateButton);
        nameBox_.Handle(event);
    } else if (event.IsEnter() || event.IsChar(' ')) {
        return Press(focus_);
    }
    return 0;
}

int TerminalFolderDialog::Click(const TerminalEvent& event) {
    if (event.wheel != 0) {
        list_.Scroll(event.wheel, model_.RowCount());
        return 0;
    }
    if (!event.click && !event.doubleClick) return 0;
    if (list_.Rect().Contains(event.y, event.x)) {
        focus_ = List;
        int row = list_.RowAt(event.y, event.x, model_.RowCount());
        if (row < 0) return 0;
        list_.Select(row, model_.RowCount());
        if (event.doubleClick) {
            DoubleTap(row);
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
        // The list is filled anew, with the new folder in it.
        if (model_.Refusal().empty()) list_.Reset();
        return 0;
    }
    return button == OkButton || button == CancelButton ? button : 0;
}

void TerminalFolderDialog::DoubleTap(int row) {
    model_.DoubleTap(row);
    if (model_.Refusal().empty()) list_.Reset();
}

void TerminalFolderDialog::Draw(TerminalScreen& screen) {
    const TerminalRect box = screen.DialogFrame(kWidth, kHeight, kCaption);
    int left = box.x + 2;
    int width = box.width - 4;

    // The path box is read-only: no caret, and its end (the folder itself) in view.
    screen.Text(box.y + 1, left, width, L"Output folder:");
    screen.Line(box.y + 2, left, width, FitTail(model_.PathBox(), width), TerminalScreen::Field);
    screen.Text(box.y + 3, left, width, L"New folder name:");
    std::wstring create = L"Create";
    int createWidth = CellWidth(create) + 4;
    nameBox_.Draw(screen, box.y + 4, left, width - createWidth - 2, focus_ == NameBox);
    buttons_[CreateButton] = screen.Button(box.y + 4, left + width - createWidth, create, focus_ == CreateButton);

    int typeX = left + width - kTypeColumn;
    int header = box.y + 6;
    // The list's header stands out while the list has the focus, selection or not.
    const TerminalScreen::Style headerStyle = focus_ == List ? TerminalScreen::Reverse : TerminalScreen::Bold;
    screen.Line(header, left, width, L"Name", headerStyle);
    screen.Text(header, typeX, kTypeColumn, L"Type", headerStyle);
    int count = model_.RowCount();
    list_.Place({header + 1, left, box.y + box.height - 4 - (header + 1), width}, count);
    for (int row = 0; row < list_.Rows() && list_.First() + row < count; ++row) {
        int index = list_.First() + row;
        TerminalScreen::Style style = index == list_.Selected() ? TerminalScreen::Reverse : TerminalScreen::Plain;
        int y = list_.Rect().y + row;
        screen.Line(y, left, width, FitText(model_.RowName(index), width - kTypeColumn - 1), style);
        screen.Text(y, typeX, kTypeColumn, model_.RowType(index), style);
    }
    if (list_.Selected() < 0 && focus_ == List) screen.PlaceCursor(list_.Rect().y, left);
    screen.ScrollBar(list_.Rect().y, box.x + box.width - 1, list_.Rows(), list_.First(), list_.Rows(), count);

    const bool refused = !model_.Refusal().empty();
    screen.Text(box.y + box.height - 4, left, width, refused || reason_ == nullptr ? model_.Refusal() : reason_,
                TerminalScreen::Bold);
    int buttonRow = box.y + box.height - 2;
    buttons_[OkButton] = screen.Button(buttonRow, left, L"OK", focus_ == OkButton);
    buttons_[CancelButton] = screen.Button(buttonRow, left + width - 10, L"Cancel", focus_ == CancelButton);
}
