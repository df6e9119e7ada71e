#pragma once
#include <cstdio>
#include "shell/StatusDialog.h"

// The boxes of a program without a screen: log lines to standard output, status
// texts to a status log file (each followed by "\n----\n") and, when asked, to
// standard output too.
class ConsoleObserver : public TextObserver {
public:
    ConsoleObserver(FILE* statusLog, bool statusToOutput) : statusLog_(statusLog), statusToOutput_(statusToOutput) {}

    void OnText(int control, const wchar_t* text, bool replaced) override;

    // True once a file error reached the log box.
    bool SawFileError() const { return sawFileError_; }

private:
    FILE* statusLog_;
    bool statusToOutput_;
    bool sawFileError_ = false;
};
