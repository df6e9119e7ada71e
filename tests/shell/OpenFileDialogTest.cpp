#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/OpenFileDialog.h"
#include "shell/resources/Resources.h"
#include "tests/support/FakeFileSystem.h"

namespace {

using Step = OpenFileDialog::Step;

constexpr int kRoom = 260;  // the caller's buffer, its NUL included

class OpenFileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* folder : {L"/home", L"/home/me", L"/home/me/rec", L"/home/me/rec/Zeta",
                                      L"/home/me/rec/alpha", L"/home/me/rec/.cache", L"/tmp"}) {
            files.AddFolder(folder);
        }
        for (const wchar_t* file : {L"B.nmea", L"a.nmea", L"C.NMEA", L"notes.txt", L"README", L"nmea",
                                    L"drive.nmea.bak", L".hidden.nmea"}) {
            files.AddFile(std::wstring(L"/home/me/rec/") + file, "$GPRMC\r\n");
        }
        files.AddFile(L"/home/me/drive.nmea", "$GPRMC\r\n");
    }

    void Open(const std::wstring& start, int room = kRoom) { dialog.Open(start, L"/home/me", L"/home/me", room); }

    // Folders end in "/", as the face shows them.
    std::vector<std::wstring> Rows() const {
        std::vector<std::wstring> rows;
        for (int i = 0; i < dialog.RowCount(); ++i) {
            rows.push_back(dialog.RowAt(i).name + (dialog.RowAt(i).folder ? L"/" : L""));
        }
        return rows;
    }

    int RowOf(const std::wstring& name) const {
        for (int i = 0; i < dialog.RowCount(); ++i) {
            if (dialog.RowAt(i).name == name) return i;
        }
        return -1;
    }

    FakeFileSystem files;
    OpenFileDialog dialog{files};
};

TEST_F(OpenFileDialogTest, RowsAreUpThenFoldersThenNmeaFilesEachInCaselessOrderWithoutHiddenNames) {
    Open(L"/home/me/rec");
    EXPECT_EQ(dialog.Folder(), L"/home/me/rec");
    EXPECT_EQ(std::wstring(dialog.FilterName()), kNmeaFilterName);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"../", L"alpha/", L"Zeta/", L"a.nmea", L"B.nmea", L"C.NMEA"}))
        << "\"a.nmea\" sorts before \"alpha\" by name, but folders come first";
    EXPECT_TRUE(dialog.Message().empty());

    Open(L"/");
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"home/", L"tmp/"})) << "no \"..\" at the root";
}

TEST_F(OpenFileDialogTest, AllFilesTakesNamesWithoutADotAndEachSwitchListsAgain) {
    Open(L"/home/me/rec");
    dialog.NextFilter();
    EXPECT_EQ(std::wstring(dialog.FilterName()), kAllFilterName);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"../", L"alpha/", L"Zeta/", L"a.nmea", L"B.nmea", L"C.NMEA",
                                                 L"drive.nmea.bak", L"nmea", L"notes.txt", L"README"}));

    files.AddFile(L"/home/me/rec/late.nmea", "");
    dialog.NextFilter();
    EXPECT_EQ(std::wstring(dialog.FilterName()), kNmeaFilterName);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"../", L"alpha/", L"Zeta/", L"a.nmea", L"B.nmea", L"C.NMEA",
                                                 L"late.nmea"}));

    dialog.NextFilter();
    Open(L"/home/me/rec");
    EXPECT_EQ(std::wstring(dialog.FilterName()), kNmeaFilterName) << "each opening starts with NMEA files";
}

TEST_F(OpenFileDialogTest, RowsEnterFoldersGoUpToTheRootAndChooseFiles) {
    Open(L"/home/me/rec");
    EXPECT_EQ(dialog.OpenRow(RowOf(L"Zeta")), Step::Entered);
    EXPECT_EQ(dialog.Folder(), L"/home/me/rec/Zeta");
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"../"}));

    for (const wchar_t* up : {L"/home/me/rec", L"/home/me", L"/home", L"/"}) {
        ASSERT_EQ(dialog.RowAt(0).name, L"..");
        EXPECT_EQ(dialog.OpenRow(0), Step::Entered);
        EXPECT_EQ(dialog.Folder(), up);
    }
    EXPECT_EQ(dialog.OpenRow(RowOf(L"home")), Step::Entered);
    EXPECT_EQ(dialog.OpenRow(RowOf(L"me")), Step::Entered);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"../", L"rec/", L"drive.nmea"}));

    EXPECT_EQ(dialog.OpenRow(RowOf(L"drive.nmea")), Step::Chosen);
    EXPECT_EQ(dialog.Chosen(), L"/home/me/drive.nmea");
    EXPECT_EQ(dialog.OpenRow(dialog.RowCount()), Step::Stayed);
    EXPECT_EQ(dialog.OpenRow(-1), Step::Stayed);
}

TEST_F(OpenFileDialogTest, TypedPathsAreRelativeAbsoluteOrFromHomeAndFoldedAsText) {
    Open(L"/home/me/rec");
    struct Row {
        const wchar_t* typed;
        Step step;
        const wchar_t* landed;  // the folder entered or the file chosen
        const char* why;
    };
    const Row rows[] = {
        {L"alpha", Step::Entered, L"/home/me/rec/alpha", "relative"},
        {L"../a.nmea", Step::Chosen, L"/home/me/rec/a.nmea", "relative, up"},
        {L"/home/me/drive.nmea", Step::Chosen, L"/home/me/drive.nmea", "absolute"},
        {L"~/rec/new.nmea", Step::Chosen, L"/home/me/rec/new.nmea", "the file need not exist"},
        {L"~", Step::Entered, L"/home/me", "home"},
        {L"//tmp/./..//home/me/rec/", Step::Entered, L"/home/me/rec", "folded as text"},
        {L"../../../../../..", Step::Entered, L"/", "never above the root"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(dialog.OpenTyped(row.typed), row.step) << row.why;
        EXPECT_EQ(row.step == Step::Chosen ? dialog.Chosen() : dialog.Folder(), row.landed) << row.why;
    }
    EXPECT_EQ(dialog.RowAt(0).name, L"home");
}

TEST_F(OpenFileDialogTest, AMissingFolderOrAPathTooLongForTheCallerIsRefusedWithAMessage) {
    Open(L"/home/me/rec", 20);
    EXPECT_EQ(dialog.OpenTyped(L"gone/drive.nmea"), Step::Stayed);
    EXPECT_EQ(dialog.Message(), L"The folder /home/me/rec/gone does not exist.");
    EXPECT_EQ(dialog.OpenTyped(L"gone/"), Step::Stayed);
    EXPECT_EQ(dialog.Message(), L"The folder /home/me/rec/gone does not exist.") << "a slash names a folder";
    EXPECT_EQ(dialog.Folder(), L"/home/me/rec");

    EXPECT_EQ(dialog.OpenTyped(L"ab.nmea"), Step::Stayed) << "20 characters leave no room for the NUL";
    EXPECT_EQ(dialog.Message(), L"That path is longer than 19 characters; choose a file with a shorter path.");
    EXPECT_TRUE(dialog.Chosen().empty());
    EXPECT_EQ(dialog.OpenRow(RowOf(L"a.nmea")), Step::Chosen) << "19 characters fit";
    EXPECT_TRUE(dialog.Message().empty());
    EXPECT_EQ(dialog.Chosen(), L"/home/me/rec/a.nmea");
}

TEST_F(OpenFileDialogTest, StartsInTheCurrentFolderWhenNoneOrAGoneOneIsGiven) {
    Open(L"");
    EXPECT_EQ(dialog.Folder(), L"/home/me");
    Open(L"/home/me/rec/gone");
    EXPECT_EQ(dialog.Folder(), L"/home/me");
    EXPECT_TRUE(dialog.Message().empty());
    Open(L"rec/alpha");
    EXPECT_EQ(dialog.Folder(), L"/home/me/rec/alpha") << "relative to the current folder";
}

}  // namespace
