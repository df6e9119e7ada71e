#include "platform/posix/RegistryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Utf8.h"
#include "platform/posix/services/HostPaths.h"

namespace {

// A settings file is a few hundred bytes; anything this large is not one.
constexpr size_t kMaxFileBytes = 1 << 20;

// Names settings.reg.bad to settings.reg.bad.99 are tried for a file not understood.
constexpr int kAsideNames = 100;

const char kRoot[] = "HKEY_CURRENT_USER\\";

std::string Utf8(const wchar_t* text) {
    std::string out;
    for (; *text != L'\0'; ++text) {
        char bytes[8];
        int used = 0;
        AppendUtf8(*text, bytes, sizeof bytes, &used);
        out.append(bytes, static_cast<size_t>(used));
    }
    return out;
}

// 0, or the errno of the failure.
int MakeFolders(const std::string& dir) {
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        std::string part = dir.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0) {
            int error = errno;
            // EEXIST here means a plain file stands where the folder should be.
            if (!IsHostFolder(part)) return error == EEXIST ? ENOTDIR : error;
        }
        if (slash == std::string::npos) return 0;
    }
}

// True when path leads to the file of that device and inode number.
bool IsFile(const std::string& path, dev_t device, ino_t inode) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && info.st_dev == device && info.st_ino == inode;
}

// Makes the rename itself durable; a failure here loses nothing already written.
void SyncFolder(const std::string& dir) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// A key exists when it has a line of its own or a subkey has one.
bool KeyExists(const std::vector<RegistryLine>& lines, const std::string& key) {
    for (const RegistryLine& line : lines) {
        if (line.kind != RegistryLine::Kind::Key || line.key.size() < key.size()) continue;
        if (!SameRegistryName(line.key.substr(0, key.size()), key)) continue;
        if (line.key.size() == key.size() || line.key[key.size()] == '\\') return true;
    }
    return false;
}

// The last one wins, as when regedit imports the file.
int FindValue(const std::vector<RegistryLine>& lines, const std::string& key, const std::string& name) {
    for (size_t i = lines.size(); i > 0; --i) {
        const RegistryLine& line = lines[i - 1];
        if (line.kind == RegistryLine::Kind::Value && SameRegistryName(line.key, key) &&
            SameRegistryName(line.name, name)) {
            return static_cast<int>(i - 1);
        }
    }
    return -1;
}

// Behind the key's last value, or behind its line when it has none; -1 without a line.
int InsertionPoint(const std::vector<RegistryLine>& lines, const std::string& key) {
    int at = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != RegistryLine::Kind::Other && SameRegistryName(lines[i].key, key)) {
            at = static_cast<int>(i + 1);
        }
    }
    return at;
}

// A new key goes at the end, after a blank line; a new file gets its header first.
bool AppendKey(std::vector<RegistryLine>& lines, const std::string& key) {
    RegistryLine keyLine;
    if (!MakeKeyLine(key, &keyLine)) return false;
    if (lines.empty()) lines.push_back(MakeOtherLine(kRegistryHeader));
    if (!lines.back().text.empty()) lines.push_back(MakeOtherLine(""));
    lines.push_back(std::move(keyLine));
    return true;
}

}  // namespace

RegistryFile::RegistryFile(const std::string& configDir, Warning warning)
    : dir_(configDir), warning_(std::move(warning)) {
    if (!dir_.empty()) path_ = dir_ + "/settings.reg";
}

bool RegistryFile::ReplaceFile(const char* from, const char* to) { return rename(from, to) == 0; }

void RegistryFile::Warn(const std::string& text) {
    if (text == lastWarning_) return;
    lastWarning_ = text;
    if (warning_) warning_(text);
}

void RegistryFile::Load() {
    lines_.clear();
    keepAside_ = false;
    if (path_.empty()) return;
    std::string text;
    struct stat identity {};
    int error = ReadWholeFile(path_, kMaxFileBytes, &text, &identity);
    int line = 0;
    std::string problem;
    // ENOTDIR: a plain file stands where a folder of the path should; so there is no
    // settings file either, and the save will say what is in the way.
    if (error == ENOENT || error == ENOTDIR) {
        lastWarning_.clear();
        return;
    }
    const std::string consequence = "; the settings in it are not used, and the next save keeps it as " +
                                    path_ + ".bad (or .bad.1, .bad.2, ... when that is taken) and writes a new one";
    if (error != 0) {
        Warn("cannot read the settings file " + path_ + ": " + strerror(error) + consequence + ".");
    } else if (!ParseRegistryText(text, lines_, &line, &problem)) {
        Warn("settings file " + path_ + " line " + std::to_string(line) + " is not understood (" +
             problem + ")" + consequence + ". Fix or delete it.");
    } else {
        lastWarning_.clear();
        return;
    }
    keepAside_ = true;
    asideDevice_ = identity.st_dev;
    asideInode_ = identity.st_ino;
}

// A hard link: it never replaces a name that exists, so no earlier .bad file is lost,
// and the settings file stays in place for anyone reading it until the rename.
int RegistryFile::KeepAside(std::string* kept) {
    for (int number = 0; number < kAsideNames; ++number) {
        *kept = path_ + ".bad" + (number == 0 ? "" : "." + std::to_string(number));
        if (link(path_.c_str(), kept->c_str()) == 0) {
            if (IsFile(*kept, asideDevice_, asideInode_)) return 0;
            // Another program saved a good file in its place since it was read.
            unlink(kept->c_str());
            kept->clear();
            return 0;
        }
        const int error = errno;
        // Gone, or kept already by another program that read it too.
        if (error == ENOENT || (error == EEXIST && IsFile(*kept, asideDevice_, asideInode_))) {
            kept->clear();
            return 0;
        }
        if (error != EEXIST) return error;
    }
    return EEXIST;
}

bool RegistryFile::Save(std::vector<RegistryLine>& lines) {
    if (path_.empty()) return false;
    std::string temporary;
    int error = MakeFolders(dir_);
    if (error == 0) error = WriteTemporary(path_, JoinRegistryText(lines), 0600, &temporary);
    std::string kept;
    if (error == 0 && keepAside_ && (error = KeepAside(&kept)) != 0) {
        unlink(temporary.c_str());
        Warn("cannot save the settings to " + path_ + ": the file there, which could not be used, cannot be kept as " +
             kept + " (" + strerror(error) + "). Move it away yourself or choose another folder with --config DIR.");
        return false;
    }
    if (error == 0 && !ReplaceFile(temporary.c_str(), path_.c_str())) error = errno;
    if (error != 0) {
        if (!temporary.empty()) unlink(temporary.c_str());
        Warn("cannot save the settings to " + path_ + ": " + strerror(error) +
             ". Make that folder writable or choose another with --config DIR.");
        return false;
    }
    SyncFolder(dir_);
    lines_.swap(lines);
    keepAside_ = false;
    if (!kept.empty()) {
        Warn("the settings file that could not be used is kept as " + kept + "; " + path_ +
             " now holds the settings saved.");
    }
    return true;
}

SettingsKey RegistryFile::Handle(const std::string& key) {
    for (size_t i = 0; i < openKeys_.size(); ++i) {
        if (openKeys_[i].empty()) {
            openKeys_[i] = key;
            return static_cast<SettingsKey>(i);
        }
    }
    openKeys_.push_back(key);
    return static_cast<SettingsKey>(openKeys_.size() - 1);
}

const std::string* RegistryFile::KeyOf(SettingsKey handle) const {
    if (handle < 0 || static_cast<size_t>(handle) >= openKeys_.size()) return nullptr;
    const std::string& key = openKeys_[static_cast<size_t>(handle)];
    return key.empty() ? nullptr : &key;
}

SettingsKey RegistryFile::OpenKey(const wchar_t* path) {
    Load();
    const std::string key = kRoot + Utf8(path);
    return KeyExists(lines_, key) ? Handle(key) : kInvalidKey;
}

SettingsKey RegistryFile::CreateKey(const wchar_t* path) {
    Load();
    const std::string key = kRoot + Utf8(path);
    if (!KeyExists(lines_, key)) {
        std::vector<RegistryLine> lines = lines_;
        if (!AppendKey(lines, key) || !Save(lines)) return kInvalidKey;
    }
    return Handle(key);
}

QueryResult RegistryFile::QueryValue(SettingsKey handle, const wchar_t* name, uint32_t* type,
                                     void* data, uint32_t* size) {
    const std::string* key = KeyOf(handle);
    if (key == nullptr) return QueryResult::Missing;
    int found = FindValue(lines_, *key, Utf8(name));
    if (found < 0) return QueryResult::Missing;
    const RegistryLine& value = lines_[static_cast<size_t>(found)];
    if (type != nullptr) *type = value.type;
    const uint32_t room = *size;
    *size = static_cast<uint32_t>(value.data.size());
    if (data == nullptr) return QueryResult::Success;
    if (*size > room) return QueryResult::MoreData;
    if (*size > 0) memcpy(data, value.data.data(), *size);
    return QueryResult::Success;
}

bool RegistryFile::SetValue(SettingsKey handle, const wchar_t* name, uint32_t type,
                            const void* data, uint32_t size) {
    const std::string* key = KeyOf(handle);
    if (key == nullptr || (data == nullptr && size > 0)) return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    const std::vector<uint8_t> blob(bytes, bytes + size);
    std::vector<RegistryLine> lines = lines_;
    const std::string valueName = Utf8(name);
    int found = FindValue(lines, *key, valueName);
    RegistryLine line;
    // A value set again keeps the spelling of its name as the file has it.
    if (!MakeValueLine(*key, found >= 0 ? lines[static_cast<size_t>(found)].name : valueName, type,
                       blob, &line)) {
        return false;
    }
    if (found >= 0) {
        lines[static_cast<size_t>(found)] = std::move(line);
    } else {
        // The key's lines may have gone when the file was edited since the key was opened.
        if (InsertionPoint(lines, *key) < 0 && !AppendKey(lines, *key)) return false;
        lines.insert(lines.begin() + InsertionPoint(lines, *key), std::move(line));
    }
    return Save(lines);
}

void RegistryFile::CloseKey(SettingsKey handle) {
    if (KeyOf(handle) != nullptr) openKeys_[static_cast<size_t>(handle)].clear();
}
