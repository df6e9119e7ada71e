#include "cli/DeviceRoot.h"

#include "platform/posix/ConfigDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool ResolveDeviceRoot(const CommandLine& line, DeviceRoot& result, std::string& error) {
    if (!line.outDir.empty()) {
        result.root = line.outDir;
        result.outFolderGiven = true;
        if (!IsFolder(line.outDir) && mkdir(line.outDir.c_str(), 0777) != 0) {
            error = "cannot create the output folder " + line.outDir + ": " + strerror(errno) +
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
    if (!IsFolder(result.root)) {
        error = "the root folder " + result.root + " does not exist. Create it or choose another with --root DIR.";
        return false;
    }
    return true;
}
