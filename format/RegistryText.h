#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The text of a registry export file, as regedit writes it:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Zolvet\Kestrave]
//   "OutputDir"="\\Kestrave"                      REG_SZ; \\ and \" are the only escapes
//   "PortNumber"=dword:00000001                   REG_DWORD, 8 lowercase hex digits
//   "Extra"=hex(2):25,00,41,00,00,00              any other type number, in hex
//   "Blob"=hex:01,02,\                            REG_BINARY; "\" continues the line
//     03,04
//   @="..."                                       the key's unnamed value
//
// Regedit on Windows writes UTF-16; here the file is UTF-8, which is what a text
// editor on Linux expects. Names and string values are kept as UTF-8 text; the
// data of a value is the byte blob the registry holds (REG_SZ as UTF-16LE with NUL).

extern const char kRegistryHeader[];

// One logical line of the file.
struct RegistryLine {
    enum class Kind { Other, Key, Value };  // Other: the header, blank lines, ";" comments

    Kind kind = Kind::Other;
    std::string text;  // as it stands in the file, continuation lines included, no line end
    std::string key;   // Key: its name; Value: the name of the key it belongs to
    std::string name;  // Value: unescaped, "" for "@"
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

// Parses a whole file. A file of nothing but white space gives no lines. False on
// the first line not understood, with its number and a phrase saying what is wrong.
bool ParseRegistryText(const std::string& text, std::vector<RegistryLine>& lines,
                       int* errorLine, std::string* problem);
// The file's text, each line ended by "\n".
std::string JoinRegistryText(const std::vector<RegistryLine>& lines);

RegistryLine MakeOtherLine(const std::string& text);
// False when the name cannot stand in the file (control characters, not UTF-8).
bool MakeKeyLine(const std::string& key, RegistryLine* line);
// A REG_SZ that is clean text is written as a quoted string, a REG_DWORD of four bytes
// as dword:, anything else as hex bytes, so that every blob comes back unchanged.
// False when the name cannot stand in the file.
bool MakeValueLine(const std::string& key, const std::string& name, uint32_t type,
                   const std::vector<uint8_t>& data, RegistryLine* line);

// Key and value names compare as the registry does, ignoring (ASCII) case.
bool SameRegistryName(const std::string& a, const std::string& b);
