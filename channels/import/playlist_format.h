#pragma once
// Which kind of playlist a file is, and parsing it whatever it is.

#include "playlist_entry.h"
#include "playlist_error.h"

#include <string_view>
#include <vector>

namespace zentavo {

enum class PlaylistFormat { M3u, Pls, Xspf, Asx, Tsv };

// Decided by the content first ("#EXTM3U", "[playlist]" or "[Reference]", "<playlist", "<asx", a header line with
// tabs), then by the file name's ending; a list of addresses one a line is M3U.
PlaylistFormat DetectPlaylistFormat(std::string_view text, std::string_view fileName);

// Decodes the bytes (DecodePlaylistText), detects the format and parses. Throws PlaylistError
// when the file cannot be read as a playlist at all.
std::vector<PlaylistEntry> ParsePlaylist(std::string_view bytes, std::string_view fileName);

} // namespace zentavo
