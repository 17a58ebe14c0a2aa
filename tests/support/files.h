#pragma once
// Whole files as bytes, for tests.

#include <fstream>
#include <sstream>
#include <string>

// Every byte of the file; empty when it cannot be read.
inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
