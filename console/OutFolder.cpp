#include "console/OutFolder.h"

#include "console/ConsoleHost.h"

bool PrepareOutFolder(ConsolePaths& paths, const std::string& dir, std::string& error) {
    if (paths.IsNonFolder(dir)) {
        error = "the output folder " + dir + " is a file, not a folder. Choose a folder with --out DIR.";
        return false;
    }
    std::string reason;
    if (!paths.MakeFolder(dir, &reason)) {
        error = "cannot create the output folder " + dir + ": " + reason +
                ". Create it yourself or choose another --out folder.";
        return false;
    }
    return true;
}
