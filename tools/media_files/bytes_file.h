#pragma once
// Writing a made file to disk in one go, for the tools, tests and fuzzers that make pictures and
// music. A plain function, any thread.
#include <cstdint>
#include <string>
#include <vector>

// Writes the bytes to `path`, replacing what was there; false when that fails.
bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
