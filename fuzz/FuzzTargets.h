#pragma once
#include <cstddef>
#include <cstdint>

// Each runs one input through one part of the program and aborts on a fault (a
// sanitizer report or a broken promise). The libFuzzer binaries call them, and so
// does the regression test that replays the inputs they once failed on.
void FuzzPipeline(const uint8_t* data, size_t size);
void FuzzSentence(const uint8_t* data, size_t size);
void FuzzContinueRoute(const uint8_t* data, size_t size);
void FuzzSettingsFile(const uint8_t* data, size_t size);
