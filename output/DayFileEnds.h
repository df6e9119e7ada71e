#pragma once
#include <cstddef>
#include <cstdint>

// The stamp of the last whole line of each day file as this run first found it. A
// run that brings points again (a recording replayed twice, a restart over the same
// minutes) writes none that is not later, while its own lines never hold back the
// points it brings after them.
class DayFileEnds {
public:
    // Stamps count 1e-8 days, as the files write them with eight decimals.
    static constexpr int64_t kNone = INT64_MIN;

    // The stamp as a line would show it.
    static int64_t KeyOf(double stamp);
    // The stamp in the comma-separated field (from 0) of the last whole line of text,
    // the end of a file read from byte `from`; kNone when there is none.
    static int64_t LastLineStamp(const char* text, size_t length, int field, bool fromFileStart);
    // The stamp in the field of one line; kNone when it holds none.
    static int64_t LineStamp(const char* line, size_t length, int field);

    // The end remembered for the local date, if any.
    bool Find(int32_t dateKey, int64_t* stamp) const;
    // Once all slots are used, the day remembered first makes room.
    void Remember(int32_t dateKey, int64_t stamp);
    void Forget() { count_ = 0; }

private:
    static constexpr int kDays = 16;
    struct Entry {
        int32_t dateKey;
        int64_t stamp;
    };
    Entry entries_[kDays] = {};
    int count_ = 0;
    int next_ = 0;
};
