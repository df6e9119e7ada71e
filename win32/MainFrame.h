#pragma once
#include <windows.h>

#include "shell/Application.h"
#include "shell/FrontEnd.h"
#include "win32/StatusPane.h"
#include "win32/TrayIcon.h"

// The main window: class "KESTRAVE", the Tools menu, the one-second timer, the tray
// icon and the status pane. It turns window messages into the brain's commands and
// shows the brain's dialogs as real ones.
class MainFrame : public FrontEnd {
public:
    MainFrame(HINSTANCE instance, Application& app);

    // Registers the class and opens the window; false when it could not be made.
    bool Create(const wchar_t* className, const wchar_t* title, int showCommand);
    HWND Window() const { return window_; }

    void ShowAbout() override;
    bool AskYesNo(const wchar_t* question, const wchar_t* caption) override;
    bool ChooseNmeaFile(wchar_t* path, int chars) override;
    void ShowFolderDialog() override;
    void Quit() override;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void StartOnce();
    void OnDestroy();
    void MarkChoices(HMENU popup) const;

    HINSTANCE instance_;
    Application& app_;
    HWND window_ = nullptr;
    StatusPane pane_;
    TrayIcon tray_;
};
