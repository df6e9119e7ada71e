#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/Win32SerialDevice.h"

namespace {

// A port number beyond COM9 goes through the device namespace; one that is not there
// fails at the first step and tells that it is missing.
TEST(Win32SerialDevice, MissingPortIsNamedAsMissing) {
    Win32SerialDevice device;
    PortOpenFailure failure;
    EXPECT_FALSE(device.OpenFailure(&failure));
    EXPECT_EQ(device.Open(L"COM47:"), kInvalidSerial);
    EXPECT_EQ(device.LastError(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(device.OpenFailure(&failure));
    EXPECT_EQ(failure.cause, PortOpenCause::Missing);
    EXPECT_EQ(std::wstring(failure.device), L"COM47");
    wchar_t text[512];

    EXPECT_FALSE(device.Describe(47, text, 512));
    EXPECT_STREQ(text, L"not present");
    EXPECT_EQ(device.LastError(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
