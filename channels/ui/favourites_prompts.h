#pragma once
// The questions and messages of the favourites commands and the list loading. The window passes the
// real dialogs (DialogPrompts); tests pass answers of their own.

#include <QString>
#include <optional>

namespace zentavo {

class FavouritesPrompts {
public:
    virtual ~FavouritesPrompts() = default;
    // "Add this channel to My Favorites ?" with Yes and No; true for Yes.
    virtual bool ConfirmAdd() = 0;
    // "My Favorites" / "add new comment:" holding the current comment; the edited text on OK,
    // nothing on Cancel.
    virtual std::optional<QString> AskComment(const QString& currentComment) = 0;
    // The list-file message box.
    virtual void ShowListFileError() = 0;
    // The warning that names the catalogue rows left out of the lists (LeftOutRowsMessage).
    virtual void ShowLeftOutRows(const QString& message) = 0;
};

} // namespace zentavo
