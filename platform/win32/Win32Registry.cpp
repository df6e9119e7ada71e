#include "platform/win32/Win32Registry.h"

Win32Registry::Win32Registry() = default;

Win32Registry::~Win32Registry() {
    for (HKEY key : keys_) {
        if (key != nullptr) RegCloseKey(key);
    }
}

SettingsKey Win32Registry::Keep(HKEY key) {
    for (SettingsKey slot = 0; slot < kMaxKeys; ++slot) {
        if (keys_[slot] == nullptr) {
            keys_[slot] = key;
            return slot;
        }
    }
    RegCloseKey(key);
    return kInvalidKey;
}

HKEY Win32Registry::KeyOf(SettingsKey key) const { return key >= 0 && key < kMaxKeys ? keys_[key] : nullptr; }

SettingsKey Win32Registry::OpenKey(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return kInvalidKey;
    return Keep(key);
}

SettingsKey Win32Registry::CreateKey(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return kInvalidKey;
    }
    return Keep(key);
}

QueryResult Win32Registry::QueryValue(SettingsKey key, const wchar_t* name, uint32_t* type, void* data,
                                      uint32_t* size) {
    HKEY open = KeyOf(key);
    if (open == nullptr) return QueryResult::Missing;
    DWORD valueType = 0;
    DWORD valueSize = *size;
    const LSTATUS status =
        RegQueryValueExW(open, name, nullptr, &valueType, static_cast<BYTE*>(data), &valueSize);
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return QueryResult::Missing;
    *size = valueSize;
    if (type != nullptr) *type = valueType;
    return status == ERROR_SUCCESS ? QueryResult::Success : QueryResult::MoreData;
}

bool Win32Registry::SetValue(SettingsKey key, const wchar_t* name, uint32_t type, const void* data, uint32_t size) {
    HKEY open = KeyOf(key);
    return open != nullptr &&
           RegSetValueExW(open, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

void Win32Registry::CloseKey(SettingsKey key) {
    HKEY open = KeyOf(key);
    if (open == nullptr) return;
    keys_[key] = nullptr;
    RegCloseKey(open);
}
