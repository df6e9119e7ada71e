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
    files_.DisplayPath(path, replayPath_, kDisplayPathChars);
}

void InputPoller::CloseReplay() {
    if (replayFile == kInvalidFile) return;
    files_.Close(replayFile);
    replayFile = kInvalidFile;
}

// Reads 1 KiB chunks until the file ends, half a second has gone, or 1000 chunks
// are done; the next tick goes on where this one stopped.
void InputPoller::PollReplayFile() {
    uint32_t start = clock_.TickMs();
    for (int chunks = 0; chunks < kMaxChunksPerTick; ++chunks) {
        uint32_t count = 0;
        if (!files_.Read(replayFile, chunk_, kChunkBytes, &count)) {
            StopOnReadError();
            return;
        }
        if (count == 0) {
            EndReplay();
            return;
        }
        Feed(count);
        replayedBytes_ += count;
        if (static_cast<uint32_t>(clock_.TickMs() - start) > kBudgetMs) return;
    }
}

void InputPoller::EndReplay() {
    FinishReplay();
    boxes_.AppendText(kLogBox, L"File processed\r\n");
}

// Keeps what was read and says why the rest is missing, in place of "File processed",
// so that a cut-off file is never taken for a whole one.
void InputPoller::StopOnReadError() {
    const uint32_t error = files_.LastError();
    ++readErrors_;
    FinishReplay();
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
    files_.Close(replayFile);
    track_.Flush();
    route_.Flush();
    replayFile = kInvalidFile;
}

// Opens the port when it is closed (again on every tick while that fails), then
// reads up to ten chunks, stopping at the first read that brings nothing.
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
            return;
        }
    }
    for (int reads = 0; reads < kMaxSerialReadsPerTick; ++reads) {
        int32_t count = port_.Read(chunk_, kChunkBytes);
        if (count < 0) {
            // Closed here so that the next tick opens it afresh.
            port_.Close();
            boxes_.AppendText(kStatusBox, L"COM-port read error!\r\n");
            return;
        }
        if (count == 0) return;
        Feed(static_cast<uint32_t>(count));
    }
}
