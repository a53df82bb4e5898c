#include "dialog_prompts.h"

#include "plain_text.h"

#include "channels/catalogue.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>

namespace zentavo {

namespace {
const QString kAppTitle = QStringLiteral("Zentavo Player");

// The window the user is looking at, so that a box never opens behind a window kept on top.
QWidget* Owner()
{
    return QApplication::activeWindow();
}
} // namespace

bool DialogPrompts::ConfirmAdd()
{
    return ShowPlainMessage(Owner(), QMessageBox::Question, kAppTitle,
                            QStringLiteral("Add this channel to My Favorites ?"), QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::Yes)
        == QMessageBox::Yes;
}

std::optional<QString> DialogPrompts::AskComment(const QString& currentComment)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(Owner(), QStringLiteral("My Favorites"), QStringLiteral("add new comment:"),
                              QLineEdit::Normal, currentComment, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

void DialogPrompts::ShowListFileError()
{
    ShowPlainMessage(Owner(), QMessageBox::Critical, kAppTitle, QString::fromUtf8(kListFileMessage));
}

void DialogPrompts::ShowLeftOutRows(const QString& message)
{
    // The names of the rows come from the catalogues.
    ShowPlainMessage(Owner(), QMessageBox::Warning, kAppTitle, message);
}

} // namespace zentavo
