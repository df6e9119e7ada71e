#include "gpsd/GpsdPortChoice.h"

void GpsdPortChoice::Choose(bool gpsd) {
    if (gpsd) gpsd_.Bind(GpsdSerialDevice::kDefaultServer);
    route_.UseGpsd(gpsd);
    settings_.SaveGpsdServer(gpsd ? GpsdSerialDevice::kDefaultServerText : L"");
    // Closed with the device that opened it; the next tick opens the new input.
    port_.Close();
}
