#include "platform/Calendar.h"
bool SystemTimeToFileTime(const SystemTime&, FileTime*) { return false; }  // stand-in, being built
bool FileTimeToSystemTime(FileTime, SystemTime*) { return false; }
