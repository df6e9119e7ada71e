#include "terminal/TerminalFileDialog.h"

#include <curses.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "platform/posix/services/ConfigDir.h"
#include "platform/posix/services/HostPaths.h"
#include "shell/WideStrings.h"
#include "terminal/TerminalText.h"

namespace {

constexpr const wchar_t* kCaption = L"Open";
constexpr int kWidth = 76;
constexpr int kHeight = 24;

}  // namespace

bool TerminalFileDialog::Run(TerminalScreen& screen, TerminalEvents& events, wchar_t* path, int chars) {
    model_.Open(ToWide(folder_), ToWide(HomeFolder()), ToWide(CurrentHostFolder()), chars);
    list_.Reset();
    ScopedLayer layer(screen, this);
    int result = 0;
    while (result == 0) {
        screen.Redraw();
        TerminalEvent event = events.Next();
        result = event.kind == TerminalEvent::Stop ? -1 : Handle(event);
    }
    // The next opening starts where this one ended.
    folder_ = ToUtf8(model_.Folder());
    if (result < 0) return false;
    swprintf(path, static_cast<size_t>(chars), L"%ls", model_.Chosen().c_str());
    return true;
}

int TerminalFileDialog::Handle(const TerminalEvent& event) {
    if (event.kind == TerminalEvent::Mouse) return Click(event);
    if (event.kind != TerminalEvent::Key) return 0;
    if (event.IsEscape()) return -1;
    model_.ClearMessage();
    focus_ = CycleFocus(event, focus_, kFocusCount);
    // Typing in the list starts a new file name.
    if (focus_ == List && !event.function && !event.alt && event.key != ' ' && std::iswprint(static_cast<wint_t>(event.key))) {
        focus_ = NameBox;
        name_.clear();
    }
    switch (focus_) {
        case List:
            if (event.IsEnter()) return OpenSelected();
            if (list_.HandleKey(event, Count())) TakeSelectedName();
            return 0;
        case NameBox:
            if (event.IsEnter()) return OpenTyped();
            nameBox_.Handle(event);
            return 0;
        case TypeBox:
            if (event.IsEnter() || event.IsChar(' ') || event.IsKey(KEY_LEFT) || event.IsKey(KEY_RIGHT)) NextFilter();
            return 0;
        default:
            if (!event.IsEnter() && !event.IsChar(' ')) return 0;
            return focus_ == OpenButton ? OpenTyped() : -1;
    }
}

int TerminalFileDialog::Click(const TerminalEvent& event) {
    if (event.wheel != 0) {
        list_.Scroll(event.wheel, Count());
        return 0;
    }
    if (!event.click && !event.doubleClick) return 0;
    if (list_.Rect().Contains(event.y, event.x)) {
        focus_ = List;
        int row = list_.RowAt(event.y, event.x, Count());
        if (row < 0) return 0;
        list_.Select(row, Count());
        TakeSelectedName();
        return event.doubleClick ? OpenSelected() : 0;
    }
    if (nameBox_.rect.Contains(event.y, event.x)) focus_ = NameBox;
    if (type_.Contains(event.y, event.x)) {
        focus_ = TypeBox;
        NextFilter();
    }
    if (buttons_[OpenButton].Contains(event.y, event.x)) return OpenTyped();
    if (buttons_[CancelButton].Contains(event.y, event.x)) return -1;
    return 0;
}

int TerminalFileDialog::OpenSelected() {
    if (list_.Selected() < 0) return OpenTyped();
    return Follow(model_.OpenRow(list_.Selected()));
}

int TerminalFileDialog::OpenTyped() {
    if (name_.empty()) return list_.Selected() >= 0 ? OpenSelected() : 0;
    OpenFileDialog::Step step = model_.OpenTyped(name_);
    if (step == OpenFileDialog::Step::Entered) name_.clear();
    return Follow(step);
}

int TerminalFileDialog::Follow(OpenFileDialog::Step step) {
    if (step == OpenFileDialog::Step::Entered) list_.Reset();
    return step == OpenFileDialog::Step::Chosen ? 1 : 0;
}

void TerminalFileDialog::TakeSelectedName() {
    if (list_.Selected() < 0) return;
    const OpenFileDialog::Row& row = model_.RowAt(list_.Selected());
    if (row.folder) return;
    name_ = row.name;
    nameBox_.MoveToEnd();
}

void TerminalFileDialog::NextFilter() {
    model_.NextFilter();
    list_.Reset();
}

void TerminalFileDialog::Draw(TerminalScreen& screen) {
    const TerminalRect box = screen.DialogFrame(kWidth, kHeight, kCaption);
    int left = box.x + 2;
    int width = box.width - 4;
    int bottom = box.y + box.height - 1;

    std::wstring lookIn = L"Look in: ";
    int used = screen.Text(box.y + 1, left, width, lookIn);
    screen.Text(box.y + 1, left + used, width - used, FitTail(model_.Folder(), width - used), TerminalScreen::Bold);

    list_.Place({box.y + 2, left, bottom - 5 - (box.y + 2), width}, Count());
    for (int row = 0; row < list_.Rows() && list_.First() + row < Count(); ++row) {
        int index = list_.First() + row;
        const OpenFileDialog::Row& entry = model_.RowAt(index);
        std::wstring text = entry.name + (entry.folder ? L"/" : L"");
        screen.Line(list_.Rect().y + row, left, width, text,
                    index == list_.Selected() ? TerminalScreen::Reverse : TerminalScreen::Plain);
    }
    if (list_.Selected() < 0 && focus_ == List) screen.PlaceCursor(list_.Rect().y, left);
    screen.ScrollBar(list_.Rect().y, box.x + box.width - 1, list_.Rows(), list_.First(), list_.Rows(), Count());

    screen.Text(bottom - 4, left, width, model_.Message(), TerminalScreen::Bold);
    const std::wstring labels[2] = {L"File name:     ", L"Files of type: "};
    int labelWidth = CellWidth(labels[0]);
    screen.Text(bottom - 3, left, width, labels[0]);
    nameBox_.Draw(screen, bottom - 3, left + labelWidth, width - labelWidth, focus_ == NameBox);
    screen.Text(bottom - 2, left, width, labels[1]);
    type_ = {bottom - 2, left + labelWidth, 1,
             screen.Text(bottom - 2, left + labelWidth, width - labelWidth,
                         std::wstring(L"< ") + model_.FilterName() + L" >",
                         focus_ == TypeBox ? TerminalScreen::Reverse : TerminalScreen::Plain)};
    buttons_[OpenButton] = screen.Button(bottom - 1, left + width - 22, L"Open", focus_ == OpenButton);
    buttons_[CancelButton] = screen.Button(bottom - 1, left + width - 10, L"Cancel", focus_ == CancelButton);
}
