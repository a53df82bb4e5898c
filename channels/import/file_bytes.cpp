#include "file_bytes.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace zentavo {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Get() const { return fd_; }

private:
    int fd_;
};

[[noreturn]] void Fail(const std::filesystem::path& path, int error)
{
    throw std::runtime_error("cannot read " + path.string() + ": " + std::strerror(error));
}

} // namespace

std::string ReadFileBytes(const std::filesystem::path& path)
{
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        Fail(path, errno);
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        Fail(path, errno);
    if (S_ISDIR(info.st_mode))
        Fail(path, EISDIR);
    std::string bytes;
    // The size is a hint: a file that grows or shrinks while it is read (or a pipe) still reads whole.
    bytes.resize(S_ISREG(info.st_mode) && info.st_size > 0 ? static_cast<size_t>(info.st_size) : 65536);
    size_t filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t got = ::read(fd.Get(), bytes.data() + filled, bytes.size() - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            Fail(path, errno);
        }
        if (got == 0)
            break;
        filled += static_cast<size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

} // namespace zentavo
