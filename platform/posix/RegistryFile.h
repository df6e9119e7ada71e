#pragma once
#include <functional>
#include <string>
#include <vector>
#include "platform/SettingsStore.h"
#include "platform/posix/RegistryText.h"

// The current user's registry, kept in <configDir>/settings.reg as a regedit export:
// the key "Software\Zolvet\Kestrave" is the section
// [HKEY_CURRENT_USER\Software\Zolvet\Kestrave].
//
// Every open reads the file afresh, so edits made while the program runs are seen.
// Every change (a created key, a set value) is saved at once and atomically: the whole
// text goes to settings.reg.tmp, is synced to disk, and is renamed over settings.reg,
// so a crash leaves either the old file or the new one. Lines this program does not
// change (other keys, other values, comments) are written back as they stood.
//
// A file that cannot be read or is not understood counts as holding no keys, and the
// warning callback hears once what is wrong and what to do. Such a file is never
// overwritten: the next save first renames it to settings.reg.bad.
class RegistryFile : public SettingsStore {
public:
    // Receives one sentence: what is wrong, and what the user can do about it.
    using Warning = std::function<void(const std::string& text)>;

    // configDir is created, with its parents, on the first save. An empty configDir
    // keeps nothing: every key is absent and none can be created.
    explicit RegistryFile(const std::string& configDir, Warning warning = nullptr);

    SettingsKey OpenKey(const wchar_t* path) override;
    SettingsKey CreateKey(const wchar_t* path) override;
    QueryResult QueryValue(SettingsKey key, const wchar_t* name, uint32_t* type, void* data,
                           uint32_t* size) override;
    bool SetValue(SettingsKey key, const wchar_t* name, uint32_t type, const void* data,
                  uint32_t size) override;
    void CloseKey(SettingsKey key) override;

    const std::string& FilePath() const { return path_; }

protected:
    // The last step of a save: puts the synced temporary file in place of the old one.
    // False, with errno set, when it fails.
    virtual bool ReplaceFile(const char* from, const char* to);

private:
    void Load();
    // Writes lines as the new file; on success they become the current ones.
    bool Save(std::vector<RegistryLine>& lines);
    void Warn(const std::string& text);
    SettingsKey Handle(const std::string& key);
    const std::string* KeyOf(SettingsKey handle) const;

    std::string dir_;
    std::string path_;
    Warning warning_;
    std::string lastWarning_;  // a repeat of the same problem is not told again
    std::vector<RegistryLine> lines_;
    bool keepAside_ = false;   // the file on disk was not understood
    std::vector<std::string> openKeys_;  // the key name by handle; "" for a free handle
};
