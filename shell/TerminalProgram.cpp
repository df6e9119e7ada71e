#include "shell/TerminalProgram.h"

#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/PosixClock.h"
#include "shell/ConsoleObserver.h"
#include "shell/FrontEnd.h"
#include "shell/HostApplication.h"
#include "shell/InstanceLock.h"
#include "shell/TerminalEvents.h"
#include "shell/TerminalHeldErrors.h"
#include "shell/TerminalFileDialog.h"
#include "shell/TerminalFolderDialog.h"
#include "shell/TerminalMainScreen.h"
#include "shell/TerminalMessageBox.h"
#include "shell/TerminalScreen.h"
#include "shell/TickTimer.h"
#include "shell/resources/Resources.h"

namespace {

class TerminalProgram : public FrontEnd {
public:
    TerminalProgram(Application& app, const CommandLine& line, TextObserver* statusLog)
        : app_(app), line_(line), events_([this] { Tick(); }), main_(app, statusLog) {}

    int Run() {
        app_.dialog.SetObserver(&main_);
        app_.window.SetFrontEnd(this);
        app_.window.Create();
        HostApplication::ApplyCommandLine(line_);
        errors_.Hold();
        if (!screen_.Start()) {
            errors_.Release();
            app_.window.Teardown();
            fprintf(stderr, "kestrave: cannot drive this terminal (TERM=%s). Use kestrave log to log without a screen.\n",
                    getenv("TERM") != nullptr ? getenv("TERM") : "");
            return 2;
        }
        screen_.Push(&main_);
        app_.window.Activate();
        for (;;) {
            screen_.Redraw();
            TerminalEvent event = events_.Next();
            if (event.kind == TerminalEvent::Stop) break;
            int command = main_.Handle(event, screen_, events_);
            if (command != 0) app_.window.HandleCommand(command);
        }
        // Ctrl+C and the stop signals end here, with the same teardown as Exit.
        app_.window.Teardown();
        screen_.Stop();
        errors_.Release();
        printf("Kestrave stopped; the day files are in %s\n", HostApplication::OutputFolder().c_str());
        return 0;
    }

    void ShowAbout() override {
        TerminalMessageBox box(kAboutCaption, std::wstring(kAboutProduct) + L"\r\n\r\n" + kAboutText, {L"OK"});
        box.Run(screen_, events_, 0);
    }

    bool AskYesNo(const wchar_t* question, const wchar_t* caption) override {
        TerminalMessageBox box(caption, question, {L"Yes", L"No"});
        return box.Run(screen_, events_, 1) == 0;
    }

    bool ChooseNmeaFile(wchar_t* path, int chars) override {
        TerminalFileDialog dialog(fileFolder_);
        return dialog.Run(screen_, events_, path, chars);
    }

    void ShowFolderDialog() override {
        TerminalFolderDialog dialog(app_.folderDialog);
        dialog.Run(screen_, events_);
    }

    void Quit() override { events_.RequestStop(); }

private:
    void Tick() {
        bool first = app_.window.State() == MainWindow::TimerStarted;
        app_.window.Tick();
        // The first tick loads the stored output folder; --out still wins over it.
        if (first) HostApplication::ApplyCommandLine(line_);
    }

    Application& app_;
    const CommandLine& line_;
    TerminalScreen screen_;
    TerminalEvents events_;
    TerminalMainScreen main_;
    TerminalHeldErrors errors_;
    std::string fileFolder_;  // where the file dialog opens: the current folder, then the last one used
};

}  // namespace

int RunTerminal(const CommandLine& line) {
    InstanceLock lock;
    std::string lockPath = InstanceLock::DefaultPath();
    switch (lock.Acquire(lockPath)) {
        case InstanceLock::Result::Held:
            if (lock.Holder() > 0) {
                fprintf(stderr, "Kestrave is already running (process %ld)\n", static_cast<long>(lock.Holder()));
            } else {
                fprintf(stderr, "Kestrave is already running\n");
            }
            return 1;
        case InstanceLock::Result::Failed:
            fprintf(stderr, "kestrave: warning: %s; a second start would not be noticed.\n", lock.Error().c_str());
            break;
        case InstanceLock::Result::Acquired:
            if (!lock.Error().empty()) fprintf(stderr, "kestrave: warning: %s\n", lock.Error().c_str());
            break;
    }
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        fprintf(stderr, "kestrave: the terminal program needs a terminal; use kestrave log to log without one.\n");
        return 2;
    }
    FILE* statusLog = nullptr;
    if (!OpenStatusLog(line.statusLog, "ab", &statusLog)) return 2;
    static PosixClock clock;
    std::string error;
    if (!HostApplication::Start(line, clock, error)) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        return 2;
    }
    // Before the screen starts, so that ncurses leaves these signals to us.
    TickTimer::CatchStopSignals();
    // Only the character type: numbers keep the "C" formatting the files depend on.
    setlocale(LC_CTYPE, "");
    ConsoleObserver statusObserver(statusLog, false);
    TerminalProgram program(HostApplication::App(), line, statusLog != nullptr ? &statusObserver : nullptr);
    int code = program.Run();
    if (statusLog != nullptr) fclose(statusLog);
    return code;
}
