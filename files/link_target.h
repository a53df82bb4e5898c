#pragma once
// Where a write to a path lands when the path is a symbolic link, followed by hand so that a
// dangling link is treated like a working one: the file is written where the link points, and the
// link itself is never replaced.

#include <filesystem>

namespace zentavo {

// Follows the chain of links that ends the path (a relative link from its own folder) and returns
// the first path that is not a link: an existing file, or the name that a new file would take.
// Folders along the way are left to the kernel. Throws FileError for a chain longer than 40 links
// (a loop) or a link that cannot be read.
std::filesystem::path FollowLinks(const std::filesystem::path& path);

} // namespace zentavo
