#include "gpsd/GpsdStream.h"

#include <cstring>

namespace {

int Count(const char* text, const char* word) {
    int count = 0;
    for (const char* at = strstr(text, word); at != nullptr; at = strstr(at + 1, word)) ++count;
    return count;
}

}  // namespace

void GpsdStream::Reset() {
    lineStart_ = true;
    inReport_ = false;
    listed_ = false;
    receivers_ = Receivers::Unknown;
    active_ = 0;
    reportLength_ = 0;
}

uint32_t GpsdStream::Filter(uint8_t* data, uint32_t count) {
    uint32_t kept = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t byte = data[i];
        if (lineStart_) inReport_ = byte == '{';
        lineStart_ = byte == '\n';
        if (!inReport_) {
            data[kept++] = byte;
            continue;
        }
        // A report longer than the buffer keeps its beginning, where the class is.
        if (reportLength_ < kReportBytes - 1) report_[reportLength_++] = static_cast<char>(byte);
        if (lineStart_) EndReport();
    }
    return kept;
}

// gpsd lists its receivers in answer to the watch request, then reports a receiver
// when it comes, changes or goes; one it gave up on is "activated":0. A report of a
// change cannot be told from one of a newcomer by its class, so a live one counts
// only when none was known.
void GpsdStream::EndReport() {
    report_[reportLength_] = '\0';
    reportLength_ = 0;
    if (strstr(report_, "\"class\":\"DEVICES\"") != nullptr) {
        listed_ = true;
        active_ = Count(report_, "\"path\":");
    } else if (strstr(report_, "\"class\":\"DEVICE\"") != nullptr) {
        if (strstr(report_, "\"activated\":0") != nullptr) {
            if (active_ > 0) --active_;
        } else if (active_ == 0) {
            active_ = 1;
        }
    } else {
        return;
    }
    receivers_ = active_ > 0 ? Receivers::Some : Receivers::None;
}
