#pragma once
#include <stdlib.h>

#include <string>

// Points XDG_RUNTIME_DIR, where loggers keep their lock files, somewhere else (nullptr
// unsets it) for the life of the object. Programs started meanwhile inherit it, so a
// test's loggers meet only each other and leave no lock file behind.
class RuntimeFolder {
public:
    explicit RuntimeFolder(const char* value) {
        const char* saved = getenv("XDG_RUNTIME_DIR");
        hadOne_ = saved != nullptr;
        if (hadOne_) old_ = saved;
        Set(value);
    }
    ~RuntimeFolder() { Set(hadOne_ ? old_.c_str() : nullptr); }
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;

private:
    static void Set(const char* value) {
        if (value != nullptr) {
            setenv("XDG_RUNTIME_DIR", value, 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
    }

    bool hadOne_ = false;
    std::string old_;
};
