#pragma once
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

extern char** environ;

// The real kestrave program running beside a test, in UTC, with standard output and
// standard error going to a file. One that is still running at the end is killed.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& args, const std::string& outputPath) {
        std::vector<std::string> words{KESTRAVE_BINARY};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<std::string> settings{"TZ=UTC0", "LC_ALL=C"};
        for (char** entry = environ; *entry != nullptr; ++entry) {
            std::string setting = *entry;
            if (setting.rfind("TZ=", 0) != 0 && setting.rfind("LC_ALL=", 0) != 0) settings.push_back(setting);
        }
        // Everything exec needs is built before the fork.
        std::vector<char*> argv = Pointers(words);
        std::vector<char*> envp = Pointers(settings);
        int output = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (output < 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(output, STDOUT_FILENO);
            dup2(output, STDERR_FILENO);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        close(output);
    }
    ~ChildProcess() {
        if (Running()) {
            kill(pid_, SIGKILL);
            WaitForExit(10000);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    void Signal(int number) {
        if (Running()) kill(pid_, number);
    }
    bool Running() {
        Reap();
        return pid_ > 0 && !exited_;
    }
    // True when the program ended within the time.
    bool WaitForExit(int timeoutMs) {
        return WaitFor([this] { return !Running(); }, timeoutMs);
    }
    // The exit code, or -1 after a signal ended it.
    int ExitCode() const { return exitCode_; }

    // Checks the condition every 50 ms until it holds or the time is up.
    static bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
        for (int waited = 0;; waited += 50) {
            if (condition()) return true;
            if (waited >= timeoutMs) return false;
            timespec pause{0, 50 * 1000000};
            nanosleep(&pause, nullptr);
        }
    }

private:
    static std::vector<char*> Pointers(std::vector<std::string>& words) {
        std::vector<char*> pointers;
        for (std::string& word : words) pointers.push_back(&word[0]);
        pointers.push_back(nullptr);
        return pointers;
    }

    void Reap() {
        if (pid_ <= 0 || exited_) return;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) != pid_) return;
        exited_ = true;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    pid_t pid_ = -1;
    bool exited_ = false;
    int exitCode_ = -1;
};
