#include "terminal/TerminalProgram.h"

#include <cstdio>
#include <cstdlib>

#include "shell/resources/Resources.h"
#include "terminal/TerminalFileDialog.h"
#include "terminal/TerminalFolderDialog.h"
#include "terminal/TerminalMessageBox.h"

TerminalProgram::TerminalProgram(Application& app, FileSystem& files, TextObserver* statusLog, GpsdChoice* gpsd)
    : app_(app), files_(files), gpsd_(gpsd), events_([this] { app_.window.Tick(); }), main_(app, statusLog, gpsd) {}

int TerminalProgram::Run() {
    app_.dialog.SetObserver(&main_);
    app_.window.SetFrontEnd(this);
    errors_.Hold();
    if (!screen_.Start()) {
        errors_.Release();
        const char* term = getenv("TERM");
        fprintf(stderr, "kestrave: cannot drive this terminal (TERM=%s). Use kestrave log to log without a screen.\n",
                term != nullptr ? term : "");
        return 2;
    }
    screen_.Push(&main_);
    for (;;) {
        screen_.Redraw();
        TerminalEvent event = events_.Next();
        if (event.kind == TerminalEvent::Stop) break;
        int command = main_.Handle(event, screen_, events_);
        // gpsd is this host's own choice; a COM number (or None) takes its place again.
        if (gpsd_ != nullptr && command == GpsdChoice::kCommand) {
            gpsd_->Choose(true);
        } else if (command != 0) {
            if (gpsd_ != nullptr && gpsd_->Chosen() && command >= kCommandPortNone && command <= kCommandPortLast) {
                gpsd_->Choose(false);
            }
            app_.window.HandleCommand(command);
        }
    }
    // Ctrl+C and the stop signals end here, with the same teardown as Exit, while the
    // screen still shows what it says.
    app_.window.Teardown();
    screen_.Stop();
    errors_.Release();
    return 0;
}

void TerminalProgram::ShowAbout() {
    TerminalMessageBox box(kAboutCaption, std::wstring(kAboutProduct) + L"\r\n\r\n" + kAboutText, {L"OK"});
    box.Run(screen_, events_, 0);
}

bool TerminalProgram::AskYesNo(const wchar_t* question, const wchar_t* caption) {
    TerminalMessageBox box(caption, question, {L"Yes", L"No"});
    return box.Run(screen_, events_, 1) == 0;
}

bool TerminalProgram::ChooseNmeaFile(wchar_t* path, int chars) {
    TerminalFileDialog dialog(files_, fileFolder_);
    return dialog.Run(screen_, events_, path, chars);
}

void TerminalProgram::ShowFolderDialog() {
    TerminalFolderDialog dialog(app_.folderDialog, app_.window.FolderReason());
    dialog.Run(screen_, events_);
}
