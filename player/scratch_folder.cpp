#include "scratch_folder.h"

#include <QDir>
#include <QUuid>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zentavo {

namespace fs = std::filesystem;

namespace {

constexpr const char* kScratchName = "zvoplayer";

std::string SystemMessage(int error) { return std::strerror(error); }

// The per-user folder under the system temporary folder: created 0700 when missing, and refused
// unless it is a real folder (no symbolic link) owned by the user and closed to everyone else, so
// that no other user can plant pages or links in it.
fs::path PrivateTemporaryFolder()
{
    const fs::path folder = fs::path(QDir::tempPath().toStdString()) / ("zentavo-" + std::to_string(::getuid()));
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw std::runtime_error("Cannot create the folder \"" + folder.string() + "\". " + SystemMessage(errno));
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        throw std::runtime_error("Cannot open the folder \"" + folder.string() + "\". " + SystemMessage(errno));
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 0077) != 0)
        throw std::runtime_error("The temporary folder \"" + folder.string() +
                                 "\" is not private to this user; remove it and try again");
    return folder;
}

fs::path RuntimeFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0')
        return fs::path(runtime);
    return {};
}

// The page as the page file holds it: every line, the last one included, followed by CR LF.
std::string WithCrLfLineEnds(std::string_view page)
{
    std::string out;
    out.reserve(page.size() + page.size() / 16 + 2);
    std::size_t i = 0;
    while (i < page.size()) {
        const std::size_t end = page.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            out.append(page.substr(i));
            out.append("\r\n");
            break;
        }
        out.append(page.substr(i, end - i));
        out.append("\r\n");
        i = end + 1;
        if (page[end] == '\r' && i < page.size() && page[i] == '\n')
            ++i;
    }
    return out;
}

// Removes an entry without following symbolic links: a link is removed itself, never its target.
void RemoveTree(const fs::path& path)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (error)
        return;
    if (fs::is_directory(status)) {
        // Read the folder first, then delete: removing entries while reading it may skip some.
        std::vector<fs::path> children;
        for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error))
            children.push_back(it->path());
        for (const fs::path& child : children)
            RemoveTree(child);
    }
    fs::remove(path, error);
}

} // namespace

fs::path ScratchFolderPath()
{
    const fs::path runtime = RuntimeFolder();
    return (runtime.empty() ? PrivateTemporaryFolder() : runtime) / kScratchName;
}

fs::path WritePageFile(std::string_view page)
{
    const fs::path folder = ScratchFolderPath();
    // That the folder exists already is no error; if it cannot be made, creating the file fails below.
    ::mkdir(folder.c_str(), 0700);

    const std::string name = QUuid::createUuid().toString(QUuid::WithBraces).toUpper().toStdString();
    const fs::path file = folder / name;
    const std::string bytes = WithCrLfLineEnds(page);

    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        throw std::runtime_error("Cannot create file \"" + file.string() + "\". " + SystemMessage(errno));
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(file.c_str());
            throw std::runtime_error("Cannot write file \"" + file.string() + "\". " + SystemMessage(error));
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(file.c_str());
        throw std::runtime_error("Cannot write file \"" + file.string() + "\". " + SystemMessage(error));
    }
    return file;
}

void ClearScratchFolder()
{
    try {
        const fs::path runtime = RuntimeFolder();
        fs::path base = runtime;
        if (base.empty()) {
            // Never create the private folder just to clear it; an unsafe one is left alone.
            base = fs::path(QDir::tempPath().toStdString()) / ("zentavo-" + std::to_string(::getuid()));
            struct stat info {};
            if (::lstat(base.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
                return;
        }
        RemoveTree(base / kScratchName);
    } catch (...) {
        // Closing goes on whatever happens here.
    }
}

} // namespace zentavo
