#include "shell/MainWindow.h"

#include <cwchar>

MainWindow::MainWindow(FileSystem& files, KeepAwake& keepAwake, TickFlags& flags, TextBoxes& boxes,
                       MessageCounter& messageCounter, TrackWriter& track, RouteWriter& route,
                       InputPoller& poller)
    : files_(files),
      keepAwake_(keepAwake),
      flags_(flags),
      boxes_(boxes),
      messageCounter_(messageCounter),
      track_(track),
      route_(route),
      poller_(poller) {}

void MainWindow::Tick() {
    if (closing_) return;
    if (tickCount_ % kIdleResetEveryTicks == 0) keepAwake_.ResetIdleTimer();
    ++tickCount_;
    if (flags_.flushRequested) {
        flags_.flushRequested = 0;
        track_.Flush();
        route_.Flush();
    }
    poller_.Poll();
    if (++flags_.noDataTicks > kNoDataAfterTicks) {
        flags_.noDataTicks = 0;
        boxes_.SetText(kStatusBox, L"No data \r\n");
    }
}

bool MainWindow::OpenNmeaFile(const wchar_t* path) {
    boxes_.AppendText(kLogBox, path);
    boxes_.AppendText(kLogBox, L"\r\n");
    FileHandle file = files_.OpenExisting(path);
    if (file == kInvalidFile) {
        wchar_t message[64];
        swprintf(message, sizeof message / sizeof message[0], L"(%u) File Open Error: %u \r\n",
                 messageCounter_.Next(), files_.LastError());
        boxes_.AppendText(kLogBox, message);
        return false;
    }
    // The lines of earlier input go to disk before the first byte of the file is read.
    flags_.flushRequested = 1;
    poller_.StartReplay(file);
    return true;
}

void MainWindow::Teardown() {
    closing_ = 1;
    flags_.flushRequested = 0;
    track_.Flush();
    route_.Flush();
    poller_.CloseReplay();
}
