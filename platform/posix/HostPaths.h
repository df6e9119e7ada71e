#pragma once
#include <string>

// This host's own paths, as the user types them on the command line.

// True when the path names an existing folder (following links).
bool IsHostFolder(const std::string& path);
// True when the path names something that exists but is no folder (following links):
// a plain file, a device, a pipe.
bool IsHostFile(const std::string& path);
// 0 when the path names a file this process may read; otherwise the errno that says
// why not (EISDIR for a folder).
int CheckReadableFile(const std::string& path);
// The absolute, link-free form of an existing path; the path as given otherwise.
std::string AbsoluteHostPath(const std::string& path);
// The working folder of this process; empty when it cannot be told (it was removed).
std::string CurrentHostFolder();
// 0 when the folder exists or could be made (its parent must exist); otherwise errno.
int MakeHostFolder(const std::string& path);
// True when standard error is a terminal, where a progress bar may be drawn.
bool StandardErrorIsTerminal();
