#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/ExampleFix.h"
#include "tests/support/TestApplication.h"

namespace {

class FolderDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* folder : {L"\\Kestrave", L"\\My Documents", L"\\My Documents\\Trips",
                                      L"\\My Documents\\Trips\\2009", L"\\Windows"}) {
            rig->files.AddFolder(folder);
        }
        rig->files.AddFile(L"\\readme.txt", "not a folder");
        dialog.Open();
    }
    std::vector<std::wstring> Rows() {
        std::vector<std::wstring> rows;
        for (int i = 0; i < dialog.RowCount(); ++i) rows.push_back(dialog.RowName(i));
        return rows;
    }

    int RowOf(const std::wstring& name) {
        for (int i = 0; i < dialog.RowCount(); ++i) {
            if (dialog.RowName(i) == name) return i;
        }
        return -1;
    }

    std::unique_ptr<TestApplication> rig = std::make_unique<TestApplication>();
    FolderDialog& dialog = rig->app.folderDialog;
};

TEST_F(FolderDialogTest, OpensAtTheRootShowingTheCurrentFolderAndOkKeepsIt) {
    EXPECT_EQ(std::wstring(dialog.PathBox()), L"\\Kestrave");
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"Kestrave", L"My Documents", L"Windows"}))
        << "no \"..\" at the root, and files never appear";
    EXPECT_EQ(std::wstring(dialog.RowType(0)), L"Folder");
    dialog.Ok();
    EXPECT_EQ(rig->settings.values.at(L"OutputDir").bytes.size(), 20u) << "\\Kestrave and its NUL in UTF-16";
}

TEST_F(FolderDialogTest, TapShowsASubFolderWithoutEnteringItAndOkTakesIt) {
    dialog.Tap(1);
    EXPECT_EQ(std::wstring(dialog.PathBox()), L"\\My Documents");
    EXPECT_EQ(std::wstring(dialog.BrowsePath()), L"");
    dialog.Ok();
    wchar_t folder[kFolderChars];
    rig->app.track.GetFolder(folder);
    EXPECT_EQ(std::wstring(folder), L"\\My Documents");
    rig->app.route.AddWaypoint(ExampleFix());
    rig->app.route.Flush();
    EXPECT_TRUE(rig->files.HasFile(L"\\My Documents\\2009-03-25.rte")) << "both writers took the folder";
}

// Enter on a list with nothing selected (an empty one, at a first start) takes the
// folder being browsed: at the root that is "\", never an empty folder.
TEST_F(FolderDialogTest, EnterWithNoRowAtTheRootShowsTheRootAndOkStoresIt) {
    dialog.DoubleTap(-1);
    EXPECT_EQ(std::wstring(dialog.PathBox()), L"\\");
    EXPECT_TRUE(dialog.Ok());
    EXPECT_EQ(rig->settings.values.at(L"OutputDir").bytes.size(), 4u) << "\\ and its NUL in UTF-16";
}

TEST_F(FolderDialogTest, DoubleTapsGoDownAndUpWithTheListRefilled) {
    dialog.DoubleTap(1);
    dialog.DoubleTap(1);
    EXPECT_EQ(std::wstring(dialog.BrowsePath()), L"\\My Documents\\Trips");
    EXPECT_EQ(std::wstring(dialog.PathBox()), L"\\My Documents\\Trips");
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"..", L"2009"}));
    EXPECT_EQ(std::wstring(dialog.RowType(0)), L"");
    dialog.Tap(0);
    EXPECT_EQ(std::wstring(dialog.PathBox()), L"\\My Documents\\Trips") << "\"..\" shows the folder browsed";
    dialog.DoubleTap(0);
    EXPECT_EQ(std::wstring(dialog.BrowsePath()), L"\\My Documents");
    dialog.DoubleTap(0);
    EXPECT_EQ(std::wstring(dialog.BrowsePath()), L"");
    EXPECT_EQ(std::wstring(dialog.PathBox()), L"\\") << "the root reads as a folder, never as nothing";
    EXPECT_EQ(dialog.Depth(), 0);
    EXPECT_EQ(Rows().front(), L"Kestrave");

    dialog.DoubleTap(1);
    dialog.Open();
    EXPECT_EQ(dialog.Depth(), 0) << "each opening starts at the root";
    EXPECT_EQ(Rows().front(), L"Kestrave");
}

TEST_F(FolderDialogTest, CreateMakesASubFolderOfTheBrowsedOneAndEmptiesTheNameBox) {
    dialog.DoubleTap(0);
    dialog.nameBox = L"Rides";
    dialog.Create();
    EXPECT_TRUE(rig->files.HasFolder(L"\\Kestrave\\Rides"));
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"..", L"Rides"}));
    EXPECT_TRUE(dialog.nameBox.empty());
    EXPECT_EQ(std::wstring(dialog.PathBox()), L"\\Kestrave") << "the path box is not changed";

    dialog.nameBox = L"Rides";
    dialog.Create();  // exists already: silent
    dialog.Create();  // empty name: the browsed path and a lone backslash, silent
    EXPECT_EQ(Rows().size(), 2u);
    EXPECT_TRUE(dialog.Refusal().empty());
}

TEST_F(FolderDialogTest, TooDeepOrTooLongIsRefusedWithAMessageNeverOverrun) {
    std::wstring path;
    std::wstring name(40, L'n');
    for (int level = 0; level < 7; ++level) {
        path += L"\\" + name;
        rig->files.AddFolder(path);
    }
    dialog.Open();
    int entered = 0;
    while (dialog.Refusal().empty() && entered < 10) {
        dialog.DoubleTap(RowOf(name));
        if (dialog.Refusal().empty()) ++entered;
    }
    EXPECT_EQ(entered, 6) << "the seventh level would pass 260 characters";
    EXPECT_NE(dialog.Refusal().find(L"260"), std::wstring::npos);
    EXPECT_LE(wcslen(dialog.BrowsePath()), 260u);

    std::wstring deep;
    for (int level = 0; level < 120; ++level) {
        deep += L"\\d";
        rig->files.AddFolder(deep);
    }
    dialog.Open();
    for (int i = 0; i < 120 && (i == 0 || dialog.Refusal().empty()); ++i) {
        dialog.DoubleTap(RowOf(L"d"));
    }
    EXPECT_EQ(dialog.Depth(), FolderDialog::kDepthEntries - 1);
    EXPECT_NE(dialog.Refusal().find(L"deep"), std::wstring::npos);
}

}  // namespace
