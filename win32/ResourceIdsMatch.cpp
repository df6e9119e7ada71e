// The .rc file can only read plain #defines; the program's code uses the constants of
// Resources.h. A menu item whose number differs would send a command nobody handles.
#include "platform/TextBoxes.h"
#include "shell/resources/Resources.h"
#include "win32/ResourceIds.h"

namespace {

struct IdPair {
    int resource;  // the .rc file's number
    int code;      // the constant the program uses
};

constexpr IdPair kIds[] = {
    {IDC_STATUS_BOX, kStatusBox},
    {IDC_LOG_BOX, kLogBox},
    {IDM_CLOSE_NOW, kCommandCloseNow},
    {IDM_ABOUT, kCommandAbout},
    {IDM_EXIT, kCommandExit},
    {IDM_READ_NMEA, kCommandReadNmeaFile},
    {IDM_OUTPUT_FOLDER, kCommandSelectOutputFolder},
    {IDM_WRITE_GPX, kCommandWriteGpx},
    {IDM_PORT_NONE, kCommandPortNone},
    {IDM_PORT_COM0, kCommandPortFirst},
    {IDM_PORT_COM15, kCommandPortLast},
    {IDM_SPEED_4800, kCommandSpeedFirst},
    {IDM_SPEED_115200, kCommandSpeedLast},
};

// The first pair whose numbers differ, or the count when all agree.
constexpr int FirstMismatch() {
    int index = 0;
    for (const IdPair& pair : kIds) {
        if (pair.resource != pair.code) return index;
        ++index;
    }
    return index;
}

static_assert(FirstMismatch() == sizeof kIds / sizeof kIds[0], "a resource id differs from its constant in Resources.h");

}  // namespace
