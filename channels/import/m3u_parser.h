#pragma once
// Extended M3U / M3U8 playlists, and plain lists of addresses one a line.

#include "playlist_entry.h"

#include <string_view>
#include <vector>

namespace zentavo {

// Parses UTF-8 text (see DecodePlaylistText). Every #EXTINF line and every address line makes one
// entry: an #EXTINF with no address before the next #EXTINF or the end gives an entry without
// address, so that the caller can report it. #EXTGRP sets the group of the next entry. The request
// headers an entry asks for are taken from #EXTVLCOPT:http-user-agent= and http-referrer=
// (http-referer), #EXTHTTP:{json}, #KODIPROP:inputstream.adaptive.stream_headers= (and
// manifest_headers) lines before its address and from "address|Name=value&Name=value" (percent-
// encoded values); only allowed ones are kept (AddRequestHeader). #EXTM3U headers, other options
// and comment lines are skipped. Never throws on odd input.
std::vector<PlaylistEntry> ParseM3u(std::string_view text);

} // namespace zentavo
