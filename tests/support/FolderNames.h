#pragma once
#include <dirent.h>

#include <set>
#include <string>

// The names in a folder, without "." and ".."; none when it cannot be read.
inline std::set<std::string> FolderNames(const std::string& folder) {
    std::set<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.insert(name);
    }
    closedir(dir);
    return names;
}
