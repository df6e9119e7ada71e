#pragma once
#include <sys/types.h>

// Which process has a device open, found the way fuser does: by the links in
// /proc/<pid>/fd. Processes whose descriptors cannot be read (another user's, without
// root) are skipped. Returns the first holder's pid, its name from /proc/<pid>/comm in
// name, or 0 when none is found. The calling process is left out.
pid_t FindDeviceHolder(const char* path, char* name, int nameBytes);
