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
    // Day files are opened for appending only: an earlier route is never found.
    FileHandle OpenDayFile(const wchar_t*, DayFileAccess access) override {
        return access != DayFileAccess::Read ? 3 : kInvalidFile;
    }
    FileHandle OpenExisting(const wchar_t*) override { return kInvalidFile; }
    uint64_t Size(FileHandle) override { return 1; }
    uint64_t SeekFromEnd(FileHandle, int64_t) override { return 0; }
    // The last byte of every day file ends a line.
    bool Read(FileHandle, void* data, uint32_t size, uint32_t* count) override {
        *count = size > 0 ? 1 : 0;
        if (size > 0) *static_cast<char*>(data) = '\n';
        return true;
    }
    bool Write(FileHandle, const void*, uint32_t size, uint32_t* count) override {
        written += size;
        *count = size;
        return true;
    }
    bool Truncate(FileHandle, uint64_t) override { return true; }
    bool Sync(FileHandle) override { return true; }
    bool Close(FileHandle) override { return true; }
    uint32_t LastError() override { return 0; }
    void DescribeError(uint32_t, wchar_t* out, int) override { out[0] = L'\0'; }
    void DisplayPath(const wchar_t*, wchar_t* out, int) override { out[0] = L'\0'; }

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
