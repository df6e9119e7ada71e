#pragma once
#include <string>
#include "cli/CommandLine.h"

// Where the device's folders live on this host.
struct DeviceRoot {
    std::string root;            // host folder standing for "\"
    bool outFolderGiven = false; // --out: the day files go straight into the root
};

// The output folder that stands for "write straight into the root".
constexpr const wchar_t* kRootFolder = L"\\";

// --out DIR makes DIR the root (created when its parent exists); otherwise --root
// DIR or the home folder. False with a sentence saying what to do when unusable.
bool ResolveDeviceRoot(const CommandLine& line, DeviceRoot& result, std::string& error);
