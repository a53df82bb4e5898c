#pragma once
// PLS playlists ([playlist], FileN=, TitleN=, LengthN=), keys in any case, and the reference
// form of Windows Media metafiles ([Reference], RefN=), which has the same shape.

#include "playlist_entry.h"

#include <string_view>
#include <vector>

namespace zentavo {

// Parses UTF-8 text. Each FileN (or RefN) line makes one entry; TitleN names the entries numbered N, in
// whatever order the lines come. A number that has a title but no file gives an entry without
// address. Entries come out ordered by number, then by position. Repeated or odd keys
// (LengthN twice, NumberOfEntries that does not match) are tolerated.
std::vector<PlaylistEntry> ParsePls(std::string_view text);

} // namespace zentavo
