#include "input/InputPoller.h"

#include <cwchar>

InputPoller::InputPoller(FileSystem& files, Clock& clock, SerialPort& port, SentenceAssembler& assembler,
                         TrackWriter& track, RouteWriter& route, TextBoxes& boxes)
    : files_(files),
      clock_(clock),
      port_(port),
      assembler_(assembler),
      track_(track),
      route_(route),
      boxes_(boxes) {}

// A replay takes the tick whole; the port is neither read nor closed meanwhile.
void InputPoller::Poll() {
    if (replayFile != kInvalidFile) {
        PollReplayFile();
    } else {
        PollSerialPort();
    }
}

void InputPoller::Feed(uint32_t count) {
    assembler_.Feed(chunk_, count);
}

void InputPoller::StartReplay(FileHandle file, const wchar_t* path) {
    CloseReplay();
    replayFile = file;
    replayedBytes_ = 0;
    sentencesAtStart_ = assembler_.Sentences();
    lastContent_ = Content::Nmea;
    files_.DisplayPath(path, replayPath_, kDisplayPathChars);
}

void InputPoller::CloseReplay() {
    if (replayFile == kInvalidFile) return;
    // Only read from: its close loses nothing.
    static_cast<void>(files_.Close(replayFile));
    replayFile = kInvalidFile;
}

// Reads 1 KiB chunks until the file ends, half a second has gone, or 1000 chunks
// are done; the next tick goes on where this one stopped.
void InputPoller::PollReplayFile() {
    uint32_t start = clock_.TickMs();
    for (int chunks = 0; chunks < kMaxChunksPerTick; ++chunks) {
        uint32_t count = 0;
        if (!files_.Read(replayFile, chunk_, kChunkBytes, &count)) {
            // A stop request cut a wait short: the run ends at this tick, the file is fine.
            if (!files_.ReadStopped()) StopOnReadError();
            return;
        }
        if (count == 0) {
            EndReplay();
            return;
        }
        if (replayedBytes_ == 0) {
            firstBytes_[0] = chunk_[0];
            firstBytes_[1] = count > 1 ? chunk_[1] : 0;
        }
        Feed(count);
        replayedBytes_ += count;
        if (static_cast<uint32_t>(clock_.TickMs() - start) > kBudgetMs) return;
    }
}

// A file that held no recording is named for what it is instead, by the window.
void InputPoller::EndReplay() {
    FinishReplay();
    lastContent_ = ReplayedContent();
    if (lastContent_ == Content::Nmea) boxes_.AppendText(kLogBox, L"File processed\r\n");
}

// A gzip file is told by its magic bytes, which no NMEA text begins with; it may hold
// a "$GP" line by chance. A recording of valid NMEA without a fix has sentences.
InputPoller::Content InputPoller::ReplayedContent() const {
    if (replayedBytes_ == 0) return Content::Empty;
    if (replayedBytes_ >= 2 && firstBytes_[0] == 0x1f && firstBytes_[1] == 0x8b) return Content::Compressed;
    return assembler_.Sentences() == sentencesAtStart_ ? Content::NotNmea : Content::Nmea;
}

// Keeps what was read and says why the rest is missing, in place of "File processed",
// so that a cut-off file is never taken for a whole one.
void InputPoller::StopOnReadError() {
    const uint32_t error = files_.LastError();
    ++readErrors_;
    FinishReplay();
    lastContent_ = Content::Cut;
    wchar_t reason[128];
    files_.DescribeError(error, reason, sizeof reason / sizeof reason[0]);
    wchar_t message[kDisplayPathChars + 256];
    swprintf(message, sizeof message / sizeof message[0],
             L"Cannot read %ls after %llu bytes: %ls. The rest of it was not replayed; check the disk it is on.\r\n",
             replayPath_, static_cast<unsigned long long>(replayedBytes_), reason);
    boxes_.AppendText(kLogBox, message);
}

// The lines of the file go to disk as soon as it ends, however it ends.
void InputPoller::FinishReplay() {
    static_cast<void>(files_.Close(replayFile));
    track_.Flush();
    route_.Flush();
    replayFile = kInvalidFile;
}

// Opens the port when it is closed (again on every tick while that fails), then
// reads what the port holds: chunks until a read brings nothing, within the tick's
// budget. A port that still has more says that the receiver outruns the logger.
void InputPoller::PollSerialPort() {
    if (port_.portNumber == SerialPort::kNoPort) return;
    wchar_t message[48];
    if (!port_.IsOpen()) {
        swprintf(message, sizeof message / sizeof message[0], L"COM%d opening...\r\n", port_.portNumber);
        boxes_.AppendText(kStatusBox, message);
        int32_t code = port_.Open();
        if (code != 0) {
            swprintf(message, sizeof message / sizeof message[0], L"COM-port open error (%d)!\r\n", code);
            boxes_.AppendText(kStatusBox, message);
            SayWhyNotOpen();
            return;
        }
        openFailure_[0] = L'\0';
    }
    const uint64_t sentences = assembler_.Sentences();
    bool bytesRead = false;
    const uint32_t start = clock_.TickMs();
    uint32_t tickBytes = 0;
    for (int reads = 0;; ++reads) {
        if (reads == kMaxSerialReadsPerTick || static_cast<uint32_t>(clock_.TickMs() - start) > kBudgetMs) {
            SayOutrun(tickBytes);
            break;
        }
        int32_t count = port_.Read(chunk_, kChunkBytes);
        if (count < 0) {
            // Closed here so that the next tick opens it afresh. The fix on screen is
            // no longer current: the error takes the box's place.
            boxes_.SetText(kStatusBox, L"COM-port read error!\r\n");
            SayWhyReadFailed();
            port_.Close();
            return;
        }
        if (count == 0) break;
        bytesRead = true;
        tickBytes += static_cast<uint32_t>(count);
        Feed(static_cast<uint32_t>(count));
    }
    WatchForSentences(bytesRead, assembler_.Sentences() != sentences);
}

// The status box repeats the numbered error every tick; the log box gets the cause
// in words once, and again only when it changes or after the port opened in between.
void InputPoller::SayWhyNotOpen() {
    PortOpenFailure failure;
    if (!port_.OpenFailure(&failure)) return;
    wchar_t cause[kOpenFailureChars];
    WordPortOpenFailure(failure, *advice_, cause, kOpenFailureChars);
    SayCause(cause);
}

// A device that can tell why a read failed (a lost network connection) says so once,
// under the same rule as an open failure.
void InputPoller::SayWhyReadFailed() {
    wchar_t cause[kOpenFailureChars];
    if (port_.DescribeReadFailure(cause, kOpenFailureChars)) SayCause(cause);
}

void InputPoller::SayCause(const wchar_t* cause) {
    if (wcscmp(cause, openFailure_) == 0) return;
    wcscpy(openFailure_, cause);
    wchar_t line[kOpenFailureChars + 2];
    swprintf(line, sizeof line / sizeof line[0], L"%ls\r\n", cause);
    boxes_.AppendText(kLogBox, line);
}

// Bytes that never make a sentence are most often sent at another speed than the
// port's; said once, until a sentence comes again.
void InputPoller::WatchForSentences(bool bytesRead, bool sentenceHandedOn) {
    if (sentenceHandedOn) {
        ticksWithoutSentence_ = 0;
        saidNoSentence_ = false;
        return;
    }
    if (!bytesRead || saidNoSentence_ || ++ticksWithoutSentence_ < kTicksWithoutSentence) return;
    saidNoSentence_ = true;
    wchar_t device[kDisplayPathChars];
    wchar_t named[kDisplayPathChars + 4];
    named[0] = L'\0';
    if (port_.Describe(port_.portNumber, device, kDisplayPathChars)) {
        swprintf(named, sizeof named / sizeof named[0], L", %ls,", device);
    }
    wchar_t message[2 * kDisplayPathChars + 256];
    if (advice_->chooseSpeed == nullptr || port_.SetsItsOwnSpeed()) {
        swprintf(message, sizeof message / sizeof message[0],
                 L"Bytes arrive on COM%d%ls but no NMEA sentence: is it a GPS receiver that sends there?\r\n",
                 static_cast<int>(port_.portNumber), named);
    } else {
        swprintf(message, sizeof message / sizeof message[0],
                 L"Bytes arrive on COM%d%ls but no NMEA sentence at %d baud: is the speed right? Receivers usually "
                 L"send at 9600 or 4800; %ls.\r\n",
                 static_cast<int>(port_.portNumber), named, static_cast<int>(port_.portSpeed), advice_->chooseSpeed);
    }
    boxes_.AppendText(kLogBox, message);
}

// Once a run: a backlog builds in the port, which the tty or gpsd may drop.
void InputPoller::SayOutrun(uint32_t tickBytes) {
    if (outrunSaid_) return;
    outrunSaid_ = true;
    wchar_t text[192];
    swprintf(text, sizeof text / sizeof text[0],
             L"The receiver sends faster than Kestrave reads: %u bytes in one tick, and more waiting. Lower its "
             L"rate or its sentences.\r\n",
             static_cast<unsigned>(tickBytes));
    boxes_.AppendText(kLogBox, text);
}
