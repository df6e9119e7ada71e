#include "cli/DayFiles.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/posix/services/HostPaths.h"

namespace {

// "2026-01-14.plt", as the logger names its days.
bool IsDatedName(const std::string& name) {
    static const char kPattern[] = "dddd-dd-dd.plt";
    if (name.size() != sizeof kPattern - 1) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : name[i] != kPattern[i]) return false;
    }
    return true;
}

bool ListDays(const std::string& folder, bool datedOnly, std::vector<std::string>& days) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        const bool wanted = datedOnly ? IsDatedName(name) : EndsWith(name, ".plt");
        if (wanted && IsHostFile(folder + "/" + name)) days.push_back(folder + "/" + name);
    }
    closedir(dir);
    std::sort(days.begin(), days.end());
    return true;
}

}  // namespace

bool EndsWith(const std::string& text, const char* end) {
    const size_t length = strlen(end);
    return text.size() >= length && text.compare(text.size() - length, length, end) == 0;
}

std::string WithoutExtension(const std::string& path) { return path.substr(0, path.size() - 4); }

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int CollectDays(const std::vector<std::string>& arguments, bool datedOnly, std::vector<std::string>* days,
                bool* folderNamed) {
    *folderNamed = false;
    for (const std::string& path : arguments) {
        if (!IsHostFolder(path)) {
            days->push_back(path);
            continue;
        }
        *folderNamed = true;
        const size_t before = days->size();
        if (!ListDays(path, datedOnly, *days)) {
            fprintf(stderr, "kestrave: cannot list the folder %s: %s. Check the path.\n", path.c_str(),
                    strerror(errno));
            return 2;
        }
        if (days->size() == before) {
            fprintf(stderr,
                    "kestrave: the folder %s holds no %s day file. Name the folder that kestrave wrote "
                    "the day files into.\n",
                    path.c_str(), datedOnly ? "YYYY-MM-DD.plt" : ".plt");
            return 2;
        }
    }
    return 0;
}

void ReportSkipped(const std::string& path, const SkippedLines& skipped, const char* what) {
    if (skipped.count == 0) return;
    fprintf(stderr, "kestrave: %s: skipped %d malformed or cut-off line%s (the first is line %d); %s\n", path.c_str(),
            skipped.count, skipped.count == 1 ? "" : "s", skipped.first, what);
}
