#include "plot/SvgText.h"

#include <vector>

#include "format/BoundedText.h"
#include "platform/Utf8.h"
#include "platform/WideChars.h"

SvgText& SvgText::Number(double value, int decimals) {
    char digits[kFormattedNumberChars];
    out_ += BoundedText(digits, sizeof digits).Fixed(value, decimals).Data();
    return *this;
}

SvgText& SvgText::Integer(int value) {
    char digits[kFormattedNumberChars];
    out_ += BoundedText(digits, sizeof digits).Integer(value).Data();
    return *this;
}

SvgText& SvgText::Escaped(const std::string& text) {
    std::vector<wchar_t> wide(text.size() + 1);
    Utf8ToWide(text.c_str(), wide.data(), static_cast<int>(wide.size()));
    for (const wchar_t* c = wide.data(); *c != L'\0';) {
        // Whole code points: a 16-bit wchar_t holds those beyond U+FFFF as surrogate pairs.
        const uint32_t code = NextWideCodePoint(&c);
        switch (code) {
            case '&':
                out_ += "&amp;";
                break;
            case '<':
                out_ += "&lt;";
                break;
            case '>':
                out_ += "&gt;";
                break;
            case '"':
                out_ += "&quot;";
                break;
            case '\'':
                out_ += "&apos;";
                break;
            default: {
                // XML 1.0 allows no control character but tab, LF and CR, nor U+FFFE/U+FFFF.
                const bool allowed = (code >= 0x20 && code != 0x7F && code != 0xFFFE && code != 0xFFFF &&
                                      (code < 0xD800 || code > 0xDFFF));
                char bytes[8];
                int used = 0;
                AppendUtf8(allowed ? code : 0x20, bytes, sizeof bytes, &used);
                out_.append(bytes, static_cast<size_t>(used));
            }
        }
    }
    return *this;
}
