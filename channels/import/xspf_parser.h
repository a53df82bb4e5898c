#pragma once
// XSPF playlists: one entry per <track>, address from its first <location>.

#include "playlist_entry.h"

#include <string_view>
#include <vector>

namespace zentavo {

// Parses UTF-8 text with the forgiving MarkupScanner, so a file with a stray '&' or an unclosed
// element still gives its tracks. Name from <title>, else <annotation>, else <creator>; logo
// from <image>. A track without <location> gives an entry without address.
std::vector<PlaylistEntry> ParseXspf(std::string_view text);

} // namespace zentavo
