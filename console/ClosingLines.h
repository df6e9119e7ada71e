#pragma once
#include <string>

class Application;

// A run's last words on standard output, after the teardown: where the day files are,
// or nothingWrittenLine (when given) if no line went into them; nothing of the kind
// after a refused start (code 2). Printing to a reader that went away, or to a full
// disk, does not stop a run; here standard error says that lines were lost, and an
// exit code of 0 becomes 1.
int SayClosingLines(Application& app, const char* closingLine, const char* nothingWrittenLine,
                    const std::string& folder, int code);
