#pragma once
#include <cstdint>

// The registry of the handheld as the settings need it: keys below the current user's
// root, holding typed values. A value is a byte blob exactly as the registry keeps it:
// a REG_SZ is UTF-16LE text with its terminating NUL, a REG_DWORD four bytes, low first.

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;

using SettingsKey = int32_t;
constexpr SettingsKey kInvalidKey = -1;

enum class QueryResult {
    Success,
    Missing,   // no such value (or the key handle is not open)
    MoreData,  // the value is larger than the buffer; the size tells how large
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Opens an existing key, path like "Software\Zolvet\Kestrave"; kInvalidKey when absent.
    virtual SettingsKey OpenKey(const wchar_t* path) = 0;
    // Opens the key, creating it first when absent; kInvalidKey when that fails.
    virtual SettingsKey CreateKey(const wchar_t* path) = 0;
    // *size holds the room at data on entry and the value's size on return, also with
    // MoreData. type may be null; data may be null to learn the size alone.
    virtual QueryResult QueryValue(SettingsKey key, const wchar_t* name, uint32_t* type,
                                   void* data, uint32_t* size) = 0;
    virtual bool SetValue(SettingsKey key, const wchar_t* name, uint32_t type, const void* data,
                          uint32_t size) = 0;
    virtual void CloseKey(SettingsKey key) = 0;
};

// A REG_DWORD's bytes, independent of the host's byte order.
inline void PutDword(uint32_t value, uint8_t* bytes) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t GetDword(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}
