#include "gpsd/RoutedSerialDevice.h"

SerialDevice& RoutedSerialDevice::Current() const {
    if (useGpsd_) return gpsd_;
    return tty_;
}

SerialHandle RoutedSerialDevice::Open(const wchar_t* deviceName) {
    opened_ = &Current();
    return opened_->Open(deviceName);
}

bool RoutedSerialDevice::Describe(int32_t portNumber, wchar_t* out, int chars) {
    return Current().Describe(portNumber, out, chars);
}
