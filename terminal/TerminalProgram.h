#pragma once
#include <string>
#include "platform/FileSystem.h"
#include "shell/Application.h"
#include "shell/FrontEnd.h"
#include "terminal/TerminalEvents.h"
#include "terminal/TerminalHeldErrors.h"
#include "terminal/TerminalMainScreen.h"
#include "terminal/TerminalScreen.h"

// The main window in a full-screen terminal: draws the window logic's state, turns
// keys and clicks into its commands, and shows its dialogs.
class TerminalProgram : public FrontEnd {
public:
    // statusLog, when there is one, hears every status text too. files is the
    // application's, through which the file dialog browses. gpsd, when not null, is
    // offered in the port menu.
    TerminalProgram(Application& app, FileSystem& files, TextObserver* statusLog, GpsdChoice* gpsd = nullptr);

    // From the first tick to the teardown, once the window exists and its timer runs.
    // Returns the exit code: 0, or 2 when this terminal cannot be driven.
    int Run();

    void ShowAbout() override;
    bool AskYesNo(const wchar_t* question, const wchar_t* caption) override;
    bool ChooseNmeaFile(wchar_t* path, int chars) override;
    void ShowFolderDialog() override;
    void Quit() override { events_.RequestStop(); }

private:
    Application& app_;
    FileSystem& files_;
    GpsdChoice* gpsd_;
    TerminalScreen screen_;
    TerminalEvents events_;
    TerminalMainScreen main_;
    TerminalHeldErrors errors_;
    std::string fileFolder_;  // where the file dialog opens: the current folder, then the last one used
};
