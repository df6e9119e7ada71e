// A stored output folder that is refused is told once in the log box; then the start
// goes on as without one.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/TestApplication.h"

namespace {

struct FolderDialogFace : FrontEnd {
    void ShowAbout() override {}
    bool AskYesNo(const wchar_t*, const wchar_t*) override { return false; }
    bool ChooseNmeaFile(wchar_t*, int) override { return false; }
    void ShowFolderDialog() override { ++folderDialogs; }
    void Quit() override {}

    int folderDialogs = 0;
};

TEST(StoredOutputDirTest, TheFirstTickSaysOnceWhyTheStoredFolderIsNotUsed) {
    auto rig = std::make_unique<TestApplication>();
    FolderDialogFace face;
    rig->app.window.SetFrontEnd(&face);
    rig->settings.PutString(L"OutputDir", L"\\..\\etc");
    rig->app.window.Activate();
    for (int tick = 0; tick < 3; ++tick) rig->app.window.Tick();

    const std::wstring log = rig->app.dialog.Box(kLogBox).Text();
    EXPECT_EQ(log.find(L"The stored output folder \\..\\etc is not usable: a folder in it is named \".\" or \"..\""),
              0u) << "told first";
    EXPECT_EQ(log.find(L"The stored", 1), std::wstring::npos) << "told once";
    EXPECT_NE(log.find(L"; using \\Kestrave. Choose another with Tools > Select Output folder.\r\n"), std::wstring::npos)
        << log;
    wchar_t folder[kFolderChars];
    rig->app.track.GetFolder(folder);
    EXPECT_EQ(std::wstring(folder), L"\\Kestrave");
    EXPECT_EQ(face.folderDialogs, 1) << "then as for a folder never chosen";
}

}  // namespace
