#pragma once
#include <string>
#include "console/CommandLine.h"

class ConsolePaths;

// Where the device's folders live on this host.
struct DeviceRoot {
    std::string root;            // host folder standing for "\"
    bool outFolderGiven = false; // --out: the day files go straight into the root
};

// --out DIR makes DIR the root (created when its parent exists); otherwise --root
// DIR or the home folder. False with a sentence saying what to do when unusable.
bool ResolveDeviceRoot(const CommandLine& line, ConsolePaths& paths, DeviceRoot& result, std::string& error);
