#include "file_bytes.h"

#include "files/file_descriptor.h"
#include "files/file_error.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace zentavo {
namespace {

[[noreturn]] void Fail(const std::filesystem::path& path, const std::string& reason)
{
    throw std::runtime_error("cannot read " + path.string() + ": " + reason);
}

std::string TooLarge(std::int64_t maxBytes)
{
    return "it is more than the " + MegabytesText(maxBytes) + " MB a playlist may have";
}

// What a file that is not a regular one is, in words.
std::string NotAFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return "it is a folder, not a file";
    if (S_ISFIFO(mode))
        return "it is a pipe (FIFO), not a file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a file";
    return "it is not a regular file";
}

} // namespace

std::string MegabytesText(std::int64_t bytes)
{
    // Three digits at most below 100 MB ("0.5", "64", "99.5"), whole megabytes above ("1024").
    const double megabytes = static_cast<double>(bytes) / (1024.0 * 1024.0);
    char text[32];
    std::snprintf(text, sizeof text, megabytes < 100 ? "%.3g" : "%.0f", megabytes);
    return text;
}

std::string ReadFileBytes(const std::filesystem::path& path, std::int64_t maxBytes)
{
    // O_NONBLOCK: the open of a FIFO would otherwise wait for a writer for good. A regular file
    // reads as usual with it.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.IsOpen())
        Fail(path, ErrnoWords(errno));
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        Fail(path, ErrnoWords(errno));
    if (!S_ISREG(info.st_mode))
        Fail(path, NotAFile(info.st_mode));
    if (info.st_size > maxBytes)
        Fail(path,
             "it is " + MegabytesText(info.st_size) + " MB, more than the " + MegabytesText(maxBytes)
                 + " MB a playlist may have");
    // The size is a hint: a file that grows while it is read is read up to one byte past the limit,
    // which tells that it has passed it.
    const auto limit = static_cast<size_t>(maxBytes) + 1;
    std::string bytes;
    bytes.resize(std::min(limit, info.st_size > 0 ? static_cast<size_t>(info.st_size) + 1 : size_t{65536}));
    size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() >= limit)
                break;
            bytes.resize(std::min(limit, bytes.size() * 2));
        }
        const ssize_t got = ::read(fd.Get(), bytes.data() + filled, bytes.size() - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            Fail(path, ErrnoWords(errno));
        }
        if (got == 0)
            break;
        filled += static_cast<size_t>(got);
    }
    if (filled > static_cast<size_t>(maxBytes))
        Fail(path, TooLarge(maxBytes));
    bytes.resize(filled);
    return bytes;
}

} // namespace zentavo
