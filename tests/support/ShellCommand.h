#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <string>

struct ShellOutcome {
    int exitCode;
    std::string output;
};

// Runs a line of sh and collects what it prints on standard output; exit code -1 when it
// could not start or a signal ended it.
inline ShellOutcome RunShell(const std::string& command) {
    ShellOutcome run{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char chunk[4096];
    for (size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;) run.output.append(chunk, got);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The program under test with these arguments, in the time zone given and the C locale;
// what it prints on standard output and standard error.
inline ShellOutcome Kestrave(const std::string& args, const std::string& zone = "UTC0") {
    return RunShell("TZ=" + zone + " LC_ALL=C '" + KESTRAVE_BINARY + "' " + args + " 2>&1");
}
