#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/SerialPort.h"
#include "tests/support/FakeSerialDevice.h"

namespace {

using Op = FakeSerialDevice::Op;

TEST(SerialPortTest, OpenConfiguresTheNamedPortStepByStep) {
    FakeSerialDevice device;
    // A driver left at 7E2 with both kinds of flow control by a previous user.
    device.driverSettings.baudRate = 9600;
    device.driverSettings.byteSize = 7;
    device.driverSettings.parity = SerialParity::Even;
    device.driverSettings.stopBits = SerialStopBits::Two;
    device.driverSettings.hardwareFlowControl = true;
    device.driverSettings.softwareFlowControl = true;
    SerialPort port(device);
    port.portNumber = 3;

    ASSERT_EQ(port.Open(), 0);
    EXPECT_TRUE(port.IsOpen()) << "a successful open leaves the port open, not just the device";
    EXPECT_EQ(device.openedNames, std::vector<std::wstring>{L"COM3:"});
    EXPECT_EQ(device.calls, (std::vector<Op>{Op::Open, Op::SetupQueues, Op::GetLineSettings, Op::SetLineSettings,
                                             Op::SetReadTimeout, Op::RaiseDtr, Op::RaiseRts}));
    EXPECT_EQ(device.inputQueueBytes, 8192u);
    EXPECT_EQ(device.outputQueueBytes, 512u);
    EXPECT_EQ(device.driverSettings.baudRate, 4800u);
    EXPECT_EQ(device.driverSettings.byteSize, 8);
    EXPECT_EQ(device.driverSettings.parity, SerialParity::None);
    EXPECT_EQ(device.driverSettings.stopBits, SerialStopBits::One);
    EXPECT_FALSE(device.driverSettings.hardwareFlowControl);
    EXPECT_FALSE(device.driverSettings.softwareFlowControl);
    EXPECT_EQ(device.readWaitMs, 100u);
    EXPECT_TRUE(device.dtr);
    EXPECT_TRUE(device.rts);
    EXPECT_EQ(device.strayCalls, 0);
}

struct StepFailure {
    Op op;
    int32_t code;
};

class SerialPortStepFailureTest : public ::testing::TestWithParam<StepFailure> {};

// A failed step reports its own code and never leaves a half-configured port open.
TEST_P(SerialPortStepFailureTest, ReportsTheStepAndClosesTheHandleAgain) {
    FakeSerialDevice device;
    device.Fail(GetParam().op);
    SerialPort port(device);

    EXPECT_EQ(port.Open(), GetParam().code);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.strayCalls, 0);
    EXPECT_EQ(device.Calls(Op::Close), GetParam().code == 1 ? 0 : 1) << "a handle never opened is not closed";
    EXPECT_FALSE(device.dtr || device.rts);
    EXPECT_EQ(port.Read(nullptr, 0), SerialPort::kReadNotOpen);

    device.Heal(GetParam().op);
    EXPECT_EQ(port.Open(), 0) << "the next attempt starts afresh";
}

INSTANTIATE_TEST_SUITE_P(EachStep, SerialPortStepFailureTest,
                         ::testing::Values(StepFailure{Op::Open, 1}, StepFailure{Op::SetupQueues, 2},
                                           StepFailure{Op::SetLineSettings, 4}, StepFailure{Op::SetReadTimeout, 5}));

TEST(SerialPortTest, FailuresThatAreNotStepsDoNotStopTheOpen) {
    FakeSerialDevice device;
    device.Fail(Op::GetLineSettings);
    device.Fail(Op::RaiseDtr);
    device.Fail(Op::RaiseRts);
    SerialPort port(device);
    port.portSpeed = 38400;

    EXPECT_EQ(port.Open(), 0);
    EXPECT_EQ(device.driverSettings.baudRate, 38400u);
    EXPECT_EQ(device.driverSettings.byteSize, 8);
}

TEST(SerialPortTest, OpenWhileOpenClosesFirst) {
    FakeSerialDevice device;
    SerialPort port(device);
    ASSERT_EQ(port.Open(), 0);

    ASSERT_EQ(port.Open(), 0) << "the fake refuses a second open of an open device";
    EXPECT_EQ(device.Calls(Op::Close), 1);
    EXPECT_EQ(device.Calls(Op::Open), 2);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.strayCalls, 0);
}

TEST(SerialPortTest, CloseAlwaysLeavesThePortClosedAndClosesTheDeviceOnce) {
    FakeSerialDevice device;
    SerialPort port(device);
    port.Close();
    EXPECT_TRUE(device.calls.empty()) << "a port never opened has nothing to close";

    ASSERT_EQ(port.Open(), 0);
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(device.IsOpen());
    port.Close();
    EXPECT_EQ(device.Calls(Op::Close), 1);
    EXPECT_EQ(device.strayCalls, 0);
}

TEST(SerialPortTest, ReadReportsBytesNothingAndFailures) {
    FakeSerialDevice device;
    SerialPort port(device);
    char buffer[1024];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), SerialPort::kReadNotOpen);
    EXPECT_TRUE(device.calls.empty()) << "a closed port does not touch the device";

    ASSERT_EQ(port.Open(), 0);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    device.Feed(std::string(1500, 'x'));
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 1024);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 476);
    device.InjectReadError();
    EXPECT_EQ(port.Read(buffer, sizeof buffer), SerialPort::kReadFailed);
    EXPECT_TRUE(port.IsOpen()) << "closing after a read error is the poller's step";
    port.Close();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(port.Read(buffer, sizeof buffer), SerialPort::kReadNotOpen);
}

TEST(SerialPortTest, SelectPortAndSpeedCloseAtOnceAndTheNextOpenUsesThem) {
    FakeSerialDevice device;
    SerialPort port(device);
    ASSERT_EQ(port.Open(), 0);

    port.SelectPort(7);
    EXPECT_EQ(port.portNumber, 7);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(device.IsOpen());

    port.SelectSpeed(250000);  // not a menu value: handed to the driver as it is
    EXPECT_EQ(port.portSpeed, 250000);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(device.Calls(Op::Open), 1) << "a change never reopens by itself";

    ASSERT_EQ(port.Open(), 0);
    EXPECT_EQ(device.openedNames.back(), L"COM7:");
    EXPECT_EQ(device.driverSettings.baudRate, 250000u);
    EXPECT_EQ(device.strayCalls, 0);
}

TEST(SerialPortTest, NoneClosesThePortAndNeverOpensOne) {
    FakeSerialDevice device;
    SerialPort port(device);
    ASSERT_EQ(port.Open(), 0);

    port.SelectPort(SerialPort::kNoPort);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(port.Open(), 1);
    EXPECT_EQ(port.Open(), 1);
    EXPECT_EQ(device.Calls(Op::Open), 1);
    EXPECT_FALSE(port.IsOpen());
}

TEST(SerialPortTest, DeviceNamesCoverTheWholeRangeOfNumbers) {
    FakeSerialDevice device;
    SerialPort port(device);
    for (int32_t number : {0, 15, INT32_MAX}) {
        port.SelectPort(number);
        ASSERT_EQ(port.Open(), 0);
    }
    EXPECT_EQ(device.openedNames, (std::vector<std::wstring>{L"COM0:", L"COM15:", L"COM2147483647:"}));
}

}  // namespace
