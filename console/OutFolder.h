#pragma once
#include <string>

class ConsolePaths;

// The output folder that stands for "write straight into the root".
constexpr const wchar_t* kRootFolder = L"\\";

// --out DIR: the folder must be one, or be made (its parent must exist). False with a
// sentence saying what to do when it is unusable.
bool PrepareOutFolder(ConsolePaths& paths, const std::string& dir, std::string& error);
