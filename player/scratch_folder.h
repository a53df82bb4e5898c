#pragma once
// The per-user folder that holds the generated player pages: "zvoplayer" in $XDG_RUNTIME_DIR, else
// in a 0700 folder of the user under the system temporary folder. The folder must be a real folder
// of the user, closed to everyone else; it is opened without following links, and every page is
// created relative to that open folder. Several players may share it: each keeps a locked list of
// the pages it wrote (".instance-{GUID}" in the folder) and removes only those; the pages listed by
// players that have ended are removed by the next one. Files that no list names are never touched.

#include "files/file_descriptor.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo {

class ScratchFolder {
public:
    // The folder in which "zvoplayer" lies; empty: $XDG_RUNTIME_DIR, else the private temporary
    // folder, looked up again at every write.
    explicit ScratchFolder(std::filesystem::path base = {});
    // Gives up the list's lock: the pages stay until a later player clears them.
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path Path() const;
    // Writes the page as a new file named by a braced upper-case GUID (no extension): every line
    // followed by CR LF, single-byte text. Returns the file's path. Throws std::runtime_error with
    // the reason in words, also when the folder is not safe to use.
    std::filesystem::path WritePage(std::string_view page);
    // Removes a page that this folder object wrote; anything else is left alone. Errors are ignored.
    void RemovePage(const std::filesystem::path& page);
    // Removes every page this object wrote and its list, then the folder itself when nothing else
    // is in it. Errors are ignored.
    void Clear();
    // Removes the pages and lists of players that have ended (lists that no process holds locked).
    // Never creates the folder; an unsafe folder is left alone. Errors are ignored.
    void RemoveLeftovers();

private:
    void Open(const std::filesystem::path& path);
    void Close();
    void SaveList();

    std::filesystem::path base_;
    std::filesystem::path path_; // the folder open as folder_
    FileDescriptor folder_;
    FileDescriptor list_;
    std::string listName_;
    std::vector<std::string> pages_;
};

} // namespace zentavo
