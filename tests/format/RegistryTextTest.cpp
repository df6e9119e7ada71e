#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/RegistryText.h"

// The settings file's text on its own, without a file: what every build reads and writes.
namespace {

constexpr uint32_t kString = 1;
constexpr uint32_t kDword = 4;
constexpr uint32_t kBinary = 3;

std::vector<RegistryLine> Parse(const std::string& text) {
    std::vector<RegistryLine> lines;
    int errorLine = 0;
    std::string problem;
    EXPECT_TRUE(ParseRegistryText(text, lines, &errorLine, &problem)) << "line " << errorLine << ": " << problem;
    return lines;
}

const RegistryLine* Value(const std::vector<RegistryLine>& lines, const std::string& name) {
    for (const RegistryLine& line : lines) {
        if (line.kind == RegistryLine::Kind::Value && SameRegistryName(line.name, name)) return &line;
    }
    return nullptr;
}

TEST(RegistryText, ReadsEachKindOfValueAsTheRegistryHoldsIt) {
    const std::vector<RegistryLine> lines = Parse(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Zolvet\\Kestrave]\n"
        "\"OutputDir\"=\"\\\\Kestrave \\\"x\\\"\"\n"
        "\"PortSpeed\"=dword:00002580\n"
        "\"Blob\"=hex:01,02,\\\n"
        "  03,ff\n"
        "; a comment the user wrote\n");
    const RegistryLine* dir = Value(lines, "outputdir");
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(dir->type, kString);
    EXPECT_EQ(dir->key, "HKEY_CURRENT_USER\\Software\\Zolvet\\Kestrave");
    // REG_SZ as UTF-16LE with its NUL.
    const std::string expected = "\\Kestrave \"x\"";
    ASSERT_EQ(dir->data.size(), 2 * (expected.size() + 1));
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(dir->data[2 * i], static_cast<uint8_t>(expected[i]));
    const RegistryLine* speed = Value(lines, "PortSpeed");
    ASSERT_NE(speed, nullptr);
    EXPECT_EQ(speed->type, kDword);
    EXPECT_EQ(speed->data, (std::vector<uint8_t>{0x80, 0x25, 0x00, 0x00}));
    const RegistryLine* blob = Value(lines, "Blob");
    ASSERT_NE(blob, nullptr);
    EXPECT_EQ(blob->type, kBinary);
    EXPECT_EQ(blob->data, (std::vector<uint8_t>{0x01, 0x02, 0x03, 0xff}));
}

TEST(RegistryText, WhatItWritesReadsBackToTheSameBlobs) {
    const std::string key = "HKEY_CURRENT_USER\\Software\\Zolvet\\Kestrave";
    std::vector<RegistryLine> lines = {MakeOtherLine(kRegistryHeader), MakeOtherLine("")};
    RegistryLine line;
    ASSERT_TRUE(MakeKeyLine(key, &line));
    lines.push_back(line);
    const std::vector<std::vector<uint8_t>> blobs = {
        {0x01, 0x00, 0x00, 0x00},                 // a dword
        {0x01, 0x00, 0x00},                       // three bytes: no dword, so hex
        std::vector<uint8_t>(100, 0xab),          // long enough to be continued
        {'\\', 0, 'K', 0, 0, 0},                  // clean text: a quoted string
        {'a', 0, '\n', 0, 0, 0},                  // a line end inside: hex
    };
    const uint32_t types[] = {kDword, kDword, kBinary, kString, kString};
    for (size_t i = 0; i < blobs.size(); ++i) {
        ASSERT_TRUE(MakeValueLine(key, "v" + std::to_string(i), types[i], blobs[i], &line));
        lines.push_back(line);
    }
    const std::vector<RegistryLine> back = Parse(JoinRegistryText(lines));
    for (size_t i = 0; i < blobs.size(); ++i) {
        const RegistryLine* value = Value(back, "V" + std::to_string(i));
        ASSERT_NE(value, nullptr) << i;
        EXPECT_EQ(value->type, types[i]) << i;
        EXPECT_EQ(value->data, blobs[i]) << i;
    }
}

TEST(RegistryText, RefusesWhatItCannotReadAndNamesTheLine) {
    const char* broken[] = {
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\X]\n\"A\"=dword:xyz\n",
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\X]\n\"A\"=hex:0g\n",
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\X]\n\"A=\"x\"\n",
        "REGEDIT4\n",
    };
    for (const char* text : broken) {
        std::vector<RegistryLine> lines;
        int errorLine = 0;
        std::string problem;
        EXPECT_FALSE(ParseRegistryText(text, lines, &errorLine, &problem)) << text;
        EXPECT_GT(errorLine, 0) << text;
        EXPECT_FALSE(problem.empty()) << text;
    }
    RegistryLine line;
    EXPECT_FALSE(MakeValueLine("HKEY_CURRENT_USER\\X", "a\nb", kDword, {0, 0, 0, 0}, &line));
}

}  // namespace
