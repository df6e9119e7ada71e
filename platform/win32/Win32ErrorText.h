#pragma once
#include <cstdint>

// A system error code in the system's words, without the closing ".\r\n", so that it
// reads inside a sentence ("Access is denied"); "error <n>" when the system has none.
void SystemErrorText(uint32_t error, wchar_t* out, int outChars);
