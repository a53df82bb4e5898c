#include "folder_entries.h"

#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace zentavo {

std::vector<std::string> FolderEntryNames(int folderFd)
{
    std::vector<std::string> names;
    // A descriptor of its own: closedir() closes the one it reads from.
    const int own = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (own < 0)
        return names;
    DIR* folder = ::fdopendir(own);
    if (folder == nullptr) {
        ::close(own);
        return names;
    }
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(folder);
    return names;
}

} // namespace zentavo
