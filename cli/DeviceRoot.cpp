#include "cli/DeviceRoot.h"

#include <cstring>

#include "platform/posix/ConfigDir.h"
#include "platform/posix/HostPaths.h"

bool ResolveDeviceRoot(const CommandLine& line, DeviceRoot& result, std::string& error) {
    if (!line.outDir.empty()) {
        result.root = line.outDir;
        result.outFolderGiven = true;
        if (IsHostFile(line.outDir)) {
            error = "the output folder " + line.outDir + " is a file, not a folder. Choose a folder with --out DIR.";
            return false;
        }
        if (const int problem = MakeHostFolder(line.outDir)) {
            error = "cannot create the output folder " + line.outDir + ": " + strerror(problem) +
                    ". Create it yourself or choose another --out folder.";
            return false;
        }
        return true;
    }
    result.root = line.rootDir.empty() ? HomeFolder() : line.rootDir;
    if (result.root.empty()) {
        error = "cannot tell your home folder (HOME is not set). Give one with --root DIR or --out DIR.";
        return false;
    }
    if (IsHostFile(result.root)) {
        error = "the root folder " + result.root + " is a file, not a folder. Choose a folder with --root DIR.";
        return false;
    }
    if (!IsHostFolder(result.root)) {
        error = "the root folder " + result.root + " does not exist. Create it or choose another with --root DIR.";
        return false;
    }
    return true;
}
