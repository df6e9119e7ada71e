#include "input/InputPoller.h"

InputPoller::InputPoller(FileSystem& files, Clock& clock, SentenceAssembler& assembler, TrackWriter& track,
                         RouteWriter& route, TextBoxes& boxes)
    : files_(files), clock_(clock), assembler_(assembler), track_(track), route_(route), boxes_(boxes) {}

void InputPoller::Poll() {
    if (replayFile != kInvalidFile) PollReplayFile();
}

void InputPoller::StartReplay(FileHandle file) {
    CloseReplay();
    replayFile = file;
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
        if (!files_.Read(replayFile, chunk_, kChunkBytes, &count) || count == 0) {
            EndReplay();
            return;
        }
        for (uint32_t i = 0; i < count; ++i) assembler_.FeedByte(chunk_[i]);
        if (static_cast<uint32_t>(clock_.TickMs() - start) > kBudgetMs) return;
    }
}

// A read error ends the replay exactly like the end of the file.
void InputPoller::EndReplay() {
    files_.Close(replayFile);
    track_.Flush();
    route_.Flush();
    replayFile = kInvalidFile;
    boxes_.AppendText(kLogBox, L"File processed\r\n");
}
