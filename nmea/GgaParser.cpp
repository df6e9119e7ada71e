#include "nmea/GgaParser.h"

#include "nmea/FieldReader.h"
#include "nmea/Talker.h"

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
//        hhmmss (position skipped)     quality sats hdop altitude unit (rest unread)
int ParseGga(const char* sentence, GpsFix& fix) {
    using namespace nmea;
    fix.altitude = kNoAltitude;
    fix.hdop = kNoHdop;
    fix.timeOfDay = kGgaNotParsed;
    fix.satellites = kNoSatellites;
    if (!IsSentenceOfType(sentence, "GGA,")) {
        return 1;
    }
    double timeOfDay = 0.0;
    const char* comma = FindComma(ReadUtcTime(sentence, fix, timeOfDay));
    if (comma == nullptr) {
        return 2;
    }
    // The position comes from the RMC; here its four fields are only stepped over.
    static constexpr int kPositionFieldErrors[] = {3, 4, 3, 4};
    for (const int error : kPositionFieldErrors) {
        comma = FindComma(comma + 1);
        if (comma == nullptr) {
            return error;
        }
    }

    const char* quality = comma + 1;
    if (ReadInt(quality) <= 0) {
        return 5;
    }
    comma = FindComma(quality);
    if (comma == nullptr) {
        return 6;
    }
    const char* satellites = comma + 1;
    fix.satellites = ReadInt(satellites);
    comma = FindComma(satellites);
    if (comma == nullptr) {
        return 7;
    }
    const char* hdop = comma + 1;
    const char* rest = hdop;
    fix.hdop = ReadDouble(hdop, rest);
    comma = FindComma(rest);
    if (comma == nullptr) {
        return 8;
    }

    const char* altitudeField = comma + 1;
    if (*altitudeField == ',') {
        return 9;
    }
    const double altitude = ReadDouble(altitudeField, rest);
    comma = FindComma(rest);
    if (comma == nullptr) {
        return 8;
    }
    if (comma[1] != 'M') {
        return 10;
    }
    fix.altitude = altitude;
    fix.timeOfDay = timeOfDay;
    return 0;
}
