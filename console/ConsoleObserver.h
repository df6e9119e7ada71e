#pragma once
#include <cstdio>
#include <string>
#include "console/StatusChanges.h"
#include "shell/StatusDialog.h"

class ConsolePaths;

// The boxes of a program without a screen: log lines to standard output, status
// texts to a status log file (each followed by "\n----\n") and, when asked, to
// standard output too: all of them, or (quiet) the changes of state alone.
// Opens the --status-log file when one is given, to add to what it holds; false,
// after saying why on standard error, when it cannot be written.
bool OpenStatusLog(ConsolePaths& paths, const std::string& path, FILE** file);
// Closes it (none: nothing to do); false, after saying why on standard error, when
// not everything written reached it.
bool CloseStatusLog(const std::string& path, FILE* file);

class ConsoleObserver : public TextObserver {
public:
    ConsoleObserver(FILE* statusLog, bool statusToOutput, bool quiet = false)
        : statusLog_(statusLog), statusToOutput_(statusToOutput), quiet_(quiet) {}

    void OnText(int control, const wchar_t* text, bool replaced) override;
    bool KeepsStatusLog() const { return statusLog_ != nullptr; }

private:
    FILE* statusLog_;
    bool statusToOutput_;
    bool quiet_;
    StatusChanges changes_;
};
