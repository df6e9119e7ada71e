#include "output/TrailedEnd.h"

#include <cstring>

namespace {

// Bytes read at a time while looking back for the last whole part.
constexpr uint32_t kWindow = 4096;
// Bytes of the end read on every flush: the trailer and the part before it.
constexpr uint32_t kTail = 512;

bool EndsWith(const char* text, size_t length, const char* end) {
    const size_t endLength = strlen(end);
    return length >= endLength && memcmp(text + length - endLength, end, endLength) == 0;
}

// Where the last occurrence of mark in text ends, or 0.
size_t LastEndOf(const char* text, size_t length, const char* mark) {
    const size_t markLength = strlen(mark);
    for (size_t end = length; end >= markLength && end > 0; --end) {
        if (memcmp(text + end - markLength, mark, markLength) == 0) return end;
    }
    return 0;
}

}  // namespace

bool TrailedEnd::ReadAt(FileSystem& files, FileHandle file, uint64_t size, uint64_t at, char* out, uint32_t count) {
    uint32_t got = 0;
    return files.SeekFromEnd(file, -static_cast<int64_t>(size - at)) != kInvalidSize &&
           files.Read(file, out, count, &got) && got == count;
}

TrailedEnd::Found TrailedEnd::Find(FileSystem& files, FileHandle file, uint64_t size, const Form& form, Place* place) {
    char window[kWindow];
    const size_t signatureLength = strlen(form.signature);
    const uint32_t head = size < signatureLength ? static_cast<uint32_t>(size) : static_cast<uint32_t>(signatureLength);
    if (!ReadAt(files, file, size, 0, window, head)) return Found::Unreadable;
    if (memcmp(window, form.signature, head) != 0) return Found::Foreign;
    if (head < signatureLength) return Found::Fresh;

    const uint32_t back = size < kTail ? static_cast<uint32_t>(size) : kTail;
    if (!ReadAt(files, file, size, size - back, window, back)) return Found::Unreadable;
    if (EndsWith(window, back, form.trailer)) {
        const size_t before = back - strlen(form.trailer);
        place->position = size - strlen(form.trailer);
        place->emptyGroup = EndsWith(window, before, form.groupStart);
        return Found::AtTrailer;
    }
    return FindBack(files, file, size, form, place);
}

// Windows overlap by a mark's length, so that a mark across their border is found.
TrailedEnd::Found TrailedEnd::FindBack(FileSystem& files, FileHandle file, uint64_t size, const Form& form,
                                       Place* place) {
    char window[kWindow];
    const uint32_t overlap = static_cast<uint32_t>(strlen(form.partEnd) + strlen(form.groupStart));
    uint64_t end = size;
    for (;;) {
        const uint64_t start = end > kWindow ? end - kWindow : 0;
        const uint32_t length = static_cast<uint32_t>(end - start);
        if (!ReadAt(files, file, size, start, window, length)) return Found::Unreadable;
        const size_t part = LastEndOf(window, length, form.partEnd);
        const size_t group = LastEndOf(window, length, form.groupStart);
        if (part != 0 || group != 0) {
            place->position = start + (part > group ? part : group);
            place->emptyGroup = group > part;
            return Found::CutBack;
        }
        if (start == 0) return Found::Fresh;
        end = start + overlap;
    }
}
