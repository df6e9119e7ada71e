#pragma once
#include <string>
#include <vector>

// The text of the OziExplorer files, read back: lines of comma-separated fields.

// The lines of a file's text, without their CR LF (or LF); a last line without its
// line end (a file cut short) is kept, for its reader to judge.
std::vector<std::string> SplitLines(const std::string& text);

// The fields between the commas of one line, as they are (blanks kept).
std::vector<std::string> SplitFields(const std::string& line);

// A decimal field such as " 55.75000000" or "-79.2083": blanks around it allowed, nothing
// else. False for an empty field, an exponent, "nan", or any stray character.
bool ReadDecimalField(const std::string& field, double* value);

// The field without the blanks around it.
std::string TrimBlanks(const std::string& field);
