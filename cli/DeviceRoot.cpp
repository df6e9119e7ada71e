#include "cli/DeviceRoot.h"

#include "console/ConsoleHost.h"
#include "console/OutFolder.h"
#include "platform/posix/services/ConfigDir.h"
#include "platform/posix/services/HostPaths.h"

bool ResolveDeviceRoot(const CommandLine& line, ConsolePaths& paths, DeviceRoot& result, std::string& error) {
    if (!line.outDir.empty()) {
        result.root = line.outDir;
        result.outFolderGiven = true;
        return PrepareOutFolder(paths, line.outDir, error);
    }
    result.root = line.rootDir.empty() ? HomeFolder() : line.rootDir;
    if (result.root.empty()) {
        error = "cannot tell your home folder (HOME is not set). Give one with --root DIR or --out DIR.";
        return false;
    }
    if (paths.IsNonFolder(result.root)) {
        error = "the root folder " + result.root + " is a file, not a folder. Choose a folder with --root DIR.";
        return false;
    }
    if (!IsHostFolder(result.root)) {
        error = "the root folder " + result.root + " does not exist. Create it or choose another with --root DIR.";
        return false;
    }
    return true;
}
