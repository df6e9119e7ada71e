// The window face against the program's own resources: the tests link kestrave.rc.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "shell/resources/Resources.h"
#include "tests/support/TestApplication.h"
#include "win32/FolderBrowser.h"
#include "win32/ResourceIds.h"
#include "win32/StatusPane.h"

namespace {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return text;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

}  // namespace

// The other faces draw the menu from kToolsMenu; the .rc must say the same, in the same order.
TEST(WindowResources, ToolsMenuIsTheSharedTable) {
    HMENU bar = LoadMenuW(Instance(), MAKEINTRESOURCEW(IDR_MENU));
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    EXPECT_EQ(MenuText(bar, 0), kToolsMenuText);
    HMENU tools = GetSubMenu(bar, 0);
    int entry = 0;
    for (int position = 0; position < GetMenuItemCount(tools); ++position) {
        ASSERT_LT(entry, kToolsMenuCount);
        const MenuItem& item = kToolsMenu[entry++];
        EXPECT_FALSE(item.subItem) << "entry " << entry;
        HMENU sub = GetSubMenu(tools, position);
        if (item.text == nullptr) {
            EXPECT_EQ(GetMenuState(tools, position, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
            continue;
        }
        EXPECT_EQ(MenuText(tools, position), item.text);
        if (sub == nullptr) {
            EXPECT_EQ(static_cast<int>(GetMenuItemID(tools, position)), item.command) << MenuText(tools, position);
            continue;
        }
        for (int inner = 0; inner < GetMenuItemCount(sub); ++inner) {
            ASSERT_LT(entry, kToolsMenuCount);
            const MenuItem& subItem = kToolsMenu[entry++];
            EXPECT_TRUE(subItem.subItem);
            EXPECT_EQ(MenuText(sub, inner), subItem.text);
            EXPECT_EQ(static_cast<int>(GetMenuItemID(sub, inner)), subItem.command) << subItem.text;
        }
    }
    EXPECT_EQ(entry, kToolsMenuCount);
    DestroyMenu(bar);
}

TEST(WindowResources, StringsAndAcceleratorsOfTheMainWindow) {
    wchar_t text[100];
    ASSERT_GT(LoadStringW(Instance(), IDS_TITLE, text, 100), 0);
    EXPECT_STREQ(text, kWindowTitle);
    ASSERT_GT(LoadStringW(Instance(), IDS_CLASS, text, 100), 0);
    EXPECT_STREQ(text, L"KESTRAVE");

    HACCEL table = LoadAcceleratorsW(Instance(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    ACCEL keys[4] = {};
    ASSERT_EQ(CopyAcceleratorTableW(table, keys, 4), 2);
    for (const ACCEL& key : {keys[0], keys[1]}) {
        EXPECT_EQ(key.fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT), FVIRTKEY | FCONTROL);
        EXPECT_EQ(key.cmd, key.key == 'A' ? kCommandAbout : kCommandCloseNow) << static_cast<char>(key.key);
    }
}

class StatusPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr, nullptr,
                                 Instance(), nullptr);
        ASSERT_NE(parent, nullptr) << "no window without a display: run these tests under Xvfb with DISPLAY set";
    }
    void TearDown() override {
        pane.Destroy();
        DestroyWindow(parent);
    }
    HWND Box(int control) { return GetDlgItem(GetWindow(parent, GW_CHILD), control); }

    bool flushRequested = false;
    std::unique_ptr<StatusDialog> dialog = std::make_unique<StatusDialog>(flushRequested);
    StatusPane pane{*dialog};
    HWND parent = nullptr;
};

TEST_F(StatusPaneTest, ControlsFollowTheBoxesAcrossTheClearingPoint) {
    dialog->SetText(kStatusBox, L"No data \r\n");
    dialog->AppendText(kLogBox, L"said before the window\r\n");
    ASSERT_TRUE(pane.Create(Instance(), parent));
    dialog->SetObserver(&pane);
    EXPECT_EQ(WindowText(Box(kStatusBox)), L"No data \r\n");
    dialog->AppendText(kStatusBox, L"COM1 opening...\r\n");
    EXPECT_EQ(WindowText(Box(kStatusBox)), L"No data \r\nCOM1 opening...\r\n");

    const std::wstring line = L"(12) Track File Write Error: 112 (disk full)\r\n";
    bool cleared = false;
    for (int i = 0; i < 800 && !cleared; ++i) {
        const size_t before = dialog->Box(kLogBox).Length();
        dialog->AppendText(kLogBox, line.c_str());
        cleared = dialog->Box(kLogBox).Length() < before;
        ASSERT_EQ(WindowText(Box(kLogBox)), dialog->Box(kLogBox).Text()) << "after line " << i;
    }
    EXPECT_TRUE(cleared);
    EXPECT_EQ(WindowText(Box(kLogBox)), line) << "the first line past 30000 characters stands alone";
}

TEST_F(StatusPaneTest, TypedTextStaysAndOnlyFlushRequestsAFlush) {
    ASSERT_TRUE(pane.Create(Instance(), parent));
    dialog->SetObserver(&pane);
    SetWindowTextW(Box(kLogBox), L"typed ");
    SendMessageW(Box(kLogBox), EM_SETSEL, 0, 2);
    dialog->AppendText(kLogBox, L"File processed\r\n");
    EXPECT_EQ(WindowText(Box(kLogBox)), L"typed File processed\r\n") << "added at the end, whatever was selected";

    HWND window = GetWindow(parent, GW_CHILD);
    for (int none : {IDC_NONE_RIGHT, IDC_NONE_MIDDLE}) {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(none, BN_CLICKED), 0);
    }
    EXPECT_FALSE(flushRequested);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_FLUSH, BN_CLICKED), 0);
    EXPECT_TRUE(flushRequested);
}

namespace {

// Runs inside the folder dialog's own message loop: taps every item of the list, enters
// "Trips", taps every item there, creates a folder, then takes the tapped "!old".
struct FolderScript {
    std::wstring tapsAtRoot;   // "item=path box" for each tap at the root
    std::wstring tapsInTrips;  // the same inside \Trips
    bool created = false;
    bool ran = false;
};
FolderScript script;

HWND FolderDialogWindow() { return FindWindowW(L"#32770", L"Select output folder"); }

void Notify(HWND dialog, UINT code, int item) {
    NMITEMACTIVATE event = {};
    event.hdr.hwndFrom = GetDlgItem(dialog, IDC_FOLDER_LIST);
    event.hdr.idFrom = IDC_FOLDER_LIST;
    event.hdr.code = code;
    event.iItem = item;
    SendMessageW(dialog, WM_NOTIFY, IDC_FOLDER_LIST, reinterpret_cast<LPARAM>(&event));
}

std::wstring ItemText(HWND list, int item) {
    wchar_t text[256] = {};
    LVITEMW entry = {};
    entry.pszText = text;
    entry.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&entry));
    return text;
}

int FindItem(HWND list, const wchar_t* name) {
    for (int item = 0; item < ListView_GetItemCount(list); ++item) {
        if (ItemText(list, item) == name) return item;
    }
    return -1;
}

std::wstring TapEach(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_FOLDER_LIST);
    std::wstring taps;
    for (int item = 0; item < ListView_GetItemCount(list); ++item) {
        Notify(dialog, NM_CLICK, item);
        taps += ItemText(list, item) + L"=" + WindowText(GetDlgItem(dialog, IDC_PATH_BOX)) + L";";
    }
    return taps;
}

void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND dialog = FolderDialogWindow();
    if (dialog == nullptr) return;
    script.ran = true;
    HWND list = GetDlgItem(dialog, IDC_FOLDER_LIST);
    script.tapsAtRoot = TapEach(dialog);
    Notify(dialog, NM_DBLCLK, FindItem(list, L"Trips"));
    script.tapsInTrips = TapEach(dialog);
    SetDlgItemTextW(dialog, IDC_NAME_BOX, L"2009");
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CREATE, BN_CLICKED), 0);
    script.created = FindItem(list, L"2009") >= 0 && WindowText(GetDlgItem(dialog, IDC_NAME_BOX)).empty();
    Notify(dialog, NM_CLICK, FindItem(list, L"!old"));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FOLDER_OK, BN_CLICKED), 0);
}

}  // namespace

// The list sorts its items itself, the dialog's rows keep their own order: each tap must
// still reach the folder that was tapped, and ".." whichever place it sorts to.
TEST(FolderBrowserTest, EveryTapReachesTheFolderTappedWhereverTheListSortsIt) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    auto rig = std::make_unique<TestApplication>();
    for (const wchar_t* folder : {L"\\Trips", L"\\Kestrave", L"\\Trips\\!old", L"\\Trips\\new", L"\\Trips\\+x"}) {
        rig->files.AddFolder(folder);
    }
    SetTimer(nullptr, 0, 50, RunScript);
    FolderBrowser::Show(Instance(), nullptr, rig->app.folderDialog);

    ASSERT_TRUE(script.ran) << "the dialog did not open; without a display, run under Xvfb with DISPLAY set";
    EXPECT_EQ(script.tapsAtRoot, L"Kestrave=\\Kestrave;Trips=\\Trips;");
    for (const wchar_t* tap : {L"..=\\Trips;", L"!old=\\Trips\\!old;", L"new=\\Trips\\new;", L"+x=\\Trips\\+x;"}) {
        EXPECT_NE(script.tapsInTrips.find(tap), std::wstring::npos) << tap << " in " << script.tapsInTrips;
    }
    EXPECT_TRUE(script.created);
    EXPECT_TRUE(rig->files.HasFolder(L"\\Trips\\2009"));
    wchar_t folder[kFolderChars];
    rig->app.track.GetFolder(folder);
    EXPECT_STREQ(folder, L"\\Trips\\!old");
}
