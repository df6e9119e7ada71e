// A port that will not open, in the words of the face that shows it: the window
// programs point at their menu, log at its options, and gpsd's own words pass as
// they are.
#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>

#include "input/PortOpenWords.h"
#include "tests/support/TestApplication.h"

namespace {

const PortAdvice kMenus = {L"choose another port in MENU", L"choose another speed in MENU"};
const PortAdvice kOptions = {L"name it with --device PATH", L"give its speed with --speed BAUD"};
const PortAdvice kNoSpeed = {L"name it with --device PATH", nullptr};

std::wstring Words(PortOpenCause cause, const PortAdvice& advice, const wchar_t* detail = L"", uint32_t number = 0) {
    PortOpenFailure failure;
    failure.cause = cause;
    wcscpy(failure.device, L"/dev/ttyUSB0");
    wcscpy(failure.reason, L"Input/output error");
    wcscpy(failure.detail, detail);
    failure.number = number;
    wchar_t out[512];
    WordPortOpenFailure(failure, advice, out, 512);
    return out;
}

TEST(PortOpenWords, EachCauseNamesTheDeviceAndWhatToDoInTheFacesWords) {
    struct Row {
        PortOpenCause cause;
        const wchar_t* detail;
        uint32_t number;
        const wchar_t* expected;  // with kOptions
    };
    const Row rows[] = {
        {PortOpenCause::Unbound, L"", 0,
         L"no device for /dev/ttyUSB0 (nothing plugged in?): plug the receiver in, or name it with --device PATH."},
        {PortOpenCause::Missing, L"", 0,
         L"/dev/ttyUSB0 does not exist: plug the receiver in, or name it with --device PATH."},
        {PortOpenCause::Missing, L"/dev/ttyACM3", 0,
         L"/dev/ttyUSB0 leads to /dev/ttyACM3, which does not exist: plug the receiver in, or name it with --device "
         L"PATH."},
        {PortOpenCause::Denied, L"dialout", PortOpenFailure::kGroupMayRead,
         L"Permission denied on /dev/ttyUSB0: add yourself to the dialout group (sudo usermod -aG dialout $USER), "
         L"then log in again."},
        {PortOpenCause::Busy, L"gpsd", 812,
         L"/dev/ttyUSB0 is in use by process 812 (gpsd): stop it, or read the receiver through that program, or name "
         L"it with --device PATH."},
        {PortOpenCause::Busy, L"", 0,
         L"/dev/ttyUSB0 is in use by another program: close that program, or name it with --device PATH."},
        {PortOpenCause::NotSerial, L"", 0, L"/dev/ttyUSB0 is not a serial port (Input/output error): name it with "
                                           L"--device PATH."},
        {PortOpenCause::Speed, L"", 7200,
         L"/dev/ttyUSB0 does not take 7200 baud, 8N1: Input/output error; give its speed with --speed BAUD."},
        {PortOpenCause::Other, L"", 0,
         L"cannot open /dev/ttyUSB0: Input/output error; check the device, or name it with --device PATH."},
        {PortOpenCause::Said, L"gpsd is not running at localhost:2947", 0, L"gpsd is not running at localhost:2947"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.cause));
        EXPECT_EQ(Words(row.cause, kOptions, row.detail, row.number), row.expected);
        // The same cause in the window programs points at the menu, never at an option.
        const std::wstring menus = Words(row.cause, kMenus, row.detail, row.number);
        EXPECT_EQ(menus.find(L"--"), std::wstring::npos) << menus.c_str();
    }
    EXPECT_EQ(Words(PortOpenCause::None, kOptions), L"");
}

// gpsd sets the receiver's speed: a face without speed advice points at the port.
TEST(PortOpenWords, NoSpeedAdviceFallsBackToThePortAndALongPathIsCutNotOverrun) {
    EXPECT_EQ(Words(PortOpenCause::Speed, kNoSpeed, L"", 4800),
              L"/dev/ttyUSB0 does not take 4800 baud, 8N1: Input/output error; name it with --device PATH.");
    PortOpenFailure failure;
    failure.cause = PortOpenCause::Missing;
    wmemset(failure.device, L'x', PortOpenFailure::kDeviceChars - 1);
    wchar_t out[40];
    wmemset(out, L'#', 40);
    WordPortOpenFailure(failure, kMenus, out, 32);
    EXPECT_EQ(out[32], L'#') << "nothing written past the room given";
}

// The window programs' brain words a wrong speed with its menu.
TEST(PortOpenWords, TheWindowProgramsPointAtTheToolsMenu) {
    auto rig = std::make_unique<TestApplication>();
    for (int tick = 0; tick < 8; ++tick) {
        rig->serial.Feed("\x93\xf0\x11garbled\r\n");
        rig->app.window.Tick();
    }
    const std::wstring log = rig->app.dialog.Box(kLogBox).Text();
    EXPECT_NE(log.find(L"; choose another speed in Tools > Select port speed."), std::wstring::npos) << log.c_str();
}

}  // namespace
