#pragma once
// Answers the favourites questions the way a test tells it to, and counts what was asked.

#include "channels/ui/favourites_prompts.h"

#include <QStringList>

namespace zentavo {

class ScriptedPrompts : public FavouritesPrompts {
public:
    bool ConfirmAdd() override
    {
        ++questions;
        return answerYes;
    }
    std::optional<QString> AskComment(const QString& currentComment) override
    {
        ++commentDialogs;
        shownComment = currentComment;
        return commentAnswer;
    }
    void ShowListFileError() override { ++listFileErrors; }
    void ShowLeftOutRows(const QString& message) override { leftOutMessages << message; }

    bool answerYes = true;
    std::optional<QString> commentAnswer; // nothing = Cancel
    int questions = 0;
    int commentDialogs = 0;
    int listFileErrors = 0;
    QString shownComment;
    QStringList leftOutMessages;
};

} // namespace zentavo
