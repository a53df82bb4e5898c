#include "favourites_commands.h"

#include "favourites_prompts.h"

#include "channels/catalogue.h"
#include "channels/favourites_store.h"

namespace zentavo {

FavouritesCommands::FavouritesCommands(std::filesystem::path favouritesPath, FavouritesPrompts& prompts)
    : path_(std::move(favouritesPath)), prompts_(prompts)
{}

bool FavouritesCommands::Run(FavouritesCommand command, const QString& currentChannelId,
                             const std::optional<QString>& selectedFavouriteId)
{
    try {
        switch (command) {
        case FavouritesCommand::Add:
            return Add(currentChannelId);
        case FavouritesCommand::Remove:
            return selectedFavouriteId && Remove(*selectedFavouriteId);
        case FavouritesCommand::AddComment:
            return selectedFavouriteId && AddComment(*selectedFavouriteId);
        }
        return false;
    } catch (const ListFileError&) {
        // The file exists but cannot be loaded: it is left as it is, and nothing is saved.
        prompts_.ShowListFileError();
        return false;
    }
}

void FavouritesCommands::CreateWhenMissing()
{
    if (!std::filesystem::exists(path_))
        CreateEmptyFavourites(path_);
}

bool FavouritesCommands::Add(const QString& id)
{
    if (id.isEmpty())
        return false; // no channel has been selected yet
    const std::string key = id.toStdString();
    // An id that is not a number is refused before the question, since Yes could not add it.
    RequireChannelId(key);
    CreateWhenMissing();
    // Loads the file before the question, so that a broken file is reported rather than asked about.
    (void)FavouriteComment(path_, key);
    if (!prompts_.ConfirmAdd())
        return false;
    // A channel that is already a favourite is left alone, silently.
    return AddFavourite(path_, key) == EditResult::Changed;
}

bool FavouritesCommands::Remove(const QString& id)
{
    CreateWhenMissing();
    return RemoveFavourite(path_, id.toStdString()) == EditResult::Changed;
}

bool FavouritesCommands::AddComment(const QString& id)
{
    CreateWhenMissing();
    const std::string key = id.toStdString();
    const std::optional<std::string> current = FavouriteComment(path_, key);
    if (!current)
        return false; // the favourite left the file since the list was built
    const QString currentText = QString::fromStdString(*current);
    const QString text = prompts_.AskComment(currentText).value_or(currentText);
    return SetFavouriteComment(path_, key, text.toStdString()) == EditResult::Changed;
}

} // namespace zentavo
