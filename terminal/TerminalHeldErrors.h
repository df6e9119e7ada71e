#pragma once
#include <cstdio>

// While the screen is up, what is written to stderr (a settings file that cannot be
// read or saved) goes to a file instead of into the picture; Release shows it once
// the terminal is back.
class TerminalHeldErrors {
public:
    ~TerminalHeldErrors() { Release(); }
    void Hold();
    void Release();

private:
    FILE* file_ = nullptr;
    int saved_ = -1;
};
