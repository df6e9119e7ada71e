// The .rc file can only read plain #defines; the program's code uses the constants of
// Resources.h. A menu item whose number differs would send a command nobody handles.
#include "platform/TextBoxes.h"
#include "shell/resources/Resources.h"
#include "win32/ResourceIds.h"

static_assert(IDC_STATUS_BOX == kStatusBox, "status box id");
static_assert(IDC_LOG_BOX == kLogBox, "log box id");
static_assert(IDM_CLOSE_NOW == kCommandCloseNow, "Ctrl+Q command");
static_assert(IDM_ABOUT == kCommandAbout, "About command");
static_assert(IDM_EXIT == kCommandExit, "Exit command");
static_assert(IDM_READ_NMEA == kCommandReadNmeaFile, "Read NMEA file command");
static_assert(IDM_OUTPUT_FOLDER == kCommandSelectOutputFolder, "Select Output folder command");
static_assert(IDM_PORT_NONE == kCommandPortNone, "port None command");
static_assert(IDM_PORT_COM0 == kCommandPortFirst, "COM0 command");
static_assert(IDM_PORT_COM15 == kCommandPortLast, "COM15 command");
static_assert(IDM_SPEED_4800 == kCommandSpeedFirst, "4800 command");
static_assert(IDM_SPEED_115200 == kCommandSpeedLast, "115200 command");
