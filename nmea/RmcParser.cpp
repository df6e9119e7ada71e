#include "nmea/RmcParser.h"

#include "nmea/FieldReader.h"
#include "nmea/SentenceStart.h"

namespace {
constexpr double kKmhPerKnot = 1.852;
}  // namespace

// $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
//        hhmmss status ddmm.mmm  dddmm.mmm  knots course ddmmyy (rest unread)
RmcResult ParseRmc(const char* sentence, GpsFix& fix) {
    using namespace nmea;
    fix.altitude = kNoAltitude;
    fix.seconds = kRmcNotParsed;
    fix.timeOfDay = kRmcNotParsed;
    double timeOfDay = 0.0;
    const char* comma = nullptr;
    const Start start = StartSentence(sentence, "RMC,", fix, timeOfDay, &comma);
    if (start != Start::AfterTime) return start == Start::WrongType ? RmcResult::NotRmc : RmcResult::NoTime;
    // Only an active fix, status exactly "A", is worth recording.
    if (comma[1] != 'A' || comma[2] != ',') return RmcResult::NotActive;

    const char* rest = nullptr;
    fix.latitude = ReadDegrees(comma + 3, 2, rest);
    comma = FindComma(rest);
    if (!ReadHemisphere(comma, 'N', 'S', fix.latitude)) return RmcResult::BadLatitude;
    fix.longitude = ReadDegrees(comma + 3, 3, rest);
    comma = FindComma(rest);
    if (!ReadHemisphere(comma, 'E', 'W', fix.longitude)) return RmcResult::BadLongitude;

    const char* speed = comma + 3;
    fix.given = *speed == ',' ? 0 : kGivenSpeed;
    fix.speedKmh = ReadDouble(speed, rest) * kKmhPerKnot;
    comma = FindComma(rest);
    if (comma == nullptr) return RmcResult::NoSpeed;
    const char* course = comma + 1;
    if (*course != ',') fix.given |= kGivenCourse;
    fix.course = ReadDouble(course, rest);
    comma = FindComma(rest);
    if (comma == nullptr) return RmcResult::NoCourse;

    // The date must be exactly ddmmyy. When the sixth byte on is a comma, none of
    // the bytes before it is the NUL, so the fixed offsets below stay inside.
    const char* date = comma + 1;
    if (*SkipBytes(date, 6) != ',') return RmcResult::BadDate;
    fix.day = static_cast<uint8_t>(ReadWidthInt(date, 2));
    fix.month = static_cast<uint8_t>(ReadWidthInt(date + 2, 2));
    fix.year = static_cast<uint8_t>(ReadWidthInt(date + 4, 2));

    fix.timeOfDay = timeOfDay;
    return RmcResult::Parsed;
}
