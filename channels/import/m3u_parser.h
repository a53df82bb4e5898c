#pragma once
// Extended M3U / M3U8 playlists, and plain lists of addresses one a line.

#include "playlist_entry.h"

#include <cstddef>
#include <string>
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

// The programme guides the #EXTM3U header line names: x-tvg-url, url-tvg and tvg-url, each
// possibly several addresses separated by commas; http(s) addresses without blanks or control
// characters and at most kMaxGuideAddress bytes, each once, in order, at most kMostGuideAddresses.
// None when the text does not start with an #EXTM3U line (a byte order mark allowed).
inline constexpr std::size_t kMaxGuideAddress = 2048;
inline constexpr std::size_t kMostGuideAddresses = 16;
std::vector<std::string> M3uGuideAddresses(std::string_view text);

} // namespace zentavo
