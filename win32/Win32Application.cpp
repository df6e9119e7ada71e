#include "win32/Win32Application.h"

#include <new>

#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32KeepAwake.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32SerialDevice.h"
#include "platform/win32/Win32TimeZone.h"

namespace {

// Built in place once the root is known; static storage, never freed.
alignas(Win32FileSystem) unsigned char filesSpace[sizeof(Win32FileSystem)];
alignas(Application) unsigned char appSpace[sizeof(Application)];

}  // namespace

Application& Win32Application::Start(const wchar_t* root, Clock& clock) {
    static Win32TimeZone zone;
    static Win32KeepAwake keepAwake;
    static Win32SerialDevice serial;
    static Win32Registry store;
    Win32FileSystem* files = new (filesSpace) Win32FileSystem(root);
    return *new (appSpace) Application(*files, clock, zone, serial, store, keepAwake);
}
