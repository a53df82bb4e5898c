#pragma once
// The names of the temporary files that a whole-file replacement writes beside its target
// (".NAME.save-PID-XXXXXX"), and the removal of those that a killed or crashed save left behind.

#include <string>
#include <string_view>
#include <sys/types.h>

namespace zentavo {

// Letters and digits that end every temporary name, after the prefix.
inline constexpr std::size_t kTemporarySuffixLength = 6;

// ".NAME.save-PID-": the start of the temporary file names of saves of `target` by process `pid`.
std::string TemporaryNamePrefix(std::string_view target, pid_t pid);

// Removes from the folder open as folderFd the temporary files of earlier saves of `target` that no
// save can still own: regular files of this user, with a name that a save makes, that no process
// holds locked (a save holds its temporary file locked until the rename), and whose process has
// ended or that were last written more than a minute ago. Files of the earlier naming
// (".NAME.XXXXXX", written without a lock) go when they are more than a minute old. Nothing else is
// touched; every error is ignored, since the save itself does not depend on this.
void RemoveStaleTemporaryFiles(int folderFd, std::string_view target);

} // namespace zentavo
