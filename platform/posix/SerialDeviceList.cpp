#include "platform/posix/SerialDeviceList.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

bool Fits(int written, int outBytes) { return written >= 0 && written < outBytes; }

bool IsDigits(const char* text) {
    if (*text == '\0') return false;
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') return false;
    }
    return true;
}

const char* BaseName(const char* path) {
    const char* slash = strrchr(path, '/');
    return slash == nullptr ? path : slash + 1;
}

// Cuts "<marker><digits>" off the end of text, when it ends so.
void CutSuffix(char* text, const char* marker) {
    char* dash = strrchr(text, '-');
    if (dash != nullptr && strncmp(dash, marker, strlen(marker)) == 0 && IsDigits(dash + strlen(marker))) *dash = '\0';
}

// udev puts the USB serial number last; it is letters and digits, mostly digits
// ("A50285BI", "0001"), where words of a product name are mostly letters.
bool LooksLikeSerialNumber(const char* word, int length) {
    if (length < 4) return false;
    int digits = 0;
    for (int i = 0; i < length; ++i) {
        char c = word[i];
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        bool digit = c >= '0' && c <= '9';
        if (!letter && !digit) return false;
        digits += digit;
    }
    return digits * 2 >= length;
}

// The first line of a small sysfs file, without its end; false when there is none.
bool ReadLine(const char* path, char* out, int outBytes) {
    FILE* file = fopen(path, "re");
    if (file == nullptr) return false;
    bool got = fgets(out, outBytes, file) != nullptr;
    fclose(file);
    if (!got) return false;
    size_t length = strlen(out);
    while (length > 0 && (out[length - 1] == '\n' || out[length - 1] == ' ')) out[--length] = '\0';
    return length > 0;
}

}  // namespace

SerialDeviceList::SerialDeviceList(const char* root) {
    // Kept without its last slash, so that "/" + "dev" is "/dev".
    snprintf(root_, sizeof root_, "%s", root);
    size_t length = strlen(root_);
    while (length > 0 && root_[length - 1] == '/') root_[--length] = '\0';
}

void SerialDeviceList::Read() {
    count_ = 0;
    char folder[sizeof root_ + 32];
    snprintf(folder, sizeof folder, "%s/dev/serial/by-id", root_);
    if (DIR* dir = opendir(folder)) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            char path[sizeof folder + kNameBytes];
            char target[kNameBytes];
            if (!Fits(snprintf(path, sizeof path, "%s/%s", folder, entry->d_name), sizeof path)) continue;
            ssize_t length = readlink(path, target, sizeof target - 1);
            struct stat device {};
            // A link left behind by a receiver that is gone leads nowhere.
            if (length <= 0 || stat(path, &device) != 0) continue;
            target[length] = '\0';
            if (Device* added = Add(entry->d_name, BaseName(target))) {
                DescribeByIdName(entry->d_name, added->description, kDescriptionBytes);
            }
        }
        closedir(dir);
    }
    for (int i = 1; i < count_; ++i) {
        for (int j = i; j > 0 && strcmp(devices_[j - 1].byIdName, devices_[j].byIdName) > 0; --j) {
            Device swap = devices_[j];
            devices_[j] = devices_[j - 1];
            devices_[j - 1] = swap;
        }
    }
    AddKernelDevices("ttyACM", false);
    AddKernelDevices("ttyUSB", false);
    AddKernelDevices("ttyS", true);
}

SerialDeviceList::Device* SerialDeviceList::Add(const char* byIdName, const char* kernelName) {
    if (count_ == kMaxDevices) return nullptr;
    Device& device = devices_[count_];
    if (!Fits(snprintf(device.byIdName, sizeof device.byIdName, "%s", byIdName), sizeof device.byIdName) ||
        !Fits(snprintf(device.kernelName, sizeof device.kernelName, "%s", kernelName), sizeof device.kernelName)) {
        return nullptr;  // a name no tty has
    }
    // Until something better is known, the kernel's name describes it (a long one is cut).
    if (snprintf(device.description, sizeof device.description, "%s", kernelName) < 0) device.description[0] = '\0';
    ++count_;
    return &device;
}

bool SerialDeviceList::Listed(const char* kernelName) const {
    for (int i = 0; i < count_; ++i) {
        if (strcmp(devices_[i].kernelName, kernelName) == 0) return true;
    }
    return false;
}

void SerialDeviceList::AddKernelDevices(const char* prefix, bool realUartsOnly) {
    char folder[sizeof root_ + 8];
    snprintf(folder, sizeof folder, "%s/dev", root_);
    DIR* dir = opendir(folder);
    if (dir == nullptr) return;
    long numbers[kMaxDevices];
    int found = 0;
    size_t prefixLength = strlen(prefix);
    while (dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (found == kMaxDevices || strncmp(name, prefix, prefixLength) != 0 || !IsDigits(name + prefixLength) ||
            Listed(name) || (realUartsOnly && !IsRealUart(name))) {
            continue;
        }
        numbers[found++] = strtol(name + prefixLength, nullptr, 10);
    }
    closedir(dir);
    for (int i = 1; i < found; ++i) {
        for (int j = i; j > 0 && numbers[j - 1] > numbers[j]; --j) {
            long swap = numbers[j];
            numbers[j] = numbers[j - 1];
            numbers[j - 1] = swap;
        }
    }
    for (int i = 0; i < found; ++i) {
        char name[32];
        snprintf(name, sizeof name, "%s%ld", prefix, numbers[i]);
        Device* added = Add("", name);
        if (added != nullptr && !realUartsOnly) DescribeFromSysfs(*added);
    }
}

bool SerialDeviceList::IsRealUart(const char* kernelName) const {
    char path[sizeof root_ + 64];
    // The port's own word: the UART type the kernel found behind it, 0 when no chip
    // answered. The driver's name cannot tell (since Linux 6.5 a legacy port's driver
    // reads "port", before that "serial8250", whether or not a chip is there).
    char type[16];
    if (!Fits(snprintf(path, sizeof path, "%s/sys/class/tty/%s/type", root_, kernelName), sizeof path)) return false;
    if (ReadLine(path, type, sizeof type)) return strtol(type, nullptr, 10) != 0;
    // Without the attribute, a port with no device in sysfs or a legacy one is taken
    // for no UART.
    char driver[kNameBytes];
    if (!Fits(snprintf(path, sizeof path, "%s/sys/class/tty/%s/device/driver", root_, kernelName), sizeof path)) {
        return false;
    }
    ssize_t length = readlink(path, driver, sizeof driver - 1);
    if (length <= 0) return false;
    driver[length] = '\0';
    return strcmp(BaseName(driver), "serial8250") != 0 && strcmp(BaseName(driver), "port") != 0;
}

// The tty's device is the USB interface (ttyACM) or a port below it (ttyUSB); the
// USB device above holds the product string.
void SerialDeviceList::DescribeFromSysfs(Device& device) const {
    for (const char* up : {"..", "../.."}) {
        char path[sizeof root_ + 64];
        snprintf(path, sizeof path, "%s/sys/class/tty/%s/device/%s/product", root_, device.kernelName, up);
        if (ReadLine(path, device.description, sizeof device.description)) return;
    }
    snprintf(device.description, sizeof device.description, "%s", device.kernelName);
}

bool SerialDeviceList::PathOf(const Device& device, char* out, int outBytes) const {
    int written = device.byIdName[0] != '\0'
                      ? snprintf(out, static_cast<size_t>(outBytes), "%s/dev/serial/by-id/%s", root_, device.byIdName)
                      : snprintf(out, static_cast<size_t>(outBytes), "%s/dev/%s", root_, device.kernelName);
    return Fits(written, outBytes);
}

// The name is "usb-<vendor>_<product>_<serial>-if<nn>[-port<n>]" with spaces made
// underscores. Vendor strings are often long ("u-blox AG - www.u-blox.com") and the
// product repeats the vendor's first word, so the text starts at that repetition.
void SerialDeviceList::DescribeByIdName(const char* name, char* out, int outBytes) {
    char text[kNameBytes];
    snprintf(text, sizeof text, "%s", strncmp(name, "usb-", 4) == 0 ? name + 4 : name);
    CutSuffix(text, "-port");
    CutSuffix(text, "-if");
    constexpr int kMaxWords = 32;
    const char* words[kMaxWords];
    int lengths[kMaxWords];
    int count = 0;
    char* rest = nullptr;
    for (char* word = strtok_r(text, "_", &rest); word != nullptr && count < kMaxWords;
         word = strtok_r(nullptr, "_", &rest)) {
        words[count] = word;
        lengths[count++] = static_cast<int>(strlen(word));
    }
    if (count > 1 && LooksLikeSerialNumber(words[count - 1], lengths[count - 1])) --count;
    int first = 0;
    for (int i = 1; i < count && first == 0; ++i) {
        if (strcmp(words[i], words[0]) == 0) first = i;
    }
    out[0] = '\0';
    int used = 0;
    for (int i = first; i < count; ++i) {
        int written = snprintf(out + used, static_cast<size_t>(outBytes - used), "%s%s", i > first ? " " : "", words[i]);
        if (!Fits(written, outBytes - used)) return;
        used += written;
    }
    if (used == 0) snprintf(out, static_cast<size_t>(outBytes), "%s", name);
}
