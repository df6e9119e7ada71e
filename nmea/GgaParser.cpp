#include "nmea/GgaParser.h"

#include "nmea/FieldReader.h"
#include "nmea/SentenceStart.h"

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
//        hhmmss (position skipped)     quality sats hdop altitude unit (rest unread)
namespace {

// "M,46.9,M": the separation behind the altitude's unit, taken only when in metres.
void ReadSeparation(const char* unit, GpsFix& fix) {
    const char* comma = nmea::FindComma(unit);
    if (comma == nullptr || comma[1] == ',') return;
    const char* rest = comma + 1;
    const double separation = nmea::ReadDouble(comma + 1, rest);
    comma = nmea::FindComma(rest);
    if (comma != nullptr && comma[1] == 'M') fix.geoidSeparation = separation;
}

}  // namespace

GgaResult ParseGga(const char* sentence, GpsFix& fix) {
    using namespace nmea;
    fix.altitude = kNoAltitude;
    fix.hdop = kNoHdop;
    fix.timeOfDay = kGgaNotParsed;
    fix.satellites = kNoSatellites;
    fix.geoidSeparation = kNoAltitude;
    fix.quality = 0;
    double timeOfDay = 0.0;
    const char* comma = nullptr;
    const Start start = StartSentence(sentence, "GGA,", fix, timeOfDay, &comma);
    if (start != Start::AfterTime) return start == Start::WrongType ? GgaResult::NotGga : GgaResult::NoTime;
    // The position comes from the RMC; here its four fields are only stepped over.
    static constexpr GgaResult kPositionFieldErrors[] = {GgaResult::NoLatitude, GgaResult::NoLongitude,
                                                         GgaResult::NoLatitude, GgaResult::NoLongitude};
    for (const GgaResult error : kPositionFieldErrors) {
        comma = FindComma(comma + 1);
        if (comma == nullptr) return error;
    }

    const char* quality = comma + 1;
    const int32_t qualityValue = ReadInt(quality);
    if (qualityValue <= 0) return GgaResult::NoFix;
    comma = FindComma(quality);
    if (comma == nullptr) return GgaResult::NoSatellites;
    const char* satellites = comma + 1;
    fix.satellites = ReadInt(satellites);
    comma = FindComma(satellites);
    if (comma == nullptr) return GgaResult::NoHdop;
    const char* hdop = comma + 1;
    const char* rest = hdop;
    fix.hdop = ReadDouble(hdop, rest);
    comma = FindComma(rest);
    if (comma == nullptr) return GgaResult::NoAltitude;

    const char* altitudeField = comma + 1;
    if (*altitudeField == ',') return GgaResult::EmptyAltitude;
    const double altitude = ReadDouble(altitudeField, rest);
    comma = FindComma(rest);
    if (comma == nullptr) return GgaResult::NoAltitude;
    if (comma[1] != 'M') return GgaResult::NotMetres;
    fix.altitude = altitude;
    fix.timeOfDay = timeOfDay;
    fix.quality = static_cast<uint8_t>(qualityValue > 255 ? 255 : qualityValue);
    ReadSeparation(comma + 1, fix);
    return GgaResult::Parsed;
}
