#pragma once
#include <cstddef>
#include <string>
#include <vector>

// Text as terminal cells: a character takes one or two cells; one the terminal cannot
// show (a control character, or anything outside the character set of the locale)
// is shown as '?', so that no byte of box text can move the cursor.
wchar_t ShownCharacter(wchar_t c);
int CellWidth(wchar_t c);
int CellWidth(const std::wstring& text);

// The longest start of text that fits width cells, characters made showable.
std::wstring FitText(const std::wstring& text, int width);
// The end of text that fits width cells, for a path whose last folder matters most.
std::wstring FitTail(const std::wstring& text, int width);

// Box text cut into lines of at most width cells: at each line end ("\r\n", or a lone
// "\n" or "\r"), and where a line is too long, after its last blank that fits.
std::vector<std::wstring> WrapText(const wchar_t* text, size_t length, int width);
