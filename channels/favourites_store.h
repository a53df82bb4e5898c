#pragma once
// The favourites file (data/tv-list-fav.xml): <items><item id=".." comment=".."/>...</items>.
// Each operation loads the file afresh, changes it and saves it at once. Saves replace the file
// atomically; a file that exists but cannot be loaded is never overwritten (ListFileError).

#include "list_row.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo {

// Writes <?xml version="1.0" encoding="UTF-8"?><items/>, replacing any file of that name.
void CreateEmptyFavourites(const std::filesystem::path& path);

enum class EditResult { Changed, Unchanged };

// Throws std::invalid_argument ("'ID' is not a channel id") unless the id is a decimal integer,
// XML white space around it allowed: the ids that ADD accepts.
void RequireChannelId(std::string_view id);

// "ADD": appends <item id=ID comment=""/> unless an item with that id exists (then Unchanged,
// the file untouched). Creates the file when missing. RequireChannelId first.
EditResult AddFavourite(const std::filesystem::path& path, std::string_view id);
// "DEL": removes the first item with that id; Unchanged (nothing saved) when there is none.
EditResult RemoveFavourite(const std::filesystem::path& path, std::string_view id);
// The comment of the item with that id (empty when the attribute is missing);
// nothing when no item has that id.
std::optional<std::string> FavouriteComment(const std::filesystem::path& path, std::string_view id);
// "ADDCOMMENT": sets (or creates) the comment attribute and saves, even when unchanged;
// Unchanged (nothing saved) when no item has that id.
EditResult SetFavouriteComment(const std::filesystem::path& path, std::string_view id, std::string_view comment);

// Rows of the "My Favorites" list in file order: "country - name" + "  (bandwidth)" + "  [ comment ]",
// id from the catalogue, icon from its imgindex. Favourites the catalogue lacks are left out.
// Creates the favourites file when missing. Throws ListFileError when either file cannot be loaded.
std::vector<ListRow> BuildFavouriteRows(const std::filesystem::path& favouritesPath,
                                        const std::filesystem::path& cataloguePath);
// The same over several catalogues (the shipped one first, then the user's own): a favourite's
// channel is looked up in each in turn. Only the first must load; one of the others that cannot
// be loaded holds no channel.
std::vector<ListRow> BuildFavouriteRows(const std::filesystem::path& favouritesPath,
                                        const std::vector<std::filesystem::path>& cataloguePaths);

} // namespace zentavo
