#pragma once
// ASX playlists (Windows Media metafiles), read leniently: real ones are often not well-formed.

#include "playlist_entry.h"

#include <string_view>
#include <vector>

namespace zentavo {

// One entry per <entry> (tags in any case, unquoted attributes, unclosed elements). An entry
// with several <ref href> alternatives takes the first usable one and lists them all in
// alternatives. <entryref href> and a <ref> outside any <entry> make entries of their own. Name
// from the entry's <title>.
std::vector<PlaylistEntry> ParseAsx(std::string_view text);

} // namespace zentavo
