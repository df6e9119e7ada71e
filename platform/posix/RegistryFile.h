#pragma once
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>
#include "platform/SettingsStore.h"
#include "format/RegistryText.h"

// The current user's registry, kept in <configDir>/settings.reg as a regedit export:
// the key "Software\Zolvet\Kestrave" is the section
// [HKEY_CURRENT_USER\Software\Zolvet\Kestrave].
//
// Every open reads the file afresh, so edits made while the program runs are seen.
// Every change (a created key, a set value) is saved at once and atomically: the whole
// text goes to a temporary file of this save's own (settings.reg.tmp.XXXXXX), is synced
// to disk, and is renamed over settings.reg. A crash leaves either the old file or the
// new one, and programs saving at the same time never read or write each other's
// unfinished text: the last rename wins. Lines this program does not change (other
// keys, other values, comments) are written back as they stood.
//
// A file that cannot be read or is not understood counts as holding no keys, and the
// warning callback hears once what is wrong and what to do. Such a file is never
// overwritten: the next save first links it to the first free name of settings.reg.bad,
// settings.reg.bad.1, settings.reg.bad.2, ... and says which.
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
    // Gives the file that was not understood a .bad name of its own; 0 or the errno,
    // with *kept the name, or empty when the file is gone or already kept.
    int KeepAside(std::string* kept);
    void Warn(const std::string& text);
    SettingsKey Handle(const std::string& key);
    const std::string* KeyOf(SettingsKey handle) const;

    std::string dir_;
    std::string path_;
    Warning warning_;
    std::string lastWarning_;  // a repeat of the same problem is not told again
    std::vector<RegistryLine> lines_;
    bool keepAside_ = false;   // the file on disk was not understood
    // Which file that was: another program may have saved a good one in its place since.
    dev_t asideDevice_ = 0;
    ino_t asideInode_ = 0;
    std::vector<std::string> openKeys_;  // the key name by handle; "" for a free handle
};
