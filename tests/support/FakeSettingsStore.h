#pragma once
#include <cstring>
#include <map>
#include <string>
#include "platform/SettingsStore.h"

// One registry key in memory; the key exists once created or once a value is put.
class FakeSettingsStore : public SettingsStore {
public:
    struct Value {
        uint32_t type;
        std::string bytes;
    };

    void PutDword(const std::wstring& name, uint32_t value) {
        uint8_t bytes[4];
        ::PutDword(value, bytes);
        values[name] = {kRegDword, std::string(reinterpret_cast<char*>(bytes), 4)};
        exists = true;
    }
    void PutString(const std::wstring& name, const std::wstring& text) {
        std::string bytes;
        for (wchar_t c : text + L'\0') {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>((c >> 8) & 0xFF);
        }
        values[name] = {kRegSz, bytes};
        exists = true;
    }
    uint32_t Dword(const std::wstring& name) const {
        return GetDword(reinterpret_cast<const uint8_t*>(values.at(name).bytes.data()));
    }

    SettingsKey OpenKey(const wchar_t*) override { return exists ? 1 : kInvalidKey; }
    SettingsKey CreateKey(const wchar_t*) override {
        exists = true;
        return 1;
    }
    QueryResult QueryValue(SettingsKey, const wchar_t* name, uint32_t* type, void* data, uint32_t* size) override {
        auto found = values.find(name);
        if (found == values.end()) return QueryResult::Missing;
        if (type != nullptr) *type = found->second.type;
        uint32_t room = *size;
        *size = static_cast<uint32_t>(found->second.bytes.size());
        if (data == nullptr) return QueryResult::Success;
        if (room < *size) return QueryResult::MoreData;
        memcpy(data, found->second.bytes.data(), *size);
        return QueryResult::Success;
    }
    bool SetValue(SettingsKey, const wchar_t* name, uint32_t type, const void* data, uint32_t size) override {
        values[name] = {type, std::string(static_cast<const char*>(data), size)};
        return true;
    }
    void CloseKey(SettingsKey) override {}

    bool exists = false;
    std::map<std::wstring, Value> values;
};
