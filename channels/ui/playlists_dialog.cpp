#include "playlists_dialog.h"

#include "plain_text.h"
#include "playlist_progress.h"

#include "channels/catalogue.h"
#include "channels/playlists/playlist_store.h"
#include "text/format_characters.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zentavo {

PlaylistsDialog::PlaylistsDialog(PlaylistJob& job, std::function<PlaylistJobRequest()> makeRequest, QWidget* parent)
    : QDialog(parent), job_(job), makeRequest_(std::move(makeRequest))
{
    setObjectName(QStringLiteral("PlaylistsDialog"));
    setWindowTitle(QStringLiteral("Manage playlists"));
    resize(760, 300);
    auto* layout = new QVBoxLayout(this);
    table_ = new QTreeWidget(this);
    table_->setObjectName(QStringLiteral("PlaylistTable"));
    table_->setAccessibleName(QStringLiteral("Playlists"));
    table_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Source"), QStringLiteral("Channels"),
                             QStringLiteral("Last update"), QStringLiteral("Guides")});
    table_->setRootIsDecorated(false);
    table_->setAllColumnsShowFocus(true);
    table_->setTextElideMode(Qt::ElideMiddle);
    table_->header()->setStretchLastSection(false);
    table_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    table_->setColumnWidth(4, 170);
    layout->addWidget(table_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    refresh_ = buttons->addButton(QStringLiteral("&Refresh"), QDialogButtonBox::ActionRole);
    refresh_->setObjectName(QStringLiteral("RefreshButton"));
    remove_ = buttons->addButton(QStringLiteral("Re&move"), QDialogButtonBox::ActionRole);
    remove_->setObjectName(QStringLiteral("RemoveButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(refresh_, &QPushButton::clicked, this, [this] { Run(PlaylistJobRequest::Kind::Refresh); });
    connect(remove_, &QPushButton::clicked, this, [this] { Run(PlaylistJobRequest::Kind::Remove); });
    connect(table_, &QTreeWidget::itemSelectionChanged, this, &PlaylistsDialog::UpdateButtons);
    Reload();
}

void PlaylistsDialog::AddPart(QWidget* part)
{
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->insertWidget(box->count() - 1, part);
}

void PlaylistsDialog::Reload()
{
    table_->clear();
    std::vector<PlaylistInfo> playlists;
    try {
        playlists = PlaylistStore(makeRequest_().storeFolder).Playlists();
    } catch (const ListFileError& error) {
        ShowPlainMessage(
            this, QMessageBox::Warning, windowTitle(),
            QStringLiteral("The list of playlists cannot be read: %1").arg(QString::fromStdString(error.detail())));
    }
    for (const PlaylistInfo& playlist : playlists) {
        auto* item = new QTreeWidgetItem(table_);
        item->setText(0, QString::fromStdString(playlist.name));
        // The source stays as it is for reading it again; only what is shown loses direction overrides.
        std::string source = playlist.source;
        RemoveHiddenFormatCharacters(source);
        item->setText(1, QString::fromStdString(source));
        item->setToolTip(1, PlainToolTip(item->text(1)));
        item->setText(2, QString::number(playlist.count));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(3, QDateTime::fromSecsSinceEpoch(playlist.updated).toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        // The programme guides its header named, which the Guides part lists among the guides read.
        QStringList guides;
        for (std::string guide : playlist.guides) {
            RemoveHiddenFormatCharacters(guide);
            guides << QString::fromStdString(guide);
        }
        item->setText(4, guides.join(QStringLiteral(", ")));
        if (!guides.isEmpty())
            item->setToolTip(4, PlainToolTip(guides.join(QLatin1Char('\n'))));
        item->setData(0, Qt::UserRole, QString::fromStdString(playlist.key));
    }
    for (int column : {0, 2, 3})
        table_->resizeColumnToContents(column);
    if (table_->topLevelItemCount() > 0)
        table_->setCurrentItem(table_->topLevelItem(0));
    UpdateButtons();
}

void PlaylistsDialog::UpdateButtons()
{
    const bool selected = table_->currentItem() != nullptr && !table_->selectedItems().isEmpty();
    refresh_->setEnabled(selected);
    remove_->setEnabled(selected);
}

void PlaylistsDialog::Run(PlaylistJobRequest::Kind kind)
{
    QTreeWidgetItem* item = table_->currentItem();
    if (!item || job_.Running())
        return;
    if (kind == PlaylistJobRequest::Kind::Remove) {
        PlainMessageBox question(
            QMessageBox::Question, windowTitle(),
            QStringLiteral("Remove the playlist \u201C%1\u201D and its %2 channels from the lists?\n"
                           "Favourites of its channels stay in the favourites file; they show again "
                           "when the same playlist is added again.")
                .arg(item->text(0), item->text(2)),
            QMessageBox::Yes | QMessageBox::No, this);
        question.setObjectName(QStringLiteral("RemovePlaylistQuestion"));
        question.setDefaultButton(QMessageBox::No);
        if (question.exec() != QMessageBox::Yes)
            return;
    }
    PlaylistJobRequest request = makeRequest_();
    request.kind = kind;
    request.key = item->data(0, Qt::UserRole).toString().toStdString();
    const PlaylistJobResult* result = &RunWithProgress(this, job_, request);
    // A new reading that does not look like the playlist it replaces is written only when the user says so.
    if (result->outcome == PlaylistJobResult::Outcome::Kept) {
        if (!AskToReplace(result->message))
            return;
        request.replaceAnyway = true;
        result = &RunWithProgress(this, job_, std::move(request));
    }
    if (result->outcome == PlaylistJobResult::Outcome::Done)
        emit ListsChanged();
    Reload();
    if (kind == PlaylistJobRequest::Kind::Refresh)
        ShowJobResult(this, *result, windowTitle());
    else if (result->outcome == PlaylistJobResult::Outcome::Failed)
        ShowJobResult(this, *result, windowTitle());
}

bool PlaylistsDialog::AskToReplace(const QString& why)
{
    QMessageBox question(QMessageBox::Question, windowTitle(),
                         why + QStringLiteral("\n\nReplace its channels with the new reading all the same?"),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setObjectName(QStringLiteral("ReplacePlaylistQuestion"));
    question.button(QMessageBox::Yes)->setText(QStringLiteral("Replace"));
    question.button(QMessageBox::No)->setText(QStringLiteral("Keep"));
    question.setDefaultButton(QMessageBox::No);
    return question.exec() == QMessageBox::Yes;
}

} // namespace zentavo
