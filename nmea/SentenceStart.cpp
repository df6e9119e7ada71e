#include "nmea/SentenceStart.h"

#include "nmea/FieldReader.h"
#include "nmea/Talker.h"

namespace nmea {

Start StartSentence(const char* sentence, const char* type, GpsFix& fix, double& timeOfDay, const char** comma) {
    if (!IsSentenceOfType(sentence, type)) return Start::WrongType;
    *comma = FindComma(ReadUtcTime(sentence, fix, timeOfDay));
    return *comma == nullptr ? Start::NoTime : Start::AfterTime;
}

bool ReadHemisphere(const char* comma, char positive, char negative, double& value) {
    if (comma == nullptr || (comma[1] != positive && comma[1] != negative) || comma[2] != ',') return false;
    if (comma[1] == negative) value = -value;
    return true;
}

}  // namespace nmea
