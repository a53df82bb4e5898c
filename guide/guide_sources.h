#pragma once
// The guides the player reads: addresses (http or https) and files, each either the user's own or
// named in the header of a playlist (x-tvg-url, url-tvg) and taken with it. Kept in one small
// JSON file beside the user's playlists, replaced whole on every change; each source remembers
// when it was last read and why it last failed.

#include <QString>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo {

struct GuideSourceInfo {
    std::string address; // http(s) address or a file's path
    std::string playlistKey; // the playlist whose header named it; empty: the user added it
    std::int64_t updated = 0; // last read whole, seconds since 1970; 0: never
    std::string problem; // why the last refresh could not take it, in words; empty when it could

    bool IsDownload() const;
    bool operator==(const GuideSourceInfo&) const = default;
};

class GuideSourceList {
public:
    explicit GuideSourceList(std::filesystem::path file);

    // None when the file is missing; throws GuideError when it cannot be read.
    std::vector<GuideSourceInfo> Sources() const;
    // Adds a source unless one with the same address is listed; returns whether it added it.
    // Throws GuideError when the address is neither http(s) nor an existing file's path.
    bool Add(std::string_view address, std::string_view playlistKey = {});
    // The guides a playlist names now (its header's, as the playlist store keeps them): its sources
    // it no longer names go, those it names and nobody listed come, for that playlist; an address
    // listed already (by the user or another playlist) stays as it is. Returns whether it added any.
    bool SetPlaylistGuides(std::string_view playlistKey, const std::vector<std::string>& addresses);
    void Remove(std::string_view address);
    // The sources of a playlist that is removed go with it.
    void RemovePlaylist(std::string_view playlistKey);
    void Save(const std::vector<GuideSourceInfo>& sources) const;

    const std::filesystem::path& File() const { return file_; }

private:
    std::filesystem::path file_;
};

// $XDG_DATA_HOME/zentavo-player/guide-sources.json
std::filesystem::path DefaultGuideSourcesFile();

// Whether a quiet refresh is due: some source has not been read for a day (or ever).
bool GuideRefreshDue(const std::vector<GuideSourceInfo>& sources, std::int64_t now);

} // namespace zentavo
