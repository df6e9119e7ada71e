#include "console/ClosingLines.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "shell/Application.h"

int SayClosingLines(Application& app, const char* closingLine, const char* nothingWrittenLine,
                    const std::string& folder, int code) {
    if (code != 2) {
        const bool nothingWritten = app.track.LinesWritten() + app.route.LinesWritten() == 0;
        if (nothingWritten && nothingWrittenLine != nullptr) {
            printf("%s\n", nothingWrittenLine);
        } else {
            printf("%s%s\n", closingLine, folder.c_str());
        }
    }
    errno = 0;
    if (fflush(stdout) == 0 && !ferror(stdout)) return code;
    const int error = errno;
    fprintf(stderr,
            "kestrave: some lines could not be printed to standard output (%s); the day files are written all "
            "the same. To see every line, send the output to a file or read it to the end.\n",
            error != 0 ? strerror(error) : "a write failed");
    return code == 0 ? 1 : code;
}
