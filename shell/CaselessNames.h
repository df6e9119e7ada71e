#pragma once
#include <string>

// File and folder names as the dialogs compare them: case ignored, as on the handheld,
// whose list views sort that way and whose file names are not case-sensitive.

bool CaselessBefore(const std::wstring& a, const std::wstring& b);
bool CaselessEndsWith(const std::wstring& name, const std::wstring& suffix);
