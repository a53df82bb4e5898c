#include "temporary_names.h"

#include "file_descriptor.h"
#include "folder_entries.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>

namespace zentavo {

namespace {

// Long enough for any save of a document of ours; a save that is slower than this has stalled.
constexpr time_t kStaleAfterSeconds = 60;

constexpr std::string_view kSaveMark = "save-";

bool IsSuffix(std::string_view text)
{
    if (text.size() != kTemporarySuffixLength)
        return false;
    for (const char c : text) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// What a temporary name of `target` tells: the process that wrote it (none for the earlier naming).
struct TemporaryName {
    std::optional<pid_t> pid;
};

std::optional<TemporaryName> ParseTemporaryName(std::string_view entry, std::string_view target)
{
    // "." NAME "." then "save-" PID "-" SUFFIX, or the earlier SUFFIX alone.
    if (entry.size() < target.size() + 2 || entry[0] != '.' || entry.substr(1, target.size()) != target
        || entry[target.size() + 1] != '.')
        return std::nullopt;
    std::string_view rest = entry.substr(target.size() + 2);
    if (IsSuffix(rest))
        return TemporaryName{};
    if (!rest.starts_with(kSaveMark))
        return std::nullopt;
    rest.remove_prefix(kSaveMark.size());
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 10 || !IsSuffix(rest.substr(dash + 1)))
        return std::nullopt;
    long long pid = 0;
    for (const char c : rest.substr(0, dash)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        pid = pid * 10 + (c - '0');
    }
    if (pid <= 0 || pid > INT_MAX)
        return std::nullopt;
    return TemporaryName{static_cast<pid_t>(pid)};
}

bool ProcessRuns(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

void RemoveIfStale(int folderFd, const std::string& entry, const TemporaryName& name, time_t now)
{
    // O_NONBLOCK: a FIFO under such a name must not hang the save.
    const FileDescriptor fd(
        ::openat(folderFd, entry.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.IsOpen())
        return;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
        return;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return; // a save is writing it right now (a file system without locks leaves the rest to decide)
    const bool old = now - info.st_mtime > kStaleAfterSeconds;
    // A save takes its lock just after it creates the file: in that instant only its pid and the
    // file's age tell it apart from a leftover.
    const bool stale = name.pid ? (old || !ProcessRuns(*name.pid)) : old;
    if (!stale)
        return;
    // The name must still be the file that was checked, not one that took its place meanwhile.
    struct stat now_there {};
    if (::fstatat(folderFd, entry.c_str(), &now_there, AT_SYMLINK_NOFOLLOW) == 0 && now_there.st_dev == info.st_dev
        && now_there.st_ino == info.st_ino)
        ::unlinkat(folderFd, entry.c_str(), 0);
}

} // namespace

std::string TemporaryNamePrefix(std::string_view target, pid_t pid)
{
    std::string prefix = ".";
    prefix.append(target).append(".").append(kSaveMark).append(std::to_string(pid)).append("-");
    return prefix;
}

void RemoveStaleTemporaryFiles(int folderFd, std::string_view target)
{
    const time_t now = ::time(nullptr);
    for (const std::string& entry : FolderEntryNames(folderFd)) {
        if (const std::optional<TemporaryName> name = ParseTemporaryName(entry, target))
            RemoveIfStale(folderFd, entry, *name, now);
    }
}

} // namespace zentavo
