#pragma once
// Reads a whole file into memory in one go.

#include <filesystem>
#include <string>

namespace zentavo {

// The file's bytes; throws std::runtime_error naming the reason when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);

} // namespace zentavo
