#include "terminal/TerminalHeldErrors.h"

#include <unistd.h>

void TerminalHeldErrors::Hold() {
    file_ = tmpfile();
    if (file_ == nullptr) return;
    fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    if (saved_ < 0 || dup2(fileno(file_), STDERR_FILENO) < 0) {
        // Left as it was: messages then land on the screen, but none is lost.
        if (saved_ >= 0) close(saved_);
        saved_ = -1;
        fclose(file_);
        file_ = nullptr;
    }
}

void TerminalHeldErrors::Release() {
    if (saved_ < 0) return;
    fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    saved_ = -1;
    rewind(file_);
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, file_)) > 0) fwrite(buffer, 1, count, stderr);
    fclose(file_);
    file_ = nullptr;
}
