#pragma once
#include <cstddef>
#include <string>

// How often part stands in text, the matches not overlapping.
inline size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}
