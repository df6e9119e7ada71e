#include "shell/ReplayCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Utf8.h"
#include "shell/ConsoleObserver.h"
#include "shell/HostApplication.h"
#include "shell/ReplayClock.h"

namespace {

// Checks every file before the first byte is fed, so that a typo does not leave
// half a replay behind.
bool CheckFiles(const CommandLine& line, std::string& error) {
    for (const std::string& file : line.files) {
        struct stat info {};
        if (stat(file.c_str(), &info) != 0 || access(file.c_str(), R_OK) != 0) {
            error = "cannot read " + file + ": " + strerror(errno) + ". Check the path.";
            return false;
        }
        if (S_ISDIR(info.st_mode)) {
            error = file + " is a folder. Name the NMEA files in it instead.";
            return false;
        }
    }
    return true;
}

// A progress bar on standard error, only when that is a terminal.
class Progress {
public:
    Progress(const std::string& name, FileHandle file) : name_(name), file_(file) {
        struct stat info {};
        if (isatty(STDERR_FILENO) && fstat(file, &info) == 0) size_ = info.st_size;
    }
    void Show() {
        if (size_ <= 0) return;
        off_t at = lseek(file_, 0, SEEK_CUR);
        int percent = at < 0 ? 0 : static_cast<int>(at * 100 / size_);
        if (percent == shown_) return;
        shown_ = percent;
        int bar = percent * 30 / 100;
        fprintf(stderr, "\r%-30.30s [%.*s%*s] %3d%%", name_.c_str(), bar, "==============================",
                30 - bar, "", percent);
        fflush(stderr);
    }
    void Done() {
        if (size_ > 0) fprintf(stderr, "\r%*s\r", 72, "");
    }

private:
    std::string name_;
    FileHandle file_;
    off_t size_ = 0;
    int shown_ = -1;
};

}  // namespace

void PrepareReplay(Application& app, const CommandLine& line, ConsoleObserver& observer) {
    app.dialog.SetObserver(&observer);
    app.port.portNumber = SerialPort::kNoPort;
    app.settings.LoadOutputDir();
    app.settings.LoadTalkers();
    HostApplication::ApplyCommandLine(line);
}

int RunReplay(const CommandLine& line) {
    std::string error;
    if (!CheckFiles(line, error)) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        return 2;
    }
    FILE* statusLog = nullptr;
    if (!OpenStatusLog(line.statusLog, "wb", &statusLog)) return 2;
    static ReplayClock clock;
    if (!HostApplication::Start(line, clock, error)) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        return 2;
    }
    Application& app = HostApplication::App();
    ConsoleObserver observer(statusLog, false);
    PrepareReplay(app, line, observer);

    for (const std::string& file : line.files) {
        char absolute[PATH_MAX];
        wchar_t path[PATH_MAX];
        if (realpath(file.c_str(), absolute) == nullptr) snprintf(absolute, sizeof absolute, "%s", file.c_str());
        Utf8ToWide(absolute, path, PATH_MAX);
        if (!app.window.OpenNmeaFile(path)) continue;
        Progress progress(file, app.poller.replayFile);
        while (app.poller.Replaying()) {
            clock.NextTick();
            app.window.Tick();
            if (app.poller.Replaying()) progress.Show();
        }
        progress.Done();
    }
    app.window.Teardown();
    if (statusLog != nullptr) fclose(statusLog);
    printf("Day files (.plt track, .rte route) are in %s\n", HostApplication::OutputFolder().c_str());
    return observer.SawFileError() ? 1 : 0;
}
