#include "file_writer.h"

#include "file_descriptor.h"
#include "file_error.h"
#include "link_target.h"
#include "temporary_names.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentavo {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void ThrowErrno(int error)
{
    throw FileError(ErrnoWords(error));
}

void WriteAll(int fd, std::string_view bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            ThrowErrno(put < 0 ? errno : EIO);
        written += static_cast<std::size_t>(put);
    }
}

std::string RandomSuffix()
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
    std::string suffix(kTemporarySuffixLength, '\0');
    for (char& c : suffix)
        c = kAlphabet[pick(generator)];
    return suffix;
}

// A temporary file beside the target, removed again unless it was renamed into place.
class TemporaryFile {
public:
    TemporaryFile(int folderFd, std::string_view target, mode_t mode) : folderFd_(folderFd)
    {
        const std::string prefix = TemporaryNamePrefix(target, ::getpid());
        for (int attempt = 0; attempt < 100 && !fd_.IsOpen(); ++attempt) {
            name_ = prefix + RandomSuffix();
            fd_ = FileDescriptor(
                ::openat(folderFd, name_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
            if (!fd_.IsOpen() && errno != EEXIST)
                break;
        }
        if (!fd_.IsOpen()) {
            const int error = errno;
            name_.clear();
            ThrowErrno(error);
        }
        // Held until the rename: the clean-up of other saves leaves a locked file alone. A file
        // system without locks still has the process id in the name to go by.
        while (::flock(fd_.Get(), LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (!name_.empty())
            ::unlinkat(folderFd_, name_.c_str(), 0);
    }

    int Fd() const { return fd_.Get(); }
    void RenameTo(const std::string& target)
    {
        if (::renameat(folderFd_, name_.c_str(), folderFd_, target.c_str()) != 0)
            ThrowErrno(errno);
        name_.clear();
    }

private:
    int folderFd_;
    std::string name_;
    FileDescriptor fd_;
};

void ReplaceResolvedFile(const fs::path& target, std::string_view bytes)
{
    const std::string name = target.filename().string();
    if (name.empty() || name == "." || name == "..")
        ThrowErrno(EISDIR);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const FileDescriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd.IsOpen())
        ThrowErrno(errno);

    // An existing file keeps its permissions; a write-protected one is not replaced behind its
    // owner's back (a rename would otherwise ignore the protection).
    struct stat existing {};
    bool exists = false;
    if (::fstatat(folderFd.Get(), name.c_str(), &existing, 0) == 0) {
        if (S_ISDIR(existing.st_mode))
            ThrowErrno(EISDIR);
        if ((existing.st_mode & S_IWUSR) == 0)
            throw FileError("the file is read-only");
        exists = true;
    } else if (errno != ENOENT) {
        ThrowErrno(errno);
    }

    RemoveStaleTemporaryFiles(folderFd.Get(), name);

    // A new file is created with 0666 and the umask does the rest; an existing file's mode is set
    // before any byte is written, so the content is never more open than the file it replaces.
    TemporaryFile temporary(folderFd.Get(), name, exists ? 0600 : 0666);
    if (exists && ::fchmod(temporary.Fd(), existing.st_mode & 07777) != 0)
        ThrowErrno(errno);
    WriteAll(temporary.Fd(), bytes);
    // The data reaches the disk before the new name does, so a crash leaves the old file or the new one.
    if (::fsync(temporary.Fd()) != 0)
        ThrowErrno(errno);
    temporary.RenameTo(name);
    ::fsync(folderFd.Get()); // the rename is done; a folder that cannot be flushed changes nothing
}

} // namespace

void ReplaceFile(const fs::path& path, std::string_view bytes)
{
    const fs::path target = FollowLinks(path);
    try {
        ReplaceResolvedFile(target, bytes);
    } catch (const FileError& error) {
        if (target == path)
            throw;
        throw FileError(std::string(error.what()) + " (the link leads to " + target.string() + ")");
    }
}

void CreateNewFileAt(int folderFd, const std::string& name, std::string_view bytes, mode_t mode)
{
    FileDescriptor fd(::openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!fd.IsOpen())
        ThrowErrno(errno);
    try {
        WriteAll(fd.Get(), bytes);
        if (fd.Close() != 0)
            ThrowErrno(errno);
    } catch (const FileError&) {
        ::unlinkat(folderFd, name.c_str(), 0);
        throw;
    }
}

void RewriteOpenFile(int fd, std::string_view bytes)
{
    // Written from the start, then cut to length: an interruption leaves the new content followed by
    // the tail of the earlier one, never less than what was written.
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::pwrite(fd, bytes.data() + written, bytes.size() - written, static_cast<off_t>(written));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            ThrowErrno(put < 0 ? errno : EIO);
        written += static_cast<std::size_t>(put);
    }
    if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        ThrowErrno(errno);
}

} // namespace zentavo
