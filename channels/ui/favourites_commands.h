#pragma once
// The favourites commands "ADD", "DEL" and "ADDCOMMENT" on the favourites file, with their
// question and input dialog asked through FavouritesPrompts. No window: the list window rebuilds
// its favourites list and shows the "My Favorites" tab when a command ran to its end.

#include "channel_tab.h"

#include <QString>
#include <filesystem>
#include <optional>

namespace zentavo {

class FavouritesPrompts;

class FavouritesCommands {
public:
    FavouritesCommands(std::filesystem::path favouritesPath, FavouritesPrompts& prompts);

    // currentChannelId: the channel selected last ("ADD"); selectedFavouriteId: the id of the row
    // selected in the favourites list, if any ("DEL", "ADDCOMMENT"). Returns true when the command
    // ran to its end; false when it ended early with nothing saved (No, already a favourite, no
    // favourite selected or found, a favourites file that cannot be loaded, which is reported).
    // A file that cannot be saved throws.
    bool Run(FavouritesCommand command, const QString& currentChannelId,
             const std::optional<QString>& selectedFavouriteId);

private:
    bool Add(const QString& id);
    bool Remove(const QString& id);
    bool AddComment(const QString& id);
    void CreateWhenMissing();

    std::filesystem::path path_;
    FavouritesPrompts& prompts_;
};

} // namespace zentavo
