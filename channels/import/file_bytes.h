#pragma once
// Reads a whole playlist file into memory in one go.

#include <cstdint>
#include <filesystem>
#include <string>

namespace zentavo {

// The most a playlist may have, read from a file or downloaded.
inline constexpr std::int64_t kMaxPlaylistBytes = 64LL * 1024 * 1024;

// The file's bytes; throws std::runtime_error naming the file and the reason in words when it cannot
// be read. Only a regular file is read: a folder, a FIFO, a socket or a device is refused before any
// byte is read (the open never waits for a FIFO's writer), and so is a file of more than maxBytes.
std::string ReadFileBytes(const std::filesystem::path& path, std::int64_t maxBytes);

// A size in megabytes (MiB) for a message: "0.5", "64", "1024".
std::string MegabytesText(std::int64_t bytes);

} // namespace zentavo
