#include "console/ConsoleObserver.h"

#include <cerrno>
#include <cstring>
#include <cwchar>

#include "console/ConsoleHost.h"
#include "platform/Utf8.h"
#include "shell/WideStrings.h"

namespace {

// Prints box text with the box's CR LF as plain line ends.
void PrintLines(const char* text, FILE* out) {
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p != '\r') fputc(*p, out);
    }
    fflush(out);
}

}  // namespace

void ConsoleObserver::OnText(int control, const wchar_t* text, bool) {
    // A replay changes the status text once a second of recording; unread, it costs nothing.
    if (control != kLogBox && statusLog_ == nullptr && !statusToOutput_) return;
    static char utf8[4 * 32768];
    WideToUtf8(text, utf8, sizeof utf8);
    if (control == kLogBox) {
        PrintLines(utf8, stdout);
        return;
    }
    if (statusLog_ != nullptr) {
        fputs(utf8, statusLog_);
        fputs("\n----\n", statusLog_);
    }
    if (statusToOutput_ && quiet_) {
        const std::wstring& change = changes_.Take(text);
        if (change.empty()) return;
        WideToUtf8(change.c_str(), utf8, sizeof utf8);
    }
    if (statusToOutput_) {
        PrintLines(utf8, stdout);
        fputs("\n", stdout);
        fflush(stdout);
    }
}

bool OpenStatusLog(ConsolePaths& paths, const std::string& path, FILE** file) {
    *file = nullptr;
    if (path.empty()) return true;
    *file = paths.OpenForAppend(path);
    if (*file != nullptr) return true;
    fprintf(stderr, "kestrave: cannot write the status log %s: %s. Check the folder or choose another file.\n",
            path.c_str(), strerror(errno));
    return false;
}

bool CloseStatusLog(const std::string& path, FILE* file) {
    if (file == nullptr) return true;
    errno = 0;
    const bool written = fflush(file) == 0 && !ferror(file);
    const int error = errno;
    if (fclose(file) == 0 && written) return true;
    const int why = error != 0 ? error : errno;
    fprintf(stderr, "kestrave: the status log %s misses texts: %s. Check the free space, or choose another file.\n",
            path.c_str(), why != 0 ? strerror(why) : "a write failed");
    return false;
}
