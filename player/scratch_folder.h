#pragma once
// The per-user folder that holds the generated player pages ("zvoplayer" under a private
// temporary folder: $XDG_RUNTIME_DIR, else the system temporary folder plus a 0700 folder of the user).

#include <filesystem>
#include <string_view>

namespace zentavo {

std::filesystem::path ScratchFolderPath();
// Writes the page as a new file named by a braced upper-case GUID (no extension): every line
// followed by CR LF, single-byte text. Returns the file's path. Throws std::runtime_error on failure.
std::filesystem::path WritePageFile(std::string_view page);
// Deletes the folder and everything in it without following symbolic links; ignores every error.
void ClearScratchFolder();

} // namespace zentavo
