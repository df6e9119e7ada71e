#pragma once
#include "input/SerialPort.h"
#include "gpsd/GpsdSerialDevice.h"
#include "gpsd/RoutedSerialDevice.h"
#include "shell/Settings.h"
#include "shell/GpsdChoice.h"

// The port menu's gpsd entry on this host: it routes the port to the local gpsd or
// back to the tty, and keeps the choice as the GpsdServer setting.
class GpsdPortChoice : public GpsdChoice {
public:
    static constexpr int kProbeWaitMs = 200;

    GpsdPortChoice(RoutedSerialDevice& route, GpsdSerialDevice& gpsd, SerialPort& port, Settings& settings)
        : route_(route), gpsd_(gpsd), port_(port), settings_(settings) {}

    bool Offered() override { return route_.UsesGpsd() || probe_.Answers(kProbeWaitMs); }
    bool Chosen() const override { return route_.UsesGpsd(); }
    void Choose(bool gpsd) override;
    bool DescribePort(int32_t number, wchar_t* out, int chars) override {
        return route_.DescribeTty(number, out, chars);
    }

private:
    RoutedSerialDevice& route_;
    GpsdSerialDevice& gpsd_;
    SerialPort& port_;
    Settings& settings_;
    GpsdSerialDevice probe_;  // localhost:2947, the address the entry names
};
