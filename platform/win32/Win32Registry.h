#pragma once
#include <windows.h>

#include "platform/SettingsStore.h"

// The real registry, below HKEY_CURRENT_USER. Values pass as the registry's own bytes,
// so a REG_SZ is UTF-16LE with its NUL exactly as another program stored it.
class Win32Registry : public SettingsStore {
public:
    Win32Registry();
    ~Win32Registry() override;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;

    SettingsKey OpenKey(const wchar_t* path) override;
    SettingsKey CreateKey(const wchar_t* path) override;
    QueryResult QueryValue(SettingsKey key, const wchar_t* name, uint32_t* type, void* data,
                           uint32_t* size) override;
    bool SetValue(SettingsKey key, const wchar_t* name, uint32_t type, const void* data,
                  uint32_t size) override;
    void CloseKey(SettingsKey key) override;

private:
    // Every key is opened and closed within one call of the settings.
    static constexpr int kMaxKeys = 4;

    // A slot for the key, or kInvalidKey (the key closed) when all are taken.
    SettingsKey Keep(HKEY key);
    HKEY KeyOf(SettingsKey key) const;

    HKEY keys_[kMaxKeys] = {};
};
