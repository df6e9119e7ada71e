#pragma once

// The serial devices this machine has now, in the order COM1, COM2, ... take them:
//   1. USB receivers by their /dev/serial/by-id/ names, sorted: the name stays the
//      same when the receiver is plugged into another socket or comes back as ttyACM1;
//   2. ttyACM<n>, then ttyUSB<n>, by number, that no by-id name leads to (no udev);
//   3. ttyS<n> by number, only those that are real UARTs: sysfs has a driver bound
//      to the line's device (/sys/class/tty/ttyS<n>/device/driver) and it is not
//      "serial8250". The 8250 driver claims every legacy port number whether or not
//      a chip answers there, so its lines are the 4 to 32 dead ones most PCs have;
//      onboard and PCI UARTs are bound to "serial" (PnP) or their own drivers.
// Read under a root folder ("/" on a live system) so that tests can pass a fake tree.
// Fixed buffers, no heap: it is read again at every attempt to open a port.
class SerialDeviceList {
public:
    static constexpr int kMaxDevices = 32;
    static constexpr int kNameBytes = 256;
    static constexpr int kDescriptionBytes = 128;

    struct Device {
        char byIdName[kNameBytes];          // the /dev/serial/by-id/ entry; empty for none
        char kernelName[32];                // ttyACM0
        char description[kDescriptionBytes];  // for people; the kernel name when nothing better is known
    };

    // root is copied; it names the folder that holds dev/ and sys/.
    explicit SerialDeviceList(const char* root = "/");

    // Lists what is there now; devices beyond kMaxDevices are left out.
    void Read();
    int Count() const { return count_; }
    const Device& At(int index) const { return devices_[index]; }
    // The path to open for the device: its by-id path when it has one. False when it
    // does not fit.
    bool PathOf(const Device& device, char* out, int outBytes) const;

    // "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" -> "FTDI FT232R USB UART".
    static void DescribeByIdName(const char* name, char* out, int outBytes);

private:
    // The new entry, or null when the list is full or a name does not fit.
    Device* Add(const char* byIdName, const char* kernelName);
    bool Listed(const char* kernelName) const;
    void AddKernelDevices(const char* prefix, bool realUartsOnly);
    bool IsRealUart(const char* kernelName) const;
    void DescribeFromSysfs(Device& device) const;

    char root_[1024] = {};
    Device devices_[kMaxDevices];
    int count_ = 0;
};
