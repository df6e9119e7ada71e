#include <gtest/gtest.h>

#include <string>

#include "shell/StatusDialog.h"
#include "shell/TextBox.h"

namespace {

std::wstring Repeat(wchar_t c, size_t n) { return std::wstring(n, c); }

TEST(TextBox, AppendKeepsUpTo30000CharactersAndClearsBeyond) {
    static TextBox box;
    std::wstring full = Repeat(L'x', 30000);
    box.SetText(full.c_str());
    box.AppendText(L"(1) more\r\n");
    EXPECT_EQ(box.Length(), 30000u + 10u) << "exactly 30000 characters still take the message";

    box.AppendText(L"(2) alone\r\n");
    EXPECT_EQ(std::wstring(box.Text()), L"(2) alone\r\n") << "over 30000: cleared, then the message";
}

TEST(TextBox, ReplaceAndOverlongTextStayWithinStorage) {
    static TextBox box;
    box.AppendText(L"old");
    box.SetText(L"new");
    EXPECT_EQ(std::wstring(box.Text()), L"new");

    std::wstring huge = Repeat(L'y', TextBox::kCapacity + 500);
    box.SetText(huge.c_str());
    EXPECT_EQ(box.Length(), TextBox::kCapacity);
    EXPECT_EQ(box.Text()[box.Length()], L'\0');
}

TEST(StatusDialog, FlushButtonOnlyRaisesTheFlagAndUnknownControlsAreIgnored) {
    bool flushRequested = false;
    StatusDialog box(flushRequested);
    StatusDialog* dialog = &box;
    dialog->SetText(kStatusBox, L"status");
    dialog->AppendText(kLogBox, L"log\r\n");
    dialog->AppendText(1003, L"nowhere");
    dialog->PressFlush();
    dialog->PressFlush();
    EXPECT_TRUE(flushRequested);
    EXPECT_EQ(std::wstring(dialog->Box(kStatusBox).Text()), L"status");
    EXPECT_EQ(std::wstring(dialog->Box(kLogBox).Text()), L"log\r\n");
}

}  // namespace
