#include "cli/HostApplication.h"

#include <cstdio>
#include <new>

#include "cli/DeviceRoot.h"
#include "cli/PosixConsolePaths.h"
#include "console/OutFolder.h"
#include "gpsd/GpsdPortChoice.h"
#include "platform/posix/services/ConfigDir.h"
#include "gpsd/GpsdSerialDevice.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/services/PosixTickTimer.h"
#include "platform/posix/PosixKeepAwake.h"
#include "platform/posix/PosixSerialDevice.h"
#include "platform/posix/PosixTimeZone.h"
#include "platform/posix/RegistryFile.h"
#include "gpsd/RoutedSerialDevice.h"
#include "shell/WideStrings.h"

namespace {

void PrintWarning(const std::string& text) { fprintf(stderr, "kestrave: warning: %s\n", text.c_str()); }

// Built in place once the command line is known; static storage, never freed.
alignas(PosixFileSystem) unsigned char filesSpace[sizeof(PosixFileSystem)];
alignas(PosixSerialDevice) unsigned char serialSpace[sizeof(PosixSerialDevice)];
alignas(RegistryFile) unsigned char storeSpace[sizeof(RegistryFile)];
alignas(Application) unsigned char appSpace[sizeof(Application)];
PosixFileSystem* files = nullptr;
Application* app = nullptr;
GpsdSerialDevice gpsd;
RoutedSerialDevice* route = nullptr;
alignas(GpsdPortChoice) unsigned char choiceSpace[sizeof(GpsdPortChoice)];
GpsdPortChoice* choice = nullptr;
std::string boundTty;  // --device

// --gpsd, else the GpsdServer setting unless --device names a tty; false with a
// sentence when the address given is not one.
bool ChooseGpsd(const CommandLine& line, std::string& error) {
    std::string server = line.gpsdServer;
    if (!line.gpsd) {
        if (!line.device.empty()) return true;
        wchar_t stored[GpsdSerialDevice::kHostBytes + GpsdSerialDevice::kPortBytes];
        app->settings.LoadGpsdServer(stored, sizeof stored / sizeof stored[0]);
        if (stored[0] == L'\0') return true;
        server = ToUtf8(stored);
    }
    if (!gpsd.Bind(server.c_str())) {
        error = (line.gpsd ? "--gpsd needs HOST, HOST:PORT or [IPv6]:PORT, not '"
                           : "the setting GpsdServer needs HOST, HOST:PORT or [IPv6]:PORT, not '") +
                server + "'. Correct it, or use --device PATH.";
        return false;
    }
    route->UseGpsd(true);
    return true;
}

}  // namespace

bool HostApplication::Start(const CommandLine& line, Clock& clock, std::string& error) {
    DeviceRoot place;
    PosixConsolePaths paths;
    if (!ResolveDeviceRoot(line, paths, place, error)) return false;
    std::string configDir = line.configDir.empty() ? DefaultConfigDir() : line.configDir;
    if (configDir.empty()) {
        PrintWarning("cannot tell where to keep the settings (HOME is not set), so they will not be kept. "
                     "Give a folder with --config DIR.");
    }
    static PosixTimeZone zone;
    static PosixKeepAwake keepAwake;
    files = new (filesSpace) PosixFileSystem(place.root.c_str());
    files->SetStopCheck(&PosixTickTimer::StopRequested);
    auto* serial = new (serialSpace)
        PosixSerialDevice(configDir.c_str(), line.device.empty() ? nullptr : line.device.c_str());
    static RoutedSerialDevice routed(*serial, gpsd);
    route = &routed;
    auto* store = new (storeSpace) RegistryFile(configDir, PrintWarning);
    app = new (appSpace) Application(*files, clock, zone, routed, *store, keepAwake);
    if (!ChooseGpsd(line, error)) return false;
    choice = new (choiceSpace) GpsdPortChoice(routed, gpsd, app->port, app->settings);
    boundTty = line.device;
    if (place.outFolderGiven) app->settings.PinOutputDir(kRootFolder);
    if (line.speed > 0) app->settings.PinSpeed(static_cast<int32_t>(line.speed));
    if (line.gpsOnly) app->settings.PinTalkers(TalkerSet::GpsOnly);
    if (line.noGpx) app->settings.PinGpx(false);
    if (line.warnAfter >= 0) app->settings.PinWarnAfter(static_cast<uint32_t>(line.warnAfter));
    return true;
}

Application& HostApplication::App() { return *app; }

FileSystem& HostApplication::Files() { return *files; }

GpsdChoice& HostApplication::Gpsd() { return *choice; }

std::string HostApplication::BoundInput() {
    if (!route->UsesGpsd()) return boundTty;
    wchar_t described[GpsdSerialDevice::kHostBytes + 32];
    gpsd.Describe(0, described, sizeof described / sizeof described[0]);
    return ToUtf8(described);
}

bool HostApplication::ReadsGpsd() { return route->UsesGpsd(); }

std::string HostApplication::OutputFolder() {
    wchar_t folder[kFolderChars];
    app->track.GetFolder(folder);
    char host[PosixFileSystem::kHostPathBytes];
    files->HostPath(folder, host, sizeof host);
    return host;
}
