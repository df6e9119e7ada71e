#pragma once
#include <cstdint>

#include "nmea/GpsFix.h"
#include "output/DayFile.h"
#include "output/MessageCounter.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LocalTimeZone.h"
#include "platform/TextBoxes.h"

// The track's points, once more, as the GPX file of their local day: the file any
// mapping tool opens. It is a whole document after every flush, and after a kill.
class GpxWriter {
public:
    GpxWriter(FileSystem& files, Clock& clock, LocalTimeZone& zone, TextBoxes& boxes, MessageCounter& messages);

    // On unless turned off; off, nothing is written or said. Turned off, the points
    // already taken are written first.
    void SetOn(bool on);
    bool On() const { return on_; }

    // Before the track file's own flushes for the fix: the GPX's old day and full
    // buffer go to their file first, so that a run killed between the two leaves the
    // GPX ahead, never behind.
    int Prepare(const GpsFix& fix);
    // The point the track file got, in the same order, after Prepare for it. A point not later than the
    // last one of the day's GPX file (a run killed after the GPX's flush but before the
    // track file's brings them again) is not written twice.
    int AddPoint(const GpsFix& fix);
    int Flush();
    int FlushToDisk();
    void Reset();
    bool SetFolder(const wchar_t* folder);

    uint32_t FileErrors() const { return day_.FileErrors(); }
    bool Failing() const { return on_ && day_.Failing(); }
    const wchar_t* FailureWords() const { return day_.FailureWords(); }
    uint32_t WrittenToday() const { return day_.WrittenToday(); }
    // Points the track file got that no GPX can hold (a leap second), this run.
    uint32_t LeftOut() const { return leftOut_; }

    // A point's UTC time, comparable: seconds counted from year 0 (months of 31 days
    // are enough for an order), then the fraction.
    struct Moment {
        int64_t seconds = -1;
        uint32_t nanos = 0;
        bool After(const Moment& other) const {
            return seconds != other.seconds ? seconds > other.seconds : nanos > other.nanos;
        }
    };

private:
    void SayLeftOut(const GpsFix& fix);
    // The time of the last point of the day's GPX file, as this run first finds it.
    void LearnDayEnd();

    // A point with every field takes about 420 bytes; the trailer follows the text.
    static constexpr int32_t kBufferBytes = 32768 + 512;
    static constexpr int32_t kTrailerRoom = 32;

    TextBoxes& boxes_;
    char buffer_[kBufferBytes + kTrailerRoom];
    DayFile day_;
    bool on_ = true;
    // This run has a point in the day's current segment.
    bool inSegment_ = false;
    double lastStamp_ = 0.0;
    uint32_t leftOut_ = 0;
    uint32_t leftOutToday_ = 0;
    // Left out after the first of their day, not yet told.
    uint32_t leftOutUntold_ = 0;
    Moment dayEnd_;
};
