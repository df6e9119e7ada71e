#include "format/RegistryText.h"

#include <cstdio>

#include "platform/SettingsStore.h"
#include "platform/Utf16.h"
#include "platform/Utf8.h"

const char kRegistryHeader[] = "Windows Registry Editor Version 5.00";

namespace {

// Hex data is continued on the next line once a line grows past this, as regedit does.
constexpr size_t kWrapColumn = 76;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Control characters would break the one-value-per-line layout; a tab does no harm.
bool IsControl(uint32_t c) { return c < 0x20 && c != '\t'; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// prefix is lower case.
bool StartsWithNoCase(const std::string& s, size_t at, const char* prefix) {
    for (; *prefix != '\0'; ++prefix, ++at) {
        if (at >= s.size() || Lower(s[at]) != *prefix) return false;
    }
    return true;
}

bool OnlyBlanksFrom(const std::string& s, size_t at) {
    for (; at < s.size(); ++at) {
        if (!IsBlank(s[at])) return false;
    }
    return true;
}

bool OnlyWhiteSpace(const std::string& s) {
    for (char c : s) {
        if (!IsBlank(c) && c != '\r' && c != '\n') return false;
    }
    return true;
}

// Strict UTF-8: overlong forms, surrogates and values beyond U+10FFFF are refused.
bool NextUtf8(const std::string& s, size_t* pos, uint32_t* codePoint) {
    static const uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    uint32_t c = static_cast<uint8_t>(s[*pos]);
    int more = c < 0x80 ? 0 : c >= 0xC2 && c < 0xE0 ? 1 : c >= 0xE0 && c < 0xF0 ? 2
             : c >= 0xF0 && c < 0xF5 ? 3 : -1;
    if (more < 0 || s.size() - *pos - 1 < static_cast<size_t>(more)) return false;
    c &= 0x7Fu >> more;
    for (int i = 1; i <= more; ++i) {
        uint8_t next = static_cast<uint8_t>(s[*pos + i]);
        if ((next & 0xC0) != 0x80) return false;
        c = c << 6 | (next & 0x3F);
    }
    if (c < kSmallest[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    *pos += 1 + more;
    *codePoint = c;
    return true;
}

// Valid UTF-8 without control characters.
bool IsWritableText(const std::string& text) {
    size_t pos = 0;
    uint32_t c = 0;
    while (pos < text.size()) {
        if (!NextUtf8(text, &pos, &c) || IsControl(c)) return false;
    }
    return true;
}

std::vector<uint8_t> Utf16String(const std::string& text) {
    std::vector<uint8_t> data;
    size_t pos = 0;
    uint32_t c = 0;
    while (pos < text.size() && NextUtf8(text, &pos, &c)) {
        uint8_t units[4];
        uint32_t used = 0;
        AppendUtf16Le(c, units, sizeof units, &used);
        data.insert(data.end(), units, units + used);
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

// The UTF-8 text of a REG_SZ blob when a quoted string gives it back unchanged:
// one NUL at the very end, proper UTF-16, no control characters.
bool TextOfString(const std::vector<uint8_t>& data, std::string* text) {
    uint32_t size = static_cast<uint32_t>(data.size());
    if (size < 2 || size % 2 != 0 || data[size - 2] != 0 || data[size - 1] != 0) return false;
    uint32_t pos = 0;
    uint32_t c = 0;
    while (pos < size - 2) {
        if (!NextUtf16Le(data.data(), size - 2, &pos, &c) || IsControl(c)) return false;
        char bytes[8];
        int used = 0;
        AppendUtf8(c, bytes, sizeof bytes, &used);
        text->append(bytes, static_cast<size_t>(used));
    }
    return true;
}

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

void AppendHexBytes(std::string& text, const std::vector<uint8_t>& data) {
    size_t lineStart = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        char byte[4];
        snprintf(byte, sizeof byte, "%02x", data[i]);
        text += byte;
        if (i + 1 == data.size()) break;
        text += ',';
        if (text.size() - lineStart > kWrapColumn) {
            text += "\\\n  ";
            lineStart = text.size() - 2;
        }
    }
}

// Reads 1 to 8 hex digits at *pos.
bool ReadHex32(const std::string& s, size_t* pos, uint32_t* value) {
    size_t i = *pos;
    uint32_t result = 0;
    for (; i < s.size() && HexDigit(s[i]) >= 0; ++i) {
        if (i - *pos == 8) return false;
        result = result << 4 | static_cast<uint32_t>(HexDigit(s[i]));
    }
    if (i == *pos) return false;
    *pos = i;
    *value = result;
    return true;
}

// Splits the file into lines; LF and CR LF both end one.
class LineReader {
public:
    explicit LineReader(const std::string& text) : text_(text) {}

    bool Next(std::string* line) {
        if (pos_ >= text_.size()) return false;
        size_t end = text_.find('\n', pos_);
        if (end == std::string::npos) end = text_.size();
        line->assign(text_, pos_, end - pos_);
        if (!line->empty() && line->back() == '\r') line->pop_back();
        pos_ = end + 1;
        ++number_;
        return true;
    }
    int Number() const { return number_; }

private:
    const std::string& text_;
    size_t pos_ = 0;
    int number_ = 0;
};

class Parser {
public:
    explicit Parser(const std::string& text) : reader_(text) {}

    bool Run(std::vector<RegistryLine>& lines, int* errorLine, std::string* problem) {
        std::string physical;
        bool understood = true;
        while (understood && reader_.Next(&physical)) {
            RegistryLine line;
            line.text = physical;
            understood = reader_.Number() == 1 ? ParseHeader(physical) : ParseLine(physical, &line);
            if (understood) lines.push_back(std::move(line));
        }
        if (!understood) {
            lines.clear();
            *errorLine = reader_.Number();
            *problem = problem_;
        }
        return understood;
    }

private:
    bool Fail(const char* what) {
        problem_ = what;
        return false;
    }

    bool ParseHeader(std::string s) {
        if (s.compare(0, 2, "\xFF\xFE") == 0 || s.compare(0, 2, "\xFE\xFF") == 0) {
            return Fail("the file is UTF-16 text, as regedit on Windows writes it; save it as UTF-8");
        }
        if (s.compare(0, 3, "\xEF\xBB\xBF") == 0) s.erase(0, 3);
        while (!s.empty() && IsBlank(s.back())) s.pop_back();
        if (s != kRegistryHeader) {
            return Fail("the first line must be \"Windows Registry Editor Version 5.00\"");
        }
        return true;
    }

    bool ParseLine(const std::string& s, RegistryLine* line) {
        size_t start = 0;
        while (start < s.size() && IsBlank(s[start])) ++start;
        if (start == s.size() || s[start] == ';') return true;
        if (s[start] == '[') return ParseKey(s, start, line);
        if (s[start] == '"' || s[start] == '@') {
            if (key_.empty()) return Fail("a value stands before any [key] line");
            return ParseValue(s, start, line);
        }
        return Fail("it is neither a [key], a value nor a ; comment");
    }

    bool ParseKey(const std::string& s, size_t start, RegistryLine* line) {
        size_t end = s.size();
        while (IsBlank(s[end - 1])) --end;
        if (s[end - 1] != ']' || end - start < 3) return Fail("a key needs a name and a closing ]");
        std::string name = s.substr(start + 1, end - start - 2);
        if (name[0] == '-') return Fail("deleting a key with [-...] has no place in a settings file");
        if (!IsWritableText(name)) return Fail("the key name is not UTF-8 text");
        key_ = name;
        line->kind = RegistryLine::Kind::Key;
        line->key = name;
        return true;
    }

    // Reads "..." from the opening quote at *pos to behind the closing one.
    bool ReadQuoted(const std::string& s, size_t* pos, std::string* out) {
        out->clear();
        for (size_t i = *pos + 1; i < s.size(); ++i) {
            char c = s[i];
            if (c == '"') {
                if (!IsWritableText(*out)) return Fail("the text in quotes is not UTF-8 or holds control characters");
                *pos = i + 1;
                return true;
            }
            if (c == '\\') {
                if (i + 1 == s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
                    return Fail("a backslash inside quotes must be doubled (\\\\)");
                }
                c = s[++i];
            }
            out->push_back(c);
        }
        return Fail("the closing quote is missing");
    }

    bool ParseValue(const std::string& s, size_t start, RegistryLine* line) {
        size_t i = start;
        std::string name;
        if (s[i] == '@') {
            ++i;
        } else if (!ReadQuoted(s, &i, &name)) {
            return false;
        }
        while (i < s.size() && IsBlank(s[i])) ++i;
        if (i == s.size() || s[i] != '=') return Fail("an = must follow the value's name");
        ++i;
        while (i < s.size() && IsBlank(s[i])) ++i;
        line->kind = RegistryLine::Kind::Value;
        line->key = key_;
        line->name = name;

        if (i < s.size() && s[i] == '"') {
            std::string text;
            if (!ReadQuoted(s, &i, &text)) return false;
            if (!OnlyBlanksFrom(s, i)) return Fail("there is more text behind the closing quote");
            line->type = kRegSz;
            line->data = Utf16String(text);
            return true;
        }
        if (StartsWithNoCase(s, i, "dword:")) {
            i += 6;
            uint32_t value = 0;
            if (!ReadHex32(s, &i, &value) || !OnlyBlanksFrom(s, i)) {
                return Fail("a dword needs 1 to 8 hex digits, like dword:0000000a");
            }
            line->type = kRegDword;
            line->data.resize(4);
            PutDword(value, line->data.data());
            return true;
        }
        if (StartsWithNoCase(s, i, "hex:")) {
            line->type = kRegBinary;
            return ParseHexBytes(s.substr(i + 4), line);
        }
        if (StartsWithNoCase(s, i, "hex(")) {
            i += 4;
            if (!ReadHex32(s, &i, &line->type) || s.compare(i, 2, "):") != 0) {
                return Fail("a value type is written in hex, like hex(2):");
            }
            return ParseHexBytes(s.substr(i + 2), line);
        }
        return Fail("the data must be a \"string\", dword: or hex: bytes");
    }

    // Two-digit hex bytes separated by commas; a "\" after a comma continues the
    // list on the next line.
    bool ParseHexBytes(std::string rest, RegistryLine* line) {
        bool expectByte = true;
        size_t i = 0;
        for (;;) {
            while (i < rest.size() && IsBlank(rest[i])) ++i;
            if (i == rest.size()) {
                if (expectByte && !line->data.empty()) return Fail("the hex data ends in a comma");
                return true;
            }
            if (rest[i] == '\\' && OnlyBlanksFrom(rest, i + 1)) {
                if (!expectByte || line->data.empty()) return Fail("a \\ continuing hex data must follow a comma");
                std::string physical;
                if (!reader_.Next(&physical)) return Fail("the file ends where hex data was to go on");
                line->text += "\n" + physical;
                rest = physical;
                i = 0;
            } else if (!expectByte) {
                if (rest[i] != ',') return Fail("hex bytes must be separated by commas");
                ++i;
                expectByte = true;
            } else {
                if (i + 1 == rest.size() || HexDigit(rest[i]) < 0 || HexDigit(rest[i + 1]) < 0) {
                    return Fail("a hex byte is two hex digits, like 0a");
                }
                line->data.push_back(static_cast<uint8_t>(HexDigit(rest[i]) << 4 | HexDigit(rest[i + 1])));
                i += 2;
                expectByte = false;
            }
        }
    }

    LineReader reader_;
    std::string key_;  // the key that the values below belong to
    std::string problem_;
};

}  // namespace

bool ParseRegistryText(const std::string& text, std::vector<RegistryLine>& lines,
                       int* errorLine, std::string* problem) {
    lines.clear();
    if (OnlyWhiteSpace(text)) return true;
    return Parser(text).Run(lines, errorLine, problem);
}

std::string JoinRegistryText(const std::vector<RegistryLine>& lines) {
    std::string text;
    for (const RegistryLine& line : lines) text += line.text + "\n";
    return text;
}

RegistryLine MakeOtherLine(const std::string& text) {
    RegistryLine line;
    line.text = text;
    return line;
}

bool MakeKeyLine(const std::string& key, RegistryLine* line) {
    if (key.empty() || key[0] == '-' || !IsWritableText(key)) return false;
    line->kind = RegistryLine::Kind::Key;
    line->key = key;
    line->text = "[" + key + "]";
    return true;
}

bool MakeValueLine(const std::string& key, const std::string& name, uint32_t type,
                   const std::vector<uint8_t>& data, RegistryLine* line) {
    if (!IsWritableText(name)) return false;
    line->kind = RegistryLine::Kind::Value;
    line->key = key;
    line->name = name;
    line->type = type;
    line->data = data;
    line->text = name.empty() ? "@=" : Quote(name) + "=";
    std::string text;
    if (type == kRegSz && TextOfString(data, &text)) {
        line->text += Quote(text);
    } else if (type == kRegDword && data.size() == 4) {
        char dword[16];
        snprintf(dword, sizeof dword, "dword:%08x", GetDword(data.data()));
        line->text += dword;
    } else {
        char head[24];
        if (type == kRegBinary) {
            snprintf(head, sizeof head, "hex:");
        } else {
            snprintf(head, sizeof head, "hex(%x):", type);
        }
        line->text += head;
        AppendHexBytes(line->text, data);
    }
    return true;
}

bool SameRegistryName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}
