#pragma once
#include <windows.h>

#include "shell/RecordingState.h"
#include "shell/StatusDialog.h"

// Status dialog 104 as a real child dialog of the main window: the status box 1001,
// the log box 1002 and the Flush button. Every text the program writes reaches the
// brain's StatusDialog first; this pane mirrors it into the edit controls.
class StatusPane : public TextObserver {
public:
    explicit StatusPane(StatusDialog& dialog) : dialog_(dialog) {}

    // False when the dialog could not be made; the program then runs on without a text sink.
    bool Create(HINSTANCE instance, HWND parent);
    void Destroy();
    // The size the template asks for, in pixels.
    SIZE NaturalSize() const { return naturalSize_; }
    void Fill(int width, int height);

    void OnText(int control, const wchar_t* text, bool replaced) override;
    // The recording state in its line above the status box, coloured by its level.
    void ShowState(const wchar_t* line, RecordingState::Level level);

private:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // Adds at the end of the control as the brain's box does, so text the user typed
    // stays until the box is cleared; falls back to the brain's whole text when the
    // control refused the text.
    void Append(HWND box, int control, const wchar_t* text);
    void ShowWhole(HWND box, int control);

    StatusDialog& dialog_;
    HWND window_ = nullptr;
    SIZE naturalSize_ = {0, 0};
    RecordingState::Level level_ = RecordingState::Level::Good;
};
