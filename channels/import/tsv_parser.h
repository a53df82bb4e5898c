#pragma once
// Tab-separated channel lists with a header line naming the columns.

#include "playlist_entry.h"

#include "playlist_error.h"

#include <string_view>
#include <vector>

namespace zentavo {

// The header names the columns, in any case and order. Recognised: name (or title, station,
// channel, else description), url (or address, stream, link), country, state/area/region/city
// (put after the name as the place), group (or genre, category), type (tv, radio, webcam),
// format (IMAGE_STREAM means a webcam), logo, bandwidth (or bitrate). Each later non-empty line
// is one entry. Throws PlaylistError when the header has no address column.
std::vector<PlaylistEntry> ParseTsv(std::string_view text);

// Whether the line is such a header: tab-separated names of which one names the address column.
bool IsTsvHeader(std::string_view line);

} // namespace zentavo
