#include "console/ReplayLoop.h"

#include <cstdio>

#include "shell/Application.h"

void PrepareReplay(Application& app) {
    app.port.portNumber = SerialPort::kNoPort;
    app.window.Tick();
}

bool ReplayFile(Application& app, ReplayClock& clock, const wchar_t* path, ReplayWatcher& watcher,
                uint64_t* stoppedAt) {
    if (watcher.StopRequested()) return false;
    if (!app.window.OpenNmeaFile(path)) return true;
    watcher.Started(app.window.Files().Size(app.poller.replayFile));
    while (app.poller.Replaying()) {
        if (watcher.StopRequested()) {
            watcher.Finished();
            *stoppedAt = app.poller.ReplayedBytes();
            return false;
        }
        clock.NextTick();
        app.window.Tick();
        if (app.poller.Replaying()) watcher.Fed(app.poller.ReplayedBytes());
    }
    watcher.Finished();
    return true;
}

bool FileErrorsLogged(Application& app) {
    return app.track.FileErrors() + app.route.FileErrors() + app.window.FileErrors() > 0;
}

void SayReplayStopped(const char* by, const std::string& file, uint64_t at) {
    fprintf(stderr,
            "kestrave: replay stopped by %s in %s after %llu bytes; the day files hold every point read before, "
            "and no later file was replayed.\n",
            by, file.c_str(), static_cast<unsigned long long>(at));
}
