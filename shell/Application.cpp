#include "shell/Application.h"

namespace {
// Both window programs choose the port and its speed in the Tools menu.
const PortAdvice kMenuPortAdvice = {L"choose another port in Tools > Select input port",
                                    L"choose another speed in Tools > Select port speed"};
}  // namespace

Application::Application(FileSystem& files, Clock& clock, LocalTimeZone& zone, SerialDevice& serial,
                         SettingsStore& store, KeepAwake& keepAwake)
    : dialog(flags.flushRequested),
      track(files, clock, zone, dialog),
      route(files, clock, zone, dialog, messageCounter),
      selector(route),
      processor(zone, dialog, track, selector, flags.noDataTicks),
      assembler(processor),
      port(serial),
      poller(files, clock, port, assembler, track, route, dialog),
      settings(store, port.portNumber, port.portSpeed, track, route, assembler),
      folderDialog(files, track, route, settings),
      window(files, keepAwake, flags, dialog, messageCounter, track, route, poller, port, settings),
      state(port, poller, assembler, processor, track, route, zone, dialog) {
    window.SetProcessor(&processor);
    poller.SetAdvice(kMenuPortAdvice);
    window.SetRecordingState(&state);
}
