#include "processing/FixProcessor.h"
#include <cmath>
#include <cwchar>
#include "nmea/Checksum.h"
#include "nmea/FieldReader.h"
#include "nmea/GgaParser.h"
#include "nmea/RmcParser.h"
#include "nmea/Talker.h"
#include "output/TimeConversion.h"

namespace {

// An RMC and a GGA nearer in time than this belong to the same epoch.
constexpr double kSameEpochSeconds = 0.9;

}  // namespace

FixProcessor::FixProcessor(LocalTimeZone& zone, TextBoxes& boxes, TrackWriter& track,
                           RouteSelector& route, int32_t& noDataTicks)
    : zone_(zone), boxes_(boxes), noDataTicks_(noDataTicks), status_(boxes), filter_(status_, track, route) {}

void FixProcessor::ProcessSentence(const char* sentence) {
    noDataTicks_ = 0;  // any sentence is data, whatever its checksum
    if (ggaParity_ < 0) ApplyFirstTimeDefaults();
    if (nmea::IsSentenceOfType(sentence, "GGA,")) {
        TakeGga(sentence);
    } else if (nmea::IsSentenceOfType(sentence, "RMC,")) {
        TakeRmc(sentence);
    }
}

// Empty slots must never pair, and the first RMC must not show as a fix.
void FixProcessor::ApplyFirstTimeDefaults() {
    for (GpsFix& slot : ggaSlot_) {
        slot.altitude = kNoAltitude;
        slot.timeOfDay = kGgaNotParsed;
    }
    pendingRmc_.timeOfDay = kRmcNotParsed;
    pendingRmc_.seconds = kRmcNotParsed;
    ggaParity_ = 0;
}

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
// The two slots take the GGAs in turn, so the last two are at hand for pairing.
void FixProcessor::TakeGga(const char* sentence) {
    if (VerifyChecksum(sentence) != 0 || !ggaCopies_.Take(sentence)) return;
    ggaParity_ = (ggaParity_ - 1) & 1;
    ParseGga(sentence, ggaSlot_[ggaParity_]);
}

// $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
// The RMC held back is processed first, then the new one takes its place.
void FixProcessor::TakeRmc(const char* sentence) {
    if (VerifyChecksum(sentence) != 0 || !rmcCopies_.Take(sentence)) return;
    if (pendingRmc_.timeOfDay > -1.0) {
        ProcessFix();
    } else if (pendingRmc_.seconds > -1.0) {  // a time but no fix; nothing at all before the first RMC
        status_.ShowNoFix(pendingRmc_);
    }
    ParseRmc(sentence, pendingRmc_);
    CorrectRollover();
}

// Before anything reads the date: the status text, the day file's name, the points.
void FixProcessor::CorrectRollover() {
    SystemTime today{};
    if (rollover_.GetRule() == WeekRollover::Rule::Keep || pendingRmc_.timeOfDay <= -1.0 || !zone_.UtcToday(&today)) {
        return;
    }
    const int32_t weeks = rollover_.Correct(pendingRmc_, today);
    if (weeks == 0 || rolloverSaid_) return;
    rolloverSaid_ = true;
    wchar_t text[192];
    swprintf(text, sizeof text / sizeof text[0],
             L"GPS week rollover: the receiver dates its fixes %d weeks back; they are moved forward to "
             L"20%02d-%02d-%02d. A firmware update of the receiver ends this.\r\n",
             static_cast<int>(weeks), pendingRmc_.year, pendingRmc_.month, pendingRmc_.day);
    boxes_.AppendText(kLogBox, text);
}

void FixProcessor::ProcessFix() {
    PairWithGga();
    UpdateLocalStamp();
    status_.ShowFix(pendingRmc_, localStamp_);
    ++fixes_;
    lastFix_ = pendingRmc_;
    filter_.FilterFix(pendingRmc_);
}

// The nearer slot in time of day wins, slot 1 on a tie. Times are compared without
// a wrap at midnight, and an unparsed slot (-1000 s) never lies near a fix.
void FixProcessor::PairWithGga() {
    const double d0 = std::fabs(ggaSlot_[0].timeOfDay - pendingRmc_.timeOfDay);
    const double d1 = std::fabs(ggaSlot_[1].timeOfDay - pendingRmc_.timeOfDay);
    const bool slot0Nearer = d0 < d1;
    const GpsFix& nearer = slot0Nearer ? ggaSlot_[0] : ggaSlot_[1];
    if ((slot0Nearer ? d0 : d1) < kSameEpochSeconds) {
        pendingRmc_.altitude = nearer.altitude;
        pendingRmc_.hdop = nearer.hdop;
        pendingRmc_.satellites = nearer.satellites;
        pendingRmc_.geoidSeparation = nearer.geoidSeparation;
        pendingRmc_.quality = nearer.quality;
    } else {
        pendingRmc_.altitude = kNoAltitude;
        pendingRmc_.hdop = kNoHdop;
        pendingRmc_.satellites = kNoSatellites;
        pendingRmc_.geoidSeparation = kNoAltitude;
        pendingRmc_.quality = 0;
    }
}

// The zone conversion runs at most once per UTC minute.
void FixProcessor::UpdateLocalStamp() {
    const int32_t key = MinuteKey(pendingRmc_);
    if (key == minuteKey_) return;
    minuteKey_ = key;
    ToLocalTime(zone_, pendingRmc_, localStamp_);
}
