#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/Win32SerialDevice.h"

namespace {

// A port number beyond COM9 goes through the device namespace; one that is not there
// fails at the first step and says so in words.
TEST(Win32SerialDevice, MissingPortIsNamedWithWhatToDo) {
    Win32SerialDevice device;
    wchar_t text[512];
    EXPECT_FALSE(device.DescribeOpenFailure(text, 512));
    EXPECT_EQ(device.Open(L"COM47:"), kInvalidSerial);
    EXPECT_EQ(device.LastError(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(device.DescribeOpenFailure(text, 512));
    EXPECT_EQ(std::wstring(text),
              L"COM47 does not exist on this computer: plug the receiver in, or choose another port in Tools > Select "
              L"input port.");

    EXPECT_FALSE(device.Describe(47, text, 512));
    EXPECT_STREQ(text, L"not present");
    EXPECT_EQ(device.LastError(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
