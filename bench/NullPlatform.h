#pragma once
#include <cstdint>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/TextBoxes.h"

// Platform parts that cost next to nothing, so that the micro-benchmark times the
// recorder and not a fake.

// Every day file opens, already has its header, and swallows what is written; no
// earlier route file exists to continue from.
class NullFileSystem : public FileSystem {
public:
    bool FolderExists(const wchar_t*) override { return true; }
    bool ListEntries(const wchar_t*, FolderVisitor&) override { return true; }
    bool CreateFolder(const wchar_t*) override { return true; }
    FileHandle OpenAlways(const wchar_t*) override { return 3; }
    FileHandle OpenExisting(const wchar_t*) override { return kInvalidFile; }
    uint32_t Size(FileHandle) override { return 1; }
    uint32_t SeekFromEnd(FileHandle, int32_t) override { return 1; }
    bool Read(FileHandle, void*, uint32_t, uint32_t* count) override {
        *count = 0;
        return true;
    }
    bool Write(FileHandle, const void*, uint32_t size, uint32_t* count) override {
        written += size;
        *count = size;
        return true;
    }
    void Close(FileHandle) override {}
    uint32_t LastError() override { return 0; }

    uint64_t written = 0;
};

// The tick, moved on by the benchmark: one second per epoch, as on the road.
class StepClock : public Clock {
public:
    uint32_t TickMs() override { return now; }
    uint32_t now = 0;
};

// Keeps only how much text reached the boxes.
class NullTextBoxes : public TextBoxes {
public:
    void SetText(int, const wchar_t* text) override { last = text; }
    void AppendText(int, const wchar_t* text) override { last = text; }
    const wchar_t* last = nullptr;
};
