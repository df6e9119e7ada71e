#pragma once
#include <string>
#include <vector>
#include "input/SerialPort.h"
#include "shell/MainWindow.h"
#include "shell/GpsdChoice.h"
#include "terminal/TerminalEvents.h"
#include "terminal/TerminalScreen.h"

// The "Tools" popup and its two sub-menus, dropped down from the menu bar button.
// The radio marks come from the window each time the menu is drawn; each opening of
// the port sub-menu asks the port what every number leads to now, and offers gpsd
// when one answers.
class TerminalMenu : public TerminalLayer {
public:
    // top and left: the cell just below the menu bar button.
    // gpsd may be null: no such choice.
    TerminalMenu(const MainWindow& window, const SerialPort& port, GpsdChoice* gpsd, int top, int left);

    // The command chosen, or 0 when the menu was closed without one.
    int Run(TerminalScreen& screen, TerminalEvents& events);
    void Draw(TerminalScreen& screen) override;

private:
    // One popup: entries of the resource table, by index.
    struct Popup {
        std::vector<int> items;
        std::vector<std::wstring> texts;  // as shown, one per item
        int selected = 0;
        int first = 0;  // first row shown, when the screen is too short for all
        TerminalRect rect;
    };

    // 0: keep going; -1: close without a command; otherwise the command.
    int Handle(const TerminalEvent& event);
    int Activate();
    int Marked(int item) const;
    int Click(const TerminalEvent& event);
    void OpenSubMenu();
    void Move(Popup& popup, int step);
    void Place(TerminalScreen& screen, Popup& popup, int top, int left);
    void DrawPopup(TerminalScreen& screen, const Popup& popup);

    const MainWindow& window_;
    const SerialPort& port_;
    GpsdChoice* gpsd_;
    int top_;
    int left_;
    Popup main_;
    Popup sub_;
    bool subOpen_ = false;
};
