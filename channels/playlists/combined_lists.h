#pragma once
// The TV, radio and webcam lists of the shipped catalogue and of the user's own playlists together,
// and the favourites rows over all of them.

#include "playlist_store.h"

#include "channels/list_row.h"

#include <filesystem>
#include <vector>

namespace zentavo {

// Ends the caption of every row that comes from one of the user's own playlists.
inline constexpr const char* kOwnRowMarker = "  [my list]";

// The shipped catalogue's rows first, then each own playlist's rows in the order the playlists
// were added, marked. Throws ListFileError when the shipped catalogue cannot be loaded; an own
// catalogue that cannot be loaded, or an index that cannot be read, adds no rows. Rows of an own
// catalogue with an id outside the own range are left out (they could name a shipped channel).
ChannelLists BuildAllChannelLists(const std::filesystem::path& shippedCatalogue, const PlaylistStore& store);

// The shipped catalogue and every listed own catalogue, for lookups by id.
std::vector<std::filesystem::path> AllCataloguePaths(const std::filesystem::path& shippedCatalogue,
                                                     const PlaylistStore& store);

} // namespace zentavo
