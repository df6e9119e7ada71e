#include "win32/WindowProgram.h"

#include <commctrl.h>

#include "platform/win32/Win32Clock.h"
#include "win32/MainFrame.h"
#include "win32/ResourceIds.h"
#include "win32/Win32Application.h"

namespace {

constexpr int kStringChars = 100;

}  // namespace

int RunWindowProgram(HINSTANCE instance, int showCommand) {
    wchar_t className[kStringChars] = {};
    wchar_t title[kStringChars] = {};
    LoadStringW(instance, IDS_CLASS, className, kStringChars);
    LoadStringW(instance, IDS_TITLE, title, kStringChars);
    // One instance only: a second start brings the first forward (the low bit also
    // brings its owned windows, such as an open dialog) and ends before touching anything.
    if (HWND running = FindWindowW(className, title)) {
        SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(running) | 1));
        return 0;
    }

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    static Win32Clock clock;
    Application& app = Win32Application::Start(L"", clock);
    static MainFrame frame(instance, app);
    if (!frame.Create(className, title, showCommand)) return 0;

    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // To the main window whichever control has the focus, so that Ctrl+A and Ctrl+Q
        // also work while the caret is in a text box.
        if (TranslateAcceleratorW(frame.Window(), accelerators, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
