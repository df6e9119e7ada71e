#pragma once
#include <string>

// The text of an SVG document, built piece by piece: numbers through the recorder's own
// formatting (never the locale's), and free text escaped for XML.
class SvgText {
public:
    SvgText& Text(const char* text) {
        out_ += text;
        return *this;
    }
    // "%.<decimals>f".
    SvgText& Number(double value, int decimals = 1);
    SvgText& Integer(int value);
    // Text from a file, such as a waypoint's name: & < > " ' become entities, control
    // characters a blank, and bytes that are no UTF-8 the replacement character, so
    // that the document stays well-formed whatever the file held.
    SvgText& Escaped(const std::string& text);

    const std::string& Document() const { return out_; }

private:
    std::string out_;
};
