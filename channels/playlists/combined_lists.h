#pragma once
// The TV, radio and webcam lists of the shipped catalogue and of the user's own playlists together,
// and the favourites rows over all of them.

#include "playlist_store.h"

#include "channels/list_row.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace zentavo {

class CatalogueIndexes;

// Ends the caption of every row that comes from one of the user's own playlists.
inline constexpr const char* kOwnRowMarker = "  [my list]";

// The shipped catalogue's rows first, then each own playlist's rows in the order the playlists
// were added, marked. Throws ListFileError when the shipped catalogue cannot be loaded; an own
// catalogue that cannot be loaded, or an index that cannot be read, adds no rows. Rows of an own
// catalogue with an id outside the own range are left out (they could name a shipped channel). The
// rule of one catalogue holds for all of them together: a row whose id an item of any catalogue
// before it already has (a playlist file edited by hand, or written by an older version) is left
// out and put into leftOut, marked as the lists would have shown it.
// With indexes, the places of the items of every catalogue read replace those it held.
ChannelLists BuildAllChannelLists(const std::filesystem::path& shippedCatalogue, const PlaylistStore& store,
                                  CatalogueIndexes* indexes = nullptr);

// The catalogue that holds the item the lists show for that id, so that playing a row plays that
// row: the shipped catalogue when it holds the id, else for an own id the first own catalogue that
// does. The shipped catalogue when none does (playing then says the channel is not there). With
// indexes, a catalogue whose index is good is not read item by item.
std::filesystem::path CatalogueShowing(const std::filesystem::path& shippedCatalogue, const PlaylistStore& store,
                                       std::string_view id, const CatalogueIndexes* indexes = nullptr);

// The shipped catalogue and every listed own catalogue, for lookups by id.
std::vector<std::filesystem::path> AllCataloguePaths(const std::filesystem::path& shippedCatalogue,
                                                     const PlaylistStore& store);

} // namespace zentavo
