#pragma once
// FavouritesPrompts shown as real message boxes and the input dialog, over the active window.

#include "favourites_prompts.h"

namespace zentavo {

class DialogPrompts : public FavouritesPrompts {
public:
    bool ConfirmAdd() override;
    std::optional<QString> AskComment(const QString& currentComment) override;
    void ShowListFileError() override;
    void ShowLeftOutRows(const QString& message) override;
};

} // namespace zentavo
