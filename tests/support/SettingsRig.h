#pragma once
#include <cstdint>
#include <cwchar>
#include <string>

#include "platform/posix/RegistryFile.h"
#include "shell/Settings.h"
#include "tests/support/ProcessingRig.h"

struct NullSink : SentenceSink {
    void ProcessSentence(const char*) override {}
};

// The owners of the settings, as the program has them: real writers on fake
// platform parts, and the ports, on a settings file in configDir.
struct SettingsRig : WriterRig {
    SettingsRig(const std::string& configDir, int32_t port, int32_t speed)
        : store(configDir), portNumber(port), portSpeed(speed) {}

    std::wstring TrackFolder() const {
        wchar_t folder[kFolderChars];
        track.GetFolder(folder);
        return folder;
    }

    RegistryFile store;
    int32_t portNumber;
    int32_t portSpeed;
    NullSink sentences;
    SentenceAssembler assembler{sentences};
    Settings settings{store, portNumber, portSpeed, track, routeWriter, assembler};
};
