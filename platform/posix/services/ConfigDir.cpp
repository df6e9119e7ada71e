#include "platform/posix/services/ConfigDir.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

std::string HomeFolder() {
    const char* home = getenv("HOME");
    if (home != nullptr && home[0] != '\0') return home;
    const passwd* user = getpwuid(getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

std::string DefaultConfigDir() {
    // A relative XDG_CONFIG_HOME is invalid and to be ignored.
    const char* config = getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return std::string(config) + "/kestrave";
    std::string home = HomeFolder();
    return home.empty() ? home : home + "/.config/kestrave";
}
