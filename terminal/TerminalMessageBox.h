#pragma once
#include <string>
#include <vector>
#include "terminal/TerminalEvents.h"
#include "terminal/TerminalScreen.h"

// A small modal box in the middle of the screen: a caption, some text and a row of
// buttons (the About box, the Exit question).
class TerminalMessageBox : public TerminalLayer {
public:
    TerminalMessageBox(std::wstring caption, std::wstring text, std::vector<std::wstring> buttons);

    // The index of the button chosen; cancelChoice on Esc or when the program stops.
    int Run(TerminalScreen& screen, TerminalEvents& events, int cancelChoice);
    void Draw(TerminalScreen& screen) override;

private:
    int Chosen(const TerminalEvent& event);

    std::wstring caption_;
    std::wstring text_;
    std::vector<std::wstring> buttons_;
    std::vector<TerminalRect> buttonRects_;
    int focus_ = 0;
};
