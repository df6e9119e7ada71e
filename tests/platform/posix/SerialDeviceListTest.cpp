#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "input/SerialPort.h"
#include "platform/posix/PosixSerialDevice.h"
#include "platform/posix/SerialDeviceList.h"
#include "tests/support/TempFolder.h"

namespace {

// A machine's dev/ and sys/ in a temporary folder, laid out as udev and the kernel
// lay them out: by-id links point at ../../ttyXXX, a tty's sysfs "device" link leads to
// the USB interface (ttyACM) or to a port below it (ttyUSB), and a UART's device has a
// "driver" link.
class FakeDeviceTree {
public:
    FakeDeviceTree() {
        Folder("dev");
        Folder("settings");
    }

    void Tty(const std::string& name) { temp.Write("dev/" + name, ""); }
    void Untty(const std::string& name) { EXPECT_EQ(unlink((temp.path + "/dev/" + name).c_str()), 0); }
    void ById(const std::string& name, const std::string& kernelName) {
        Folder("dev/serial/by-id");
        Link("../../" + kernelName, "dev/serial/by-id/" + name);
    }
    // A USB device with a product string, its interface and the tty below it.
    void UsbTty(const std::string& kernelName, const std::string& product, bool portBelowInterface) {
        Tty(kernelName);
        std::string usb = "sys/devices/usb-" + kernelName;
        std::string interface = usb + "/1-1:1.0";
        Folder(interface);
        temp.Write(usb + "/product", product + "\n");
        std::string device = interface;
        if (portBelowInterface) Folder(device = interface + "/" + kernelName);
        Folder("sys/class/tty/" + kernelName);
        Link(temp.path + "/" + device, "sys/class/tty/" + kernelName + "/device");
    }
    // A ttyS line; driver empty: sysfs has no device for it at all; type: the UART
    // type the kernel found (0: none answered), empty for a kernel without the attribute.
    void Uart(int number, const std::string& driver, const std::string& type = "") {
        std::string name = "ttyS" + std::to_string(number);
        Tty(name);
        Folder("sys/class/tty/" + name);
        if (!type.empty()) temp.Write("sys/class/tty/" + name + "/type", type + "\n");
        if (driver.empty()) return;
        std::string device = "sys/devices/uart" + std::to_string(number);
        Folder(device);
        Folder("sys/bus/drivers/" + driver);
        Link(temp.path + "/" + device, "sys/class/tty/" + name + "/device");
        Link(temp.path + "/sys/bus/drivers/" + driver, device + "/driver");
    }
    void PortLink(const std::string& name, const std::string& target) {
        Folder("settings/ports");
        Link(target, "settings/ports/" + name);
    }

    // Kernel names in the list's order.
    std::vector<std::string> Read(SerialDeviceList& list) const {
        list.Read();
        std::vector<std::string> names;
        for (int i = 0; i < list.Count(); ++i) names.push_back(list.At(i).kernelName);
        return names;
    }

    std::string Root() const { return temp.path; }
    std::string Settings() const { return temp.path + "/settings"; }

private:
    void Folder(const std::string& name) { ASSERT_EQ(system(("mkdir -p '" + temp.path + "/" + name + "'").c_str()), 0); }
    void Link(const std::string& target, const std::string& name) {
        ASSERT_EQ(symlink(target.c_str(), (temp.path + "/" + name).c_str()), 0) << name;
    }

    TempFolder temp;
};

// As the port menu asks, through the port.
std::string Label(const SerialPort& port, int32_t number, bool* present = nullptr) {
    wchar_t text[256];
    bool got = port.Describe(number, text, 256);
    if (present != nullptr) *present = got;
    std::wstring wide(text);
    return std::string(wide.begin(), wide.end());
}

std::string Resolved(PosixSerialDevice& device, const wchar_t* name) {
    char path[PosixSerialDevice::kPathBytes];
    return device.ResolvePath(name, path, sizeof path) ? path : "(none: errno " + std::to_string(device.LastError()) + ")";
}

TEST(SerialDeviceListTest, ByIdNamesComeFirstThenAcmAndUsbThenOnlyRealUartsByNumber) {
    FakeDeviceTree tree;
    for (const char* name : {"ttyACM10", "ttyACM2", "ttyACM1", "ttyACM0", "ttyUSB1", "ttyUSB0", "ttyS", "ttySx1"}) {
        tree.Tty(name);
    }
    tree.ById("usb-u-blox_AG_-_www.u-blox.com_u-blox_GNSS_receiver-if00", "ttyACM1");
    tree.ById("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");
    tree.ById("usb-Gone_Receiver_1234-if00", "ttyACM7");  // left behind, its tty is gone
    tree.Uart(10, "exar_serial");
    tree.Uart(0, "serial");       // an onboard port found by PnP
    tree.Uart(1, "serial8250");   // a legacy number where no chip answers
    tree.Uart(2, "");             // no device in sysfs
    tree.Uart(3, "port", "0");    // a current kernel's legacy port where no chip answers
    tree.Uart(4, "port", "4");    // a current kernel's legacy port with a 16550A behind it
    tree.Uart(5, "port");         // the same kernel's name, without the type: no UART
    tree.Uart(6, "exar_serial", "0");  // the port's own type beats the driver's name

    SerialDeviceList list(tree.Root().c_str());
    const std::vector<std::string> expected = {"ttyUSB0", "ttyACM1", "ttyACM0", "ttyACM2",
                                               "ttyACM10", "ttyUSB1", "ttyS0", "ttyS4", "ttyS10"};
    EXPECT_EQ(tree.Read(list), expected);
    EXPECT_EQ(tree.Read(list), expected) << "a second reading keeps the order";

    char path[PosixSerialDevice::kPathBytes];
    ASSERT_TRUE(list.PathOf(list.At(1), path, sizeof path));
    EXPECT_EQ(std::string(path),
              tree.Root() + "/dev/serial/by-id/usb-u-blox_AG_-_www.u-blox.com_u-blox_GNSS_receiver-if00");
    ASSERT_TRUE(list.PathOf(list.At(2), path, sizeof path));
    EXPECT_EQ(std::string(path), tree.Root() + "/dev/ttyACM0");
    char tooSmall[16];
    EXPECT_FALSE(list.PathOf(list.At(2), tooSmall, sizeof tooSmall));
}

TEST(SerialDeviceListTest, DescriptionsComeFromByIdNamesThenSysfsThenTheKernelName) {
    const std::pair<const char*, const char*> names[] = {
        {"usb-u-blox_AG_-_www.u-blox.com_u-blox_GNSS_receiver-if00", "u-blox GNSS receiver"},
        {"usb-u-blox_AG_-_www.u-blox.com_u-blox_7_-_GPS_GNSS_Receiver-if00", "u-blox 7 - GPS GNSS Receiver"},
        {"usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "FTDI FT232R USB UART"},
        {"usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0",
         "Silicon Labs CP2102 USB to UART Bridge Controller"},
        {"usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0", "Prolific Technology Inc. USB-Serial Controller"},
        {"usb-1a86_USB_Serial-if00-port0", "1a86 USB Serial"},
    };
    for (const auto& name : names) {
        char text[SerialDeviceList::kDescriptionBytes];
        SerialDeviceList::DescribeByIdName(name.first, text, sizeof text);
        EXPECT_EQ(std::string(text), name.second) << name.first;
    }

    FakeDeviceTree tree;
    tree.UsbTty("ttyACM0", "u-blox GNSS receiver", false);
    tree.UsbTty("ttyUSB0", "CP2102 USB to UART Bridge Controller", true);
    tree.Tty("ttyUSB1");
    tree.Uart(0, "serial");
    SerialDeviceList list(tree.Root().c_str());
    ASSERT_EQ(tree.Read(list).size(), 4u);
    EXPECT_STREQ(list.At(0).description, "u-blox GNSS receiver");
    EXPECT_STREQ(list.At(1).description, "CP2102 USB to UART Bridge Controller");
    EXPECT_STREQ(list.At(2).description, "ttyUSB1");
    EXPECT_STREQ(list.At(3).description, "ttyS0");
}

// COM<n> is the n-th device present at each attempt, unless a ports/ link names
// another; COM0 and numbers beyond the list lead nowhere.
TEST(SerialDeviceListTest, ComNumbersFollowTheDevicesPresentAtEachOpenAndALinkWins) {
    FakeDeviceTree tree;
    tree.Uart(0, "serial");
    PosixSerialDevice device(tree.Settings().c_str(), nullptr, tree.Root().c_str());
    EXPECT_EQ(Resolved(device, L"COM1:"), tree.Root() + "/dev/ttyS0");
    EXPECT_EQ(Resolved(device, L"COM2:"), "(none: errno " + std::to_string(ENOENT) + ")");
    EXPECT_EQ(Resolved(device, L"COM0:"), "(none: errno " + std::to_string(ENOENT) + ")");

    // Plugged in while the program runs: the next attempt finds it, ahead of ttyS0.
    tree.Tty("ttyACM0");
    tree.ById("usb-u-blox_AG_-_www.u-blox.com_u-blox_GNSS_receiver-if00", "ttyACM0");
    const std::string receiver = tree.Root() + "/dev/serial/by-id/usb-u-blox_AG_-_www.u-blox.com_u-blox_GNSS_receiver-if00";
    EXPECT_EQ(Resolved(device, L"COM1:"), receiver);
    EXPECT_EQ(Resolved(device, L"COM2:"), tree.Root() + "/dev/ttyS0");
    SerialPort port(device);
    port.SelectPort(3);
    EXPECT_EQ(port.Open(), SerialPort::kOpenFailed);
    EXPECT_EQ(device.LastError(), static_cast<uint32_t>(ENOENT));

    tree.PortLink("com1", "/dev/ttyUSB3");
    EXPECT_EQ(Resolved(device, L"COM1:"), tree.Settings() + "/ports/com1");
    EXPECT_EQ(Resolved(device, L"COM2:"), tree.Root() + "/dev/ttyS0") << "a link does not move the others";
    tree.PortLink("com0", "/dev/ttyUSB4");
    EXPECT_EQ(Resolved(device, L"COM0:"), tree.Settings() + "/ports/com0");
}

TEST(SerialDeviceListTest, MenuLabelsSayWhatEachNumberLeadsToNow) {
    FakeDeviceTree tree;
    tree.UsbTty("ttyACM0", "u-blox GNSS receiver", false);
    tree.Uart(0, "serial");
    tree.PortLink("com3", "/dev/ttyUSB3");
    PosixSerialDevice device(tree.Settings().c_str(), nullptr, tree.Root().c_str());
    SerialPort port(device);
    bool present = false;
    EXPECT_EQ(Label(port, 1, &present), "u-blox GNSS receiver (ttyACM0)");
    EXPECT_TRUE(present);
    EXPECT_EQ(Label(port, 2), "ttyS0");
    EXPECT_EQ(Label(port, 3, &present), "/dev/ttyUSB3 (ports/com3)");
    EXPECT_TRUE(present) << "a link is taken as the user's word, even to a tty that is not there";
    for (int32_t number : {-1, 0, 4, 15}) {
        EXPECT_EQ(Label(port, number, &present), "not present") << number;
        EXPECT_FALSE(present) << number;
    }

    // Asking leaves the error of the last open as it was: the fake ttyACM0 is a
    // plain file, no terminal.
    port.SelectPort(1);
    ASSERT_EQ(port.Open(), SerialPort::kSetupQueuesFailed);
    tree.Untty("ttyS0");
    EXPECT_EQ(Label(port, 2), "not present") << "unplugged since the last reading";
    EXPECT_EQ(device.LastError(), static_cast<uint32_t>(ENOTTY));

    PosixSerialDevice bound(tree.Settings().c_str(), "/dev/pts/7", tree.Root().c_str());
    SerialPort boundPort(bound);
    EXPECT_EQ(Label(boundPort, 1), "/dev/pts/7 (--device)");
    EXPECT_EQ(Label(boundPort, 3), "/dev/pts/7 (--device)");
    EXPECT_EQ(Label(boundPort, -1), "not present");
}

}  // namespace
