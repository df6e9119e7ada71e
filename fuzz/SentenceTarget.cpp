#include <string>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTargets.h"
#include "nmea/Checksum.h"
#include "nmea/GgaParser.h"
#include "nmea/RmcParser.h"

// One sentence, as the assembler hands it on but of any length and content.
void FuzzSentence(const uint8_t* data, size_t size) {
    const std::string sentence(reinterpret_cast<const char*>(data), size);
    const int checksum = VerifyChecksum(sentence.c_str());
    FUZZ_CHECK(checksum >= 0 && checksum <= 4);

    GpsFix rmc = {};
    const int rmcResult = static_cast<int>(ParseRmc(sentence.c_str(), rmc));
    FUZZ_CHECK(rmcResult >= 0 && rmcResult <= 10);
    // Downstream tells a failed parse only by this mark.
    if (rmcResult != 0) FUZZ_CHECK(rmc.timeOfDay == kRmcNotParsed);

    GpsFix gga = {};
    const int ggaResult = static_cast<int>(ParseGga(sentence.c_str(), gga));
    FUZZ_CHECK(ggaResult >= 0 && ggaResult <= 10);
    if (ggaResult != 0) FUZZ_CHECK(gga.timeOfDay == kGgaNotParsed);
}
