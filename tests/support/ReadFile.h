#pragma once
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// The whole file, byte for byte; empty when it cannot be read. A path, so that Windows
// opens a wide name as it is.
inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
