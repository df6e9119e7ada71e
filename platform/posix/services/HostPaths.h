#pragma once
#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <vector>

// This host's own paths, as the user types them on the command line.

// True when the path names an existing folder (following links).
bool IsHostFolder(const std::string& path);
// True when the path names something that exists but is no folder (following links):
// a plain file, a device, a pipe.
bool IsHostFile(const std::string& path);
// 0 when the path names a file this process may read; otherwise the errno that says
// why not (EISDIR for a folder).
int CheckReadableFile(const std::string& path);
// Opens a plain file for reading; 0 with *fd set, or the errno: EISDIR for a folder,
// EINVAL for anything else that is no plain file (a FIFO is never waited on). *info,
// when given, tells which file was opened, or would have been when it cannot be.
int OpenPlainFile(const std::string& path, int* fd, struct stat* info = nullptr);
// The whole of a plain file appended to *text; 0, or the errno: EISDIR for a folder,
// EINVAL for anything else that is no plain file, EFBIG past maxBytes. *info, when
// given, tells which file was read, or would have been when it cannot be.
int ReadWholeFile(const std::string& path, size_t maxBytes, std::string* text, struct stat* info = nullptr);
// Writes text into a new file beside path, named for this write alone
// (path.tmp.XXXXXX), with the given permissions where the file system keeps them, and
// syncs it to disk; 0 with *temporary its name, or the errno (*temporary is set once
// the file exists, for the caller to remove). Created anew (O_EXCL), it is never a
// link planted there nor a file another writer is filling.
int WriteTemporary(const std::string& path, const std::string& text, mode_t mode, std::string* temporary);
// The new file of WriteTemporary, opened for the caller to write and hand to
// FinishTemporary: 0 with *fd and *temporary set, or the errno.
int CreateTemporary(const std::string& path, mode_t mode, std::string* temporary, int* fd);
// Writes all size bytes to fd, however many calls it takes; 0, or the errno.
int WriteAll(int fd, const char* bytes, size_t size);
// Syncs the file to disk and closes it; 0, or the errno.
int FinishTemporary(int fd);
// The permissions a new file gets under this process's umask (0666 less it).
mode_t NewFileMode();
// Whether a file written beside path may be renamed over it: empty when nothing is there,
// or a plain file, or a link (the link is replaced, its target untouched); otherwise
// what is there, in words ("a device", "a FIFO", "a folder", "the file being read,
// TRACK"), as the reason to refuse. inputs are the files being read for it.
std::string WhyNotReplace(const std::string& path, const std::vector<std::string>& inputs);
// The absolute, link-free form of an existing path; the path as given otherwise.
std::string AbsoluteHostPath(const std::string& path);
// The working folder of this process; empty when it cannot be told (it was removed).
std::string CurrentHostFolder();
// 0 when the folder exists or could be made (its parent must exist); otherwise errno.
int MakeHostFolder(const std::string& path);
// True when standard error is a terminal, where a progress bar may be drawn.
bool StandardErrorIsTerminal();
