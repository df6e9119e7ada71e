#pragma once
#include <cstdint>

// Identifiers and texts of the program's window, menu and dialogs, shared by every
// front-end (the terminal now, a Win32 window later).

constexpr const wchar_t* kWindowTitle = L"Kestrave";
constexpr const wchar_t* kToolsMenuText = L"Tools";

// Commands of the "Tools" menu and the accelerators.
constexpr int kCommandCloseNow = 1;  // Ctrl+Q: close without question, nothing saved
constexpr int kCommandAbout = 40003;  // also Ctrl+A
constexpr int kCommandExit = 40004;
constexpr int kCommandReadNmeaFile = 40006;
constexpr int kCommandSelectOutputFolder = 40007;
constexpr int kCommandWriteGpx = 40008;  // checked while the GPX day file is written
constexpr int kCommandPortNone = 40010;
constexpr int kCommandPortFirst = 40011;  // COM0; COM15 is 40026
constexpr int kCommandPortLast = 40026;
constexpr int kCommandSpeedFirst = 40027;  // 4800; 115200 is 40032
constexpr int kCommandSpeedLast = 40032;
// gpsd as one more entry of the port sub-menu, offered where a daemon answers; the
// handheld's own window has no such entry.
constexpr int kCommandPortGpsd = 40100;
constexpr const wchar_t* kGpsdMenuText = L"gpsd (localhost)";

constexpr int kMenuSpeedCount = 6;
constexpr int32_t kMenuSpeeds[kMenuSpeedCount] = {4800, 9600, 19200, 38400, 57600, 115200};

// The "Tools" popup, in order. A sub-menu's items follow their parent entry, each
// marked as a sub-item; a separator has no text.
struct MenuItem {
    const wchar_t* text;  // nullptr: separator
    int command;          // 0 for a separator or a sub-menu parent
    bool subItem;
};

constexpr MenuItem kToolsMenu[] = {
    {L"About", kCommandAbout, false},
    {nullptr, 0, false},
    {L"Read NMEA file", kCommandReadNmeaFile, false},
    {L"Select Output folder", kCommandSelectOutputFolder, false},
    {L"Write GPX", kCommandWriteGpx, false},
    {nullptr, 0, false},
    {L"Select input port", 0, false},
    {L"None", kCommandPortNone, true},
    {L"COM0", 40011, true},  {L"COM1", 40012, true},  {L"COM2", 40013, true},  {L"COM3", 40014, true},
    {L"COM4", 40015, true},  {L"COM5", 40016, true},  {L"COM6", 40017, true},  {L"COM7", 40018, true},
    {L"COM8", 40019, true},  {L"COM9", 40020, true},  {L"COM10", 40021, true}, {L"COM11", 40022, true},
    {L"COM12", 40023, true}, {L"COM13", 40024, true}, {L"COM14", 40025, true}, {L"COM15", 40026, true},
    {L"Select port speed", 0, false},
    {L"4800", 40027, true},  {L"9600", 40028, true},  {L"19200", 40029, true},
    {L"38400", 40030, true}, {L"57600", 40031, true}, {L"115200", 40032, true},
    {nullptr, 0, false},
    {L"Exit", kCommandExit, false},
};
constexpr int kToolsMenuCount = sizeof kToolsMenu / sizeof kToolsMenu[0];

// The About box.
constexpr const wchar_t* kAboutCaption = L"About Kestrave";
constexpr const wchar_t* kAboutProduct = L"Zolvet\r\nKestrave  " KESTRAVE_WIDE_VERSION;
constexpr const wchar_t* kAboutText =
    L"GPS track recorder.\r\nDaily OziExplorer track (.plt) and route (.rte) files from NMEA 0183.";

// The replay file dialog's filters.
constexpr const wchar_t* kNmeaFilterName = L"NMEA Files (*.nmea)";
constexpr const wchar_t* kNmeaFilterPattern = L"*.nmea";
constexpr const wchar_t* kAllFilterName = L"All Files (*.*)";
constexpr const wchar_t* kAllFilterPattern = L"*.*";

// Messages of the window.
// Why the folder dialog opens by itself at a start; they fit the terminal's dialog.
constexpr const wchar_t* kFolderAskedFirst = L"No folder for the day files yet: choose one, then OK.";
constexpr const wchar_t* kFolderAskedAgain = L"The stored folder cannot be used: choose one, then OK.";
constexpr const wchar_t* kExitQuestion = L"Are you sure?";
constexpr const wchar_t* kExitCaption = L"Exit";
