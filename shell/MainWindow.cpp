#include "shell/MainWindow.h"

#include <cwchar>

#include "shell/CaselessNames.h"
#include "shell/resources/Resources.h"

MainWindow::MainWindow(FileSystem& files, KeepAwake& keepAwake, TickFlags& flags, TextBoxes& boxes,
                       MessageCounter& messageCounter, TrackWriter& track, RouteWriter& route,
                       InputPoller& poller, SerialPort& port, Settings& settings)
    : files_(files),
      keepAwake_(keepAwake),
      flags_(flags),
      boxes_(boxes),
      messageCounter_(messageCounter),
      track_(track),
      route_(route),
      poller_(poller),
      port_(port),
      settings_(settings) {}

void MainWindow::Create() {
    settings_.LoadPort();
    if (settings_.PortProblem()[0] != L'\0') boxes_.AppendText(kLogBox, settings_.PortProblem());
    settings_.LoadTalkers();
    settings_.LoadGpx();
    if (state_ != nullptr) state_->SetWarnAfter(settings_.LoadWarnAfter());
}

bool MainWindow::Activate() {
    if (startupState_ != NotStarted) return false;
    startupState_ = TimerStarted;
    return true;
}

void MainWindow::Tick() {
    if (closing_) return;
    if (startupState_ == TimerStarted) {
        // Running first, so that ticks arriving while the folder dialog is open are regular ones.
        startupState_ = Running;
        const int loaded = settings_.LoadOutputDir();
        if (loaded == Settings::kOutputDirUnsafe) {
            // Else the files would go to the writers' folder without a word of why.
            wchar_t folder[kFolderChars];
            track_.GetFolder(folder);
            wchar_t message[Settings::kLoadChars + kFolderChars + 256];
            swprintf(message, sizeof message / sizeof message[0],
                     L"The stored output folder %ls; using %ls. Choose another with Tools > Select Output folder.\r\n",
                     settings_.OutputDirProblem(), folder);
            boxes_.AppendText(kLogBox, message);
        }
        if (loaded != Settings::kOutputDirLoaded && frontEnd_ != nullptr) {
            folderReason_ = loaded == Settings::kNoKey || loaded == Settings::kOutputDirUnreadable ? kFolderAskedFirst
                                                                                        : kFolderAskedAgain;
            frontEnd_->ShowFolderDialog();
            folderReason_ = nullptr;
        }
        return;
    }
    if (tickCount_ % kIdleResetEveryTicks == 0) keepAwake_.ResetIdleTimer();
    ++tickCount_;
    if (flags_.flushRequested) {
        flags_.flushRequested = false;
        track_.Flush();
        route_.Flush();
    }
    const bool replaying = poller_.Replaying();
    // A live receiver's date is today's, so one 1024 weeks back is a rollover; a
    // recording may really be old.
    if (processor_ != nullptr) {
        processor_->Rollover().SetRule(!replaying              ? WeekRollover::Rule::NearToday
                           : fixReplayRollover_    ? WeekRollover::Rule::Any
                                                   : WeekRollover::Rule::Keep);
    }
    poller_.Poll();
    if (replaying && !poller_.Replaying()) SayWhenNotNmea();
    if (++flags_.noDataTicks > kNoDataAfterTicks) {
        flags_.noDataTicks = 0;
        boxes_.SetText(kStatusBox, L"No data \r\n");
    }
    if (state_ != nullptr) state_->Tick();
}

bool MainWindow::OpenNmeaFile(const wchar_t* path) {
    boxes_.AppendText(kLogBox, path);
    boxes_.AppendText(kLogBox, L"\r\n");
    FileHandle file = files_.OpenExisting(path);
    if (file == kInvalidFile) {
        ++fileErrors_;
        wchar_t message[64];
        swprintf(message, sizeof message / sizeof message[0], L"(%u) File Open Error: %u \r\n",
                 messageCounter_.Next(), files_.LastError());
        boxes_.AppendText(kLogBox, message);
        return false;
    }
    // The lines of earlier input go to disk before the first byte of the file is read.
    flags_.flushRequested = true;
    if (processor_ != nullptr) fixesAtReplayStart_ = processor_->Fixes();
    poller_.StartReplay(file, path);
    return true;
}

namespace {

// GPSBabel's output name for a file to convert: its name with ".gpx" replaced by
// ".nmea", else with ".nmea" added, so that it never names the input itself.
void ConvertedName(const wchar_t* path, wchar_t* out, size_t room) {
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p != L'\0'; ++p) {
        if (*p == L'/' || *p == L'\\') name = p + 1;
    }
    const wchar_t* dot = wcsrchr(name, L'.');
    const bool gpx = dot != nullptr && wcslen(dot) == 4 && CaselessEndsWith(dot, L".gpx");
    const int keep = gpx ? static_cast<int>(dot - path) : static_cast<int>(wcslen(path));
    swprintf(out, room, L"%.*ls.nmea", keep, path);
}

}  // namespace

// In place of "File processed", a file that gave no sentence is named with what to do,
// and counts as a file error: it would otherwise pass for a replay that found nothing
// to write.
void MainWindow::SayWhenNotNmea() {
    const InputPoller::Content content = poller_.LastReplayContent();
    if (content == InputPoller::Content::Cut) return;
    if (content == InputPoller::Content::Nmea) {
        // Not a mistake: a receiver that never saw the sky still sends its sentences.
        if (processor_ != nullptr && processor_->Fixes() == fixesAtReplayStart_) {
            static wchar_t said[kDisplayPathChars + 128];
            swprintf(said, sizeof said / sizeof said[0],
                     L"%ls holds NMEA sentences but no fix: the receiver had none, so there is nothing to "
                     L"record.\r\n",
                     poller_.ReplayPath());
            boxes_.AppendText(kLogBox, said);
        }
        return;
    }
    ++fileErrors_;
    const wchar_t* path = poller_.ReplayPath();
    static wchar_t message[2 * kDisplayPathChars + 256];
    const size_t room = sizeof message / sizeof message[0];
    if (content == InputPoller::Content::Empty) {
        swprintf(message, room, L"%ls is empty.\r\n", path);
    } else if (content == InputPoller::Content::Compressed) {
        swprintf(message, room, L"%ls is compressed: unpack it first (gunzip).\r\n", path);
    } else {
        wchar_t converted[kDisplayPathChars + 8];
        ConvertedName(path, converted, sizeof converted / sizeof converted[0]);
        swprintf(message, room,
                 L"no NMEA sentence found in %ls: Kestrave reads NMEA 0183 recordings; convert GPX first, e.g. with "
                 L"GPSBabel (gpsbabel -i gpx -f %ls -o nmea -F %ls).\r\n",
                 path, path, converted);
    }
    boxes_.AppendText(kLogBox, message);
}

void MainWindow::HandleCommand(int command) {
    if (command >= kCommandPortNone && command <= kCommandPortLast) {
        port_.SelectPort(command == kCommandPortNone ? SerialPort::kNoPort : command - kCommandPortFirst);
        return;
    }
    if (command >= kCommandSpeedFirst && command <= kCommandSpeedLast) {
        port_.SelectSpeed(kMenuSpeeds[command - kCommandSpeedFirst]);
        return;
    }
    switch (command) {
        case kCommandCloseNow:
            Teardown();
            if (frontEnd_ != nullptr) frontEnd_->Quit();
            break;
        case kCommandAbout:
            if (frontEnd_ != nullptr) frontEnd_->ShowAbout();
            break;
        case kCommandExit:
            Exit();
            break;
        case kCommandReadNmeaFile:
            ReadNmeaFile();
            break;
        case kCommandSelectOutputFolder:
            if (frontEnd_ != nullptr) frontEnd_->ShowFolderDialog();
            break;
        case kCommandWriteGpx:
            settings_.SaveGpx(!track_.GpxOn());
            break;
        default:
            break;
    }
}

// The port choice is stored before the question, so it is kept even on No.
void MainWindow::Exit() {
    settings_.SavePort();
    if (frontEnd_ == nullptr || !frontEnd_->AskYesNo(kExitQuestion, kExitCaption)) return;
    Teardown();
    frontEnd_->Quit();
}

void MainWindow::ReadNmeaFile() {
    wchar_t path[kNmeaPathChars] = {};
    if (frontEnd_ == nullptr || !frontEnd_->ChooseNmeaFile(path, kNmeaPathChars)) return;
    OpenNmeaFile(path);
}

bool MainWindow::Checked(int command) const { return command == kCommandWriteGpx && track_.GpxOn(); }

int MainWindow::MarkedPortCommand() const {
    if (port_.portNumber == SerialPort::kNoPort) return kCommandPortNone;
    if (port_.portNumber >= 0 && port_.portNumber <= kCommandPortLast - kCommandPortFirst) {
        return kCommandPortFirst + port_.portNumber;
    }
    return 0;
}

int MainWindow::MarkedSpeedCommand() const {
    for (int i = 0; i < kMenuSpeedCount; ++i) {
        if (kMenuSpeeds[i] == port_.portSpeed) return kCommandSpeedFirst + i;
    }
    return 0;
}

void MainWindow::Teardown() {
    if (closing_) return;
    closing_ = true;
    flags_.flushRequested = false;
    track_.FlushToDisk();
    route_.FlushToDisk();
    port_.Close();
    poller_.CloseReplay();
}
