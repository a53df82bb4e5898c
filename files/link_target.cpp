#include "link_target.h"

#include "file_error.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zentavo {

namespace {

// The limit the kernel itself puts on a chain of links.
constexpr int kMaxLinks = 40;

std::string ReadLink(const std::filesystem::path& link, std::size_t sizeHint)
{
    std::string text(sizeHint + 1, '\0');
    for (;;) {
        const ssize_t length = ::readlink(link.c_str(), text.data(), text.size());
        if (length < 0)
            throw FileError(ErrnoWords(errno));
        if (static_cast<std::size_t>(length) < text.size()) {
            text.resize(static_cast<std::size_t>(length));
            return text;
        }
        text.resize(text.size() * 2); // the link changed since it was looked at; try a larger buffer
    }
}

} // namespace

std::filesystem::path FollowLinks(const std::filesystem::path& path)
{
    std::filesystem::path current = path;
    for (int followed = 0;; ++followed) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current; // no link (or nothing there yet): whatever comes next reports its own error
        if (followed == kMaxLinks)
            throw FileError(ErrnoWords(ELOOP));
        const std::filesystem::path next = ReadLink(current, static_cast<std::size_t>(info.st_size));
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
}

} // namespace zentavo
