#pragma once
// The user's own catalogues: one per playlist added, in the same format as the shipped catalogue
// (addresses protected with the stream passphrase), in one folder with an index (playlists.xml)
// that names each playlist, where it came from, how many channels it has and when it was read.
// The shipped catalogue is never written. Every operation reads the folder afresh; writes replace
// files whole, the catalogue before the index, so an interrupted one leaves the old state listed,
// and what it wrote besides goes at the next start (RemoveLeftovers).

#include "channels/import/playlist_import.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo {

class CatalogueIndexes;

struct PlaylistInfo {
    std::string key; // names the catalogue file: KEY.xml
    std::string name; // as the user named it
    std::string source; // the file's path or the http(s) address it was read from
    long count = 0; // channels in its catalogue
    std::int64_t updated = 0; // when it was last read, seconds since 1970 (UTC)
    std::string type; // "tv", "radio" or "webcam" when every channel goes to that list; empty: as the list says
    std::vector<std::string> guides = {}; // the programme guides its header named when it was last read
};

class PlaylistStore {
public:
    // The folder is created when something is first written.
    explicit PlaylistStore(std::filesystem::path folder);

    // In the order they were added; none when the index is missing. Throws ListFileError when the
    // index cannot be read.
    std::vector<PlaylistInfo> Playlists() const;
    std::optional<PlaylistInfo> Find(std::string_view key) const;

    // Removes what a change that was interrupted (a player killed, a crash) left in the folder: the
    // catalogues (playlist-N.xml) that the index does not name, and the temporary files of saves of
    // the index or a catalogue that no save still writes. Only regular files of those names; links
    // are not followed and nothing else is touched. Does nothing when the index cannot be read or
    // when a change is under way, here or in another player. For start-up, before any change.
    void RemoveLeftovers() const;
    std::filesystem::path CataloguePath(const PlaylistInfo& playlist) const;

    // Writes a new playlist's catalogue and lists it, with the guides its header names. Throws
    // FileError / XmlError when it cannot.
    PlaylistInfo Add(std::string_view name, std::string_view source, const std::vector<ImportedChannel>& channels,
                     std::string_view passphrase, std::int64_t now, std::string_view type = {},
                     const std::vector<std::string>& guides = {});
    // A new reading of a listed playlist: channels whose address it had keep their ids; the guides
    // its header names now replace those it named before.
    PlaylistInfo Replace(std::string_view key, const std::vector<ImportedChannel>& channels,
                         std::string_view passphrase, std::int64_t now, const std::vector<std::string>& guides = {});
    // Unlists the playlist and deletes its catalogue; nothing else (favourites stay as they are).
    void Remove(std::string_view key);

    // The catalogue of a listed playlist that holds that id, if any; through the catalogues' places
    // when indexes has good ones.
    std::optional<std::filesystem::path> CatalogueHolding(std::string_view id,
                                                          const CatalogueIndexes* indexes = nullptr) const;

    const std::filesystem::path& Folder() const { return folder_; }

private:
    std::filesystem::path IndexPath() const;
    void SaveIndex(const std::vector<PlaylistInfo>& playlists) const;
    PlaylistInfo Write(PlaylistInfo info, const std::vector<ImportedChannel>& channels, std::string_view passphrase,
                       const std::vector<PlaylistInfo>& listed) const;

    std::filesystem::path folder_;
};

} // namespace zentavo
