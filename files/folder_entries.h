#pragma once
// The names in a folder that is held open, so that a clean-up looks at the folder it checked and
// not at whatever its path names by then.

#include <string>
#include <vector>

namespace zentavo {

// Every name in the folder open as folderFd except "." and ".."; empty when it cannot be read.
std::vector<std::string> FolderEntryNames(int folderFd);

} // namespace zentavo
