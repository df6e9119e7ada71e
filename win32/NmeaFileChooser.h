#pragma once
#include <windows.h>

// "Read NMEA file": the system's open-file dialog with the NMEA and all-files filters.
// False when the user cancelled or the chosen path does not fit the buffer (which the
// user is then told).
bool ChooseNmeaFile(HWND owner, wchar_t* path, int chars);
