#include "win32/MainFrame.h"

#include <cwchar>

#include "platform/win32/Win32ErrorText.h"
#include "win32/AboutBox.h"
#include "win32/FolderBrowser.h"
#include "win32/NmeaFileChooser.h"
#include "win32/ResourceIds.h"

namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;

}  // namespace

MainFrame::MainFrame(HINSTANCE instance, Application& app) : instance_(instance), app_(app), pane_(app.dialog) {
    app_.dialog.SetObserver(&pane_);
    app_.window.SetFrontEnd(this);
}

bool MainFrame::Create(const wchar_t* className, const wchar_t* title, int showCommand) {
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = instance_;
    windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_KESTRAVE));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);

    // SHCreateMenuBar has no desktop equivalent: menu 102 is the window's ordinary menu bar.
    HMENU menu = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_MENU));
    if (CreateWindowExW(0, className, title, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        nullptr, menu, instance_, this) == nullptr) {
        const DWORD error = GetLastError();
        if (menu != nullptr) DestroyMenu(menu);
        wchar_t reason[256];
        SystemErrorText(error, reason, sizeof reason / sizeof reason[0]);
        wchar_t message[512];
        swprintf(message, sizeof message / sizeof message[0],
                 L"Kestrave could not open its window: %ls (error %lu). Nothing was logged; close other programs "
                 L"to free system resources and start Kestrave again.",
                 reason, static_cast<unsigned long>(error));
        MessageBoxW(nullptr, message, L"Kestrave", MB_OK | MB_ICONERROR);
        return false;
    }
    // The handheld's window took the whole screen; here it is as large as the status pane.
    const SIZE pane = pane_.NaturalSize();
    if (pane.cx > 0) {
        RECT frame = {0, 0, pane.cx, pane.cy};
        AdjustWindowRectEx(&frame, kStyle, menu != nullptr, 0);
        SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    // A window started minimised is not activated until the user clicks it; the
    // logging must not wait for that.
    StartOnce();
    return true;
}

LRESULT CALLBACK MainFrame::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* frame = static_cast<MainFrame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        frame->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
    }
    auto* frame = reinterpret_cast<MainFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (frame == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return frame->Handle(message, wParam, lParam);
}

LRESULT MainFrame::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_SIZE:
            pane_.Fill(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_ACTIVATE:
            // SHHandleWMActivate has no desktop equivalent (no input panel to restore).
            StartOnce();
            return 0;
        case WM_TIMER:
            app_.window.Tick();
            tray_.SetTip(app_.state.Line());
            pane_.ShowState(app_.state.Line(), app_.state.GetLevel());
            return 0;
        case WM_COMMAND:
            app_.window.HandleCommand(LOWORD(wParam));
            return 0;
        case WM_INITMENUPOPUP:
            if (HIWORD(lParam) == 0) MarkChoices(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_TRAY_CALLBACK:
            if (wParam == ID_TRAY_ICON && lParam == WM_LBUTTONDOWN) {
                ShowWindow(window_, SW_SHOW);
                SetForegroundWindow(window_);
            }
            return 0;
        case WM_ENDSESSION:
            // Windows ends the process after this message without destroying the window:
            // the buffered lines go to disk now.
            if (wParam) app_.window.Teardown();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_NCDESTROY: {
            HWND window = window_;
            window_ = nullptr;
            return DefWindowProcW(window, message, wParam, lParam);
        }
        case WM_SETTINGCHANGE:
            // SHHandleWMSettingChange has no desktop equivalent either: the default handling.
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

// The status dialog first, so the settings' loading can already say something in it.
void MainFrame::OnCreate() {
    if (!pane_.Create(instance_, window_)) {
        MessageBoxW(nullptr, L"Dialog creation failed!", L"Error", MB_OK);
    } else {
        RECT client;
        GetClientRect(window_, &client);
        pane_.Fill(client.right - client.left, client.bottom - client.top);
    }
    app_.window.Create();
}

void MainFrame::StartOnce() {
    if (!app_.window.Activate()) return;
    SetTimer(window_, IDT_TICK, TICK_PERIOD_MS, nullptr);
    tray_.Add(instance_, window_);
}

// Ctrl+Q, Exit and the close box all end here, through DestroyWindow; the brain's
// teardown runs only once whichever came first.
void MainFrame::OnDestroy() {
    KillTimer(window_, IDT_TICK);
    app_.window.Teardown();
    tray_.Remove();
    pane_.Destroy();
    PostQuitMessage(0);
}

void MainFrame::MarkChoices(HMENU popup) const {
    // Each sub-menu is marked as it opens: CheckMenuRadioItem needs both ends of the
    // group in the menu it is given.
    const struct {
        int first;
        int last;
        int marked;
    } groups[] = {{IDM_PORT_NONE, IDM_PORT_COM15, app_.window.MarkedPortCommand()},
                  {IDM_SPEED_4800, IDM_SPEED_115200, app_.window.MarkedSpeedCommand()}};
    if (GetMenuState(popup, IDM_WRITE_GPX, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
        CheckMenuItem(popup, IDM_WRITE_GPX, MF_BYCOMMAND | (app_.window.Checked(IDM_WRITE_GPX) ? MF_CHECKED : MF_UNCHECKED));
    }
    for (const auto& group : groups) {
        if (GetMenuState(popup, group.first, MF_BYCOMMAND) == static_cast<UINT>(-1)) continue;
        if (group.marked != 0) {
            CheckMenuRadioItem(popup, group.first, group.last, group.marked, MF_BYCOMMAND);
            continue;
        }
        // A port or speed from the settings that the menu does not offer: no mark.
        for (int item = group.first; item <= group.last; ++item) {
            CheckMenuItem(popup, item, MF_BYCOMMAND | MF_UNCHECKED);
        }
    }
}

void MainFrame::ShowAbout() { AboutBox::Show(instance_, window_); }

bool MainFrame::AskYesNo(const wchar_t* question, const wchar_t* caption) {
    return MessageBoxW(nullptr, question, caption, MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) == IDYES;
}

bool MainFrame::ChooseNmeaFile(wchar_t* path, int chars) { return ::ChooseNmeaFile(window_, path, chars); }

void MainFrame::ShowFolderDialog() { FolderBrowser::Show(instance_, window_, app_.folderDialog); }

void MainFrame::Quit() {
    if (window_ != nullptr) DestroyWindow(window_);
}
