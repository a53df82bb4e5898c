#include "scratch_folder.h"

#include "files/file_error.h"
#include "files/file_writer.h"
#include "files/folder_entries.h"

#include <QDir>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentavo {

namespace fs = std::filesystem;

namespace {

constexpr const char* kScratchName = "zvoplayer";
// The list of the pages one player wrote; the rest of the name is the player's own GUID.
constexpr std::string_view kListPrefix = ".instance-";
// A list longer than this is no list of ours.
constexpr std::size_t kMaxListBytes = 1 << 20;

fs::path PrivateBase()
{
    return fs::path(QDir::tempPath().toStdString()) / ("zentavo-" + std::to_string(::getuid()));
}

// The per-user folder under the system temporary folder: created 0700 when missing, and refused
// unless it is a real folder (no symbolic link) owned by the user and closed to everyone else, so
// that no other user can plant pages or links in it.
fs::path PrivateTemporaryFolder()
{
    const fs::path folder = PrivateBase();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw std::runtime_error("Cannot create the folder \"" + folder.string() + "\". " + ErrnoWords(errno));
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        throw std::runtime_error("Cannot open the folder \"" + folder.string() + "\". " + ErrnoWords(errno));
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 0077) != 0)
        throw std::runtime_error("The temporary folder \"" + folder.string()
                                 + "\" is not private to this user; remove it and try again");
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

std::string NewGuid()
{
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper().toStdString();
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper-case hexadecimal digits: the name of a page.
bool IsGuid(std::string_view name)
{
    if (name.size() != 38 || name.front() != '{' || name.back() != '}')
        return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const char c = name[i];
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

bool IsListName(std::string_view name)
{
    return name.starts_with(kListPrefix) && IsGuid(name.substr(kListPrefix.size()));
}

[[noreturn]] void Refuse(const fs::path& folder, const std::string& reason)
{
    throw std::runtime_error("The scratch folder \"" + folder.string() + "\" " + reason + "; remove it and try again");
}

// Opens the scratch folder without following a link and checks that it is the user's own and
// closed to everyone else; with `create`, makes it (0700) first when it is missing. Without
// `create`, a missing folder gives a closed descriptor.
FileDescriptor OpenFolder(const fs::path& folder, bool create)
{
    if (create && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw std::runtime_error("Cannot create the scratch folder \"" + folder.string() + "\". " + ErrnoWords(errno));
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.IsOpen()) {
        const int error = errno;
        struct stat info {};
        if (::lstat(folder.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
            Refuse(folder, "is a symbolic link, not a folder");
        if (error == ENOTDIR)
            Refuse(folder, "is not a folder");
        if (error == ENOENT && !create)
            return fd;
        throw std::runtime_error("Cannot open the scratch folder \"" + folder.string() + "\". " + ErrnoWords(error));
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        throw std::runtime_error("Cannot open the scratch folder \"" + folder.string() + "\". " + ErrnoWords(errno));
    if (info.st_uid != ::getuid())
        Refuse(folder, "belongs to another user");
    if ((info.st_mode & 0077) != 0)
        Refuse(folder, "is open to other users");
    return fd;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes the pages of a list that no running player holds, then the list itself.
void RemoveEndedPlayersPages(int folder, const std::string& listName)
{
    const FileDescriptor list(::openat(folder, listName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!list.IsOpen() || ::fstat(list.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()
        || static_cast<std::size_t>(info.st_size) > kMaxListBytes)
        return;
    if (::flock(list.Get(), LOCK_EX | LOCK_NB) != 0)
        return; // its player is still running
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    const ssize_t got = ::pread(list.Get(), text.data(), text.size(), 0);
    if (got < 0)
        return;
    text.resize(static_cast<std::size_t>(got));
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string name = text.substr(start, end - start);
        if (IsGuid(name))
            ::unlinkat(folder, name.c_str(), 0);
        start = end + 1;
    }
    struct stat there {};
    if (::fstatat(folder, listName.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(there, info))
        ::unlinkat(folder, listName.c_str(), 0);
}

} // namespace

ScratchFolder::ScratchFolder(fs::path base) : base_(std::move(base)) {}

ScratchFolder::~ScratchFolder() = default;

fs::path ScratchFolder::Path() const
{
    if (!base_.empty())
        return base_ / kScratchName;
    const fs::path runtime = RuntimeFolder();
    return (runtime.empty() ? PrivateTemporaryFolder() : runtime) / kScratchName;
}

void ScratchFolder::Open(const fs::path& path)
{
    FileDescriptor folder = OpenFolder(path, true);
    // The list is created, then locked; a player starting at that instant may take the fresh,
    // still unlocked list for an ended player's and remove it, so the name is checked once locked.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name = std::string(kListPrefix) + NewGuid();
        FileDescriptor list(
            ::openat(folder.Get(), name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!list.IsOpen())
            throw std::runtime_error("Cannot create file \"" + (path / name).string() + "\". " + ErrnoWords(errno));
        while (::flock(list.Get(), LOCK_EX) != 0) {
            if (errno != EINTR)
                throw std::runtime_error("Cannot lock file \"" + (path / name).string() + "\". " + ErrnoWords(errno));
        }
        struct stat mine {};
        struct stat there {};
        if (::fstat(list.Get(), &mine) == 0 && ::fstatat(folder.Get(), name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0
            && SameFile(mine, there)) {
            path_ = path;
            folder_ = std::move(folder);
            list_ = std::move(list);
            listName_ = name;
            return;
        }
    }
    throw std::runtime_error("Cannot create a list of pages in \"" + path.string() + "\"");
}

void ScratchFolder::Close()
{
    list_.Close();
    folder_.Close();
    listName_.clear();
    pages_.clear();
    path_.clear();
}

void ScratchFolder::SaveList()
{
    std::string text;
    for (const std::string& name : pages_)
        text.append(name).append("\n");
    RewriteOpenFile(list_.Get(), text);
}

fs::path ScratchFolder::WritePage(std::string_view page)
{
    const fs::path path = Path();
    if (!folder_.IsOpen() || path != path_) {
        Close();
        Open(path);
    }
    const std::string name = NewGuid();
    // Listed before it exists: a player that dies at any moment leaves no page that no list names.
    pages_.push_back(name);
    try {
        SaveList();
    } catch (const FileError& error) {
        pages_.pop_back();
        throw std::runtime_error("Cannot write file \"" + (path_ / listName_).string() + "\". " + error.what());
    }
    try {
        CreateNewFileAt(folder_.Get(), name, WithCrLfLineEnds(page), 0600);
    } catch (const FileError& error) {
        pages_.pop_back();
        try {
            SaveList();
        } catch (const FileError&) {
            // The list names a page that does not exist: harmless.
        }
        throw std::runtime_error("Cannot create file \"" + (path_ / name).string() + "\". " + error.what());
    }
    return path_ / name;
}

void ScratchFolder::RemovePage(const fs::path& page)
{
    if (!folder_.IsOpen() || page.parent_path() != path_)
        return;
    const auto listed = std::find(pages_.begin(), pages_.end(), page.filename().string());
    if (listed == pages_.end())
        return;
    ::unlinkat(folder_.Get(), listed->c_str(), 0);
    pages_.erase(listed);
    try {
        SaveList();
    } catch (const FileError&) {
        // The list still names the removed page: harmless.
    }
}

void ScratchFolder::Clear()
{
    if (!folder_.IsOpen())
        return;
    for (const std::string& name : pages_)
        ::unlinkat(folder_.Get(), name.c_str(), 0);
    ::unlinkat(folder_.Get(), listName_.c_str(), 0);
    const fs::path path = path_;
    Close();
    ::rmdir(path.c_str()); // only when nothing else is in it
}

void ScratchFolder::RemoveLeftovers()
{
    try {
        fs::path path;
        if (!base_.empty() || !RuntimeFolder().empty()) {
            path = Path();
        } else {
            // Never create the private folder just to clear it; an unsafe one is left alone.
            struct stat info {};
            if (::lstat(PrivateBase().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
                return;
            path = PrivateBase() / kScratchName;
        }
        const FileDescriptor folder = OpenFolder(path, false);
        if (!folder.IsOpen())
            return;
        for (const std::string& name : FolderEntryNames(folder.Get())) {
            if (IsListName(name) && name != listName_)
                RemoveEndedPlayersPages(folder.Get(), name);
        }
    } catch (const std::exception&) {
        // An unsafe folder is refused when a page is written; here it is only left alone.
    }
}

} // namespace zentavo
