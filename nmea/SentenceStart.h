#pragma once
#include "nmea/GpsFix.h"

namespace nmea {

// What the start of a sentence gave: not the type asked for, no readable time, or the
// comma after the time field.
enum class Start { WrongType, NoTime, AfterTime };

// Checks that the sentence is "$<talker><type>" and reads its UTC time into the record;
// *comma is then the comma that ends the time field. timeOfDay is handed back for the
// caller to store once the whole sentence is parsed.
Start StartSentence(const char* sentence, const char* type, GpsFix& fix, double& timeOfDay, const char** comma);

// The hemisphere after a coordinate, at comma: ",N," or ",S," (positive is the first
// letter). Negates value for the second letter; false for anything else. On success
// comma + 3 is the next field.
bool ReadHemisphere(const char* comma, char positive, char negative, double& value);

}  // namespace nmea
