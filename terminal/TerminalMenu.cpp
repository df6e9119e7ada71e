#include "terminal/TerminalMenu.h"

#include <curses.h>

#include <algorithm>

#include "terminal/TerminalText.h"
#include "shell/resources/Resources.h"

namespace {

constexpr int kClose = -1;
constexpr int kDeviceTextChars = 256;  // a long by-id description or link target is cut
// The gpsd entry of the port sub-menu, which the resource table does not have.
constexpr int kGpsdItem = -1;

bool IsSeparator(int item) { return item != kGpsdItem && kToolsMenu[item].text == nullptr; }
bool IsSubMenu(int item) {
    return item != kGpsdItem && kToolsMenu[item].text != nullptr && kToolsMenu[item].command == 0;
}
int CommandOf(int item) { return item == kGpsdItem ? GpsdChoice::kCommand : kToolsMenu[item].command; }
bool IsComPort(int item) { return CommandOf(item) >= kCommandPortFirst && CommandOf(item) <= kCommandPortLast; }

}  // namespace

TerminalMenu::TerminalMenu(const MainWindow& window, const SerialPort& port, GpsdChoice* gpsd, int top, int left)
    : window_(window), port_(port), gpsd_(gpsd), top_(top), left_(left) {
    for (int i = 0; i < kToolsMenuCount; ++i) {
        if (kToolsMenu[i].subItem) continue;
        main_.items.push_back(i);
        main_.texts.push_back(IsSeparator(i) ? L"" : kToolsMenu[i].text);
    }
}

int TerminalMenu::Run(TerminalScreen& screen, TerminalEvents& events) {
    ScopedLayer layer(screen, this);
    for (;;) {
        screen.Redraw();
        TerminalEvent event = events.Next();
        if (event.kind == TerminalEvent::Stop) return 0;
        int result = Handle(event);
        if (result == kClose) return 0;
        if (result != 0) return result;
    }
}

int TerminalMenu::Handle(const TerminalEvent& event) {
    if (event.kind == TerminalEvent::Mouse) return Click(event);
    Popup& active = subOpen_ ? sub_ : main_;
    if (event.IsKey(KEY_F(10)) || (event.alt && (event.key == 't' || event.key == 'T'))) return kClose;
    if (event.IsEscape() || event.IsKey(KEY_LEFT)) {
        if (!subOpen_) return event.IsEscape() ? kClose : 0;
        subOpen_ = false;
    } else if (event.IsKey(KEY_UP)) {
        Move(active, -1);
    } else if (event.IsKey(KEY_DOWN)) {
        Move(active, 1);
    } else if (event.IsKey(KEY_HOME)) {
        active.selected = static_cast<int>(active.items.size()) - 1;
        Move(active, 1);
    } else if (event.IsKey(KEY_END)) {
        active.selected = 0;
        Move(active, -1);
    } else if (event.IsKey(KEY_RIGHT)) {
        if (!subOpen_ && IsSubMenu(main_.items[main_.selected])) OpenSubMenu();
    } else if (event.IsEnter() || event.IsChar(' ')) {
        return Activate();
    }
    return 0;
}

// Enter on the selected entry: a sub-menu opens, an item gives its command.
int TerminalMenu::Activate() {
    const Popup& active = subOpen_ ? sub_ : main_;
    int item = active.items[active.selected];
    if (IsSubMenu(item)) {
        OpenSubMenu();
        return 0;
    }
    return CommandOf(item);
}

// The radio mark: gpsd, once chosen, stands for every port number.
int TerminalMenu::Marked(int item) const {
    const int command = CommandOf(item);
    if (gpsd_ != nullptr && gpsd_->Chosen() && (IsComPort(item) || command == GpsdChoice::kCommand)) {
        return command == GpsdChoice::kCommand;
    }
    return command != 0 && (command == window_.MarkedPortCommand() || command == window_.MarkedSpeedCommand() ||
                            window_.Checked(command));
}

int TerminalMenu::Click(const TerminalEvent& event) {
    if (event.wheel != 0) {
        Move(subOpen_ ? sub_ : main_, event.wheel);
        return 0;
    }
    if (!event.click && !event.doubleClick) return 0;
    for (Popup* popup : {&sub_, &main_}) {
        if (popup == &sub_ && !subOpen_) continue;
        const TerminalRect& rect = popup->rect;
        if (!rect.Contains(event.y, event.x)) continue;
        int row = popup->first + event.y - rect.y - 1;
        if (row < popup->first || row >= static_cast<int>(popup->items.size()) || IsSeparator(popup->items[row])) {
            return 0;
        }
        popup->selected = row;
        if (popup == &main_) subOpen_ = false;
        return Activate();
    }
    return kClose;
}

void TerminalMenu::OpenSubMenu() {
    int parent = main_.items[main_.selected];
    sub_.items.clear();
    sub_.texts.clear();
    int nameWidth = 0;
    for (int i = parent + 1; i < kToolsMenuCount && kToolsMenu[i].subItem; ++i) {
        sub_.items.push_back(i);
        if (IsComPort(i)) nameWidth = std::max(nameWidth, CellWidth(kToolsMenu[i].text));
    }
    if (nameWidth > 0 && gpsd_ != nullptr && gpsd_->Offered()) sub_.items.push_back(kGpsdItem);
    // "COM1   u-blox GNSS receiver (ttyACM0)": the devices in a column after the names.
    for (int item : sub_.items) {
        std::wstring text = item == kGpsdItem ? kGpsdMenuText : kToolsMenu[item].text;
        if (IsComPort(item)) {
            wchar_t device[kDeviceTextChars];
            const int32_t number = kToolsMenu[item].command - kCommandPortFirst;
            if (gpsd_ != nullptr && gpsd_->Chosen()) {
                gpsd_->DescribePort(number, device, kDeviceTextChars);
            } else {
                port_.Describe(number, device, kDeviceTextChars);
            }
            text += std::wstring(static_cast<size_t>(nameWidth - CellWidth(text) + 2), L' ') + device;
        }
        sub_.texts.push_back(text);
    }
    sub_.selected = 0;
    sub_.first = 0;
    for (size_t row = 0; row < sub_.items.size(); ++row) {
        if (Marked(sub_.items[row])) sub_.selected = static_cast<int>(row);
    }
    subOpen_ = !sub_.items.empty();
}

// Moves the selection over the separators, round the ends.
void TerminalMenu::Move(Popup& popup, int step) {
    int count = static_cast<int>(popup.items.size());
    for (int i = 0; i < count; ++i) {
        popup.selected = (popup.selected + step + count) % count;
        if (!IsSeparator(popup.items[popup.selected])) return;
    }
}

void TerminalMenu::Draw(TerminalScreen& screen) {
    Place(screen, main_, top_, left_);
    DrawPopup(screen, main_);
    if (!subOpen_) return;
    int parentRow = main_.rect.y + 1 + main_.selected - main_.first;
    Place(screen, sub_, parentRow - 1, main_.rect.x + main_.rect.width - 1);
    DrawPopup(screen, sub_);
}

// Sizes the popup to its texts and keeps it, and its selection, on the screen.
void TerminalMenu::Place(TerminalScreen& screen, Popup& popup, int top, int left) {
    int textWidth = 0;
    for (const std::wstring& text : popup.texts) textWidth = std::max(textWidth, CellWidth(text));
    TerminalRect& rect = popup.rect;
    rect.width = std::min(textWidth + 8, screen.Columns());
    rect.height = std::min(static_cast<int>(popup.items.size()) + 2, screen.Rows());
    rect.x = std::max(0, std::min(left, screen.Columns() - rect.width));
    rect.y = std::max(0, std::min(top, screen.Rows() - rect.height));
    int visible = std::max(1, rect.height - 2);
    popup.first = std::min(popup.first, std::max(0, static_cast<int>(popup.items.size()) - visible));
    if (popup.selected < popup.first) popup.first = popup.selected;
    if (popup.selected >= popup.first + visible) popup.first = popup.selected - visible + 1;
}

void TerminalMenu::DrawPopup(TerminalScreen& screen, const Popup& popup) {
    const TerminalRect& rect = popup.rect;
    screen.Frame(rect, L"");
    int visible = rect.height - 2;
    for (int row = 0; row < visible && popup.first + row < static_cast<int>(popup.items.size()); ++row) {
        int index = popup.first + row;
        int item = popup.items[index];
        int y = rect.y + 1 + row;
        if (IsSeparator(item)) {
            screen.Separator(y, rect.x, rect.width);
            continue;
        }
        bool selected = index == popup.selected;
        screen.Line(y, rect.x + 1, rect.width - 2, L"   " + popup.texts[index],
                    selected ? TerminalScreen::Reverse : TerminalScreen::Plain);
        if (Marked(item)) screen.Mark(y, rect.x + 2, true, selected);
        if (IsSubMenu(item)) screen.Mark(y, rect.x + rect.width - 3, false, selected);
    }
}
