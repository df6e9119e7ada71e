#include "shell/Application.h"

Application::Application(FileSystem& files, Clock& clock, LocalTimeZone& zone, KeepAwake& keepAwake)
    : dialog(flags.flushRequested),
      track(files, clock, zone, dialog),
      route(files, clock, zone, dialog, messageCounter),
      selector(route),
      processor(zone, dialog, track, selector, flags.noDataTicks),
      assembler(processor),
      poller(files, clock, assembler, track, route, dialog),
      window(files, keepAwake, flags, dialog, messageCounter, track, route, poller) {}
