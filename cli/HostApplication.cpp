#include "cli/HostApplication.h"

#include <cstdio>
#include <new>

#include "cli/DeviceRoot.h"
#include "platform/posix/ConfigDir.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixKeepAwake.h"
#include "platform/posix/PosixSerialDevice.h"
#include "platform/posix/PosixTimeZone.h"
#include "platform/posix/RegistryFile.h"

namespace {

void PrintWarning(const std::string& text) { fprintf(stderr, "kestrave: warning: %s\n", text.c_str()); }

// Built in place once the command line is known; static storage, never freed.
alignas(PosixFileSystem) unsigned char filesSpace[sizeof(PosixFileSystem)];
alignas(PosixSerialDevice) unsigned char serialSpace[sizeof(PosixSerialDevice)];
alignas(RegistryFile) unsigned char storeSpace[sizeof(RegistryFile)];
alignas(Application) unsigned char appSpace[sizeof(Application)];
PosixFileSystem* files = nullptr;
Application* app = nullptr;

}  // namespace

bool HostApplication::Start(const CommandLine& line, Clock& clock, std::string& error) {
    DeviceRoot place;
    if (!ResolveDeviceRoot(line, place, error)) return false;
    std::string configDir = line.configDir.empty() ? DefaultConfigDir() : line.configDir;
    if (configDir.empty()) {
        PrintWarning("cannot tell where to keep the settings (HOME is not set), so they will not be kept. "
                     "Give a folder with --config DIR.");
    }
    static PosixTimeZone zone;
    static PosixKeepAwake keepAwake;
    files = new (filesSpace) PosixFileSystem(place.root.c_str());
    auto* serial = new (serialSpace)
        PosixSerialDevice(configDir.c_str(), line.device.empty() ? nullptr : line.device.c_str());
    auto* store = new (storeSpace) RegistryFile(configDir, PrintWarning);
    app = new (appSpace) Application(*files, clock, zone, *serial, *store, keepAwake);
    if (place.outFolderGiven) app->settings.PinOutputDir(kRootFolder);
    if (line.speed > 0) app->settings.PinSpeed(static_cast<int32_t>(line.speed));
    if (line.gpsOnly) app->settings.PinTalkers(TalkerSet::GpsOnly);
    return true;
}

Application& HostApplication::App() { return *app; }

FileSystem& HostApplication::Files() { return *files; }

std::string HostApplication::OutputFolder() {
    wchar_t folder[kFolderChars];
    app->track.GetFolder(folder);
    char host[PosixFileSystem::kHostPathBytes];
    files->HostPath(folder, host, sizeof host);
    return host;
}
