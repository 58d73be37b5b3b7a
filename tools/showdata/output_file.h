#pragma once
// Writing a generated file so that an interrupted build never leaves a truncated one behind:
// the bytes go to a temporary name first and are renamed into place.
#include <cstdint>
#include <string>
#include <vector>

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);
