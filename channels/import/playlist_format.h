#pragma once
// Which kind of playlist a file is, and parsing it whatever it is.

#include "playlist_entry.h"
#include "playlist_error.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo {

enum class PlaylistFormat { M3u, Pls, Xspf, Asx, Tsv };

// Decided by the content first ("#EXTM3U", "[playlist]" or "[Reference]", "<playlist", "<asx", a header line with
// tabs), then by the file name's ending; a list of addresses one a line is M3U.
PlaylistFormat DetectPlaylistFormat(std::string_view text, std::string_view fileName);

// The format the content shows by itself, whatever the file is called: an "#EXTM3U" header (or an
// "#EXTINF" line first), a "[playlist]" or "[Reference]" section, an XSPF "<playlist" or ASX "<asx"
// element, or a TSV header line that names the address column. Nothing for anything else, a list
// of addresses one a line included: such a reading may as well be some other text. The bytes are
// as read; their start is decoded as ParsePlaylist decodes them.
std::optional<PlaylistFormat> FormatShownByContent(std::string_view bytes);

// Whether the bytes (as read) are a web page: "<!DOCTYPE html" or an "<html" element first, after a
// byte order mark, blanks, an XML declaration and comments. A network that wants its users to sign
// in first answers every address with such a page.
bool IsWebPage(std::string_view bytes);

// Whether an HTTP Content-Type (parameters allowed, any case) is that of a web page: text/html or
// application/xhtml+xml.
bool IsWebPageType(std::string_view contentType);
// Whether it is that of a playlist: the M3U, PLS, XSPF, ASX and tab-separated types.
bool IsPlaylistType(std::string_view contentType);

// What a playlist says of itself besides its entries.
struct PlaylistHeader {
    std::vector<std::string> guides; // the programme guides an M3U header names (M3uGuideAddresses)
};

// Decodes the bytes (DecodePlaylistText), detects the format and parses; with a header, fills it
// too. Throws PlaylistError when the file cannot be read as a playlist at all.
std::vector<PlaylistEntry> ParsePlaylist(std::string_view bytes, std::string_view fileName,
                                         PlaylistHeader* header = nullptr);

} // namespace zentavo
