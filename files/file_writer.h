#pragma once
// The one way the program writes a file: documents are replaced whole, page files are created new,
// and a file that is held open (a lock file) is rewritten in place. Errors are FileError, whose
// words the callers put into their own messages.

#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace zentavo {

// Replaces the file whole: the bytes go into a new temporary file beside it, which is flushed to
// the disk and renamed over the file, and then the folder is flushed; a save that is interrupted
// at any moment leaves the old file or the new one, never a mix. A path that is a symbolic link,
// working or dangling, is written where the link points (FollowLinks); the link stays. An existing
// file keeps its permissions and is refused when its owner may not write it; a new one gets 0666
// less the umask. Temporary files that earlier saves of the same file left behind are removed
// first (RemoveStaleTemporaryFiles).
void ReplaceFile(const std::filesystem::path& path, std::string_view bytes);

// Creates the file `name` in the folder open as folderFd and writes the bytes. Fails when anything
// has that name already, a symbolic link included; a file that cannot be written whole is removed.
// Nothing is flushed to the disk: this is for files that need not survive a crash.
void CreateNewFileAt(int folderFd, const std::string& name, std::string_view bytes, mode_t mode);

// Rewrites the whole content of a file that is held open, keeping the file itself (and any lock on it).
void RewriteOpenFile(int fd, std::string_view bytes);

} // namespace zentavo
