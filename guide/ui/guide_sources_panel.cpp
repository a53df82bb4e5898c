#include "guide_sources_panel.h"

#include "channels/playlists/playlist_store.h"
#include "channels/ui/plain_text.h"
#include "guide/guide_error.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <unordered_map>

namespace zentavo {

GuideSourcesPanel::GuideSourcesPanel(GuideRefresh& refresh, std::filesystem::path sourcesFile, QWidget* parent)
    : QGroupBox(QStringLiteral("Guides"), parent), refresh_(refresh), sources_(std::move(sourcesFile)),
      table_(new QTreeWidget(this)), refreshButton_(new QPushButton(QStringLiteral("Refresh guides"), this)),
      removeButton_(new QPushButton(QStringLiteral("Remove guide"), this))
{
    setObjectName(QStringLiteral("GuidesPart"));
    table_->setObjectName(QStringLiteral("GuideTable"));
    table_->setHeaderLabels(
        {QStringLiteral("Guide"), QStringLiteral("From"), QStringLiteral("State"), QStringLiteral("Last update")});
    table_->setRootIsDecorated(false);
    table_->setAllColumnsShowFocus(true);
    table_->setTextElideMode(Qt::ElideMiddle);
    table_->header()->setStretchLastSection(false);
    table_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* addFile = new QPushButton(QStringLiteral("Add file..."), this);
    addFile->setObjectName(QStringLiteral("AddGuideFile"));
    auto* addAddress = new QPushButton(QStringLiteral("Add address..."), this);
    addAddress->setObjectName(QStringLiteral("AddGuideAddress"));
    refreshButton_->setObjectName(QStringLiteral("RefreshGuides"));
    removeButton_->setObjectName(QStringLiteral("RemoveGuide"));
    for (QPushButton* button : {addFile, addAddress, refreshButton_, removeButton_})
        button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addFile);
    buttons->addWidget(addAddress);
    buttons->addStretch(1);
    buttons->addWidget(refreshButton_);
    buttons->addWidget(removeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);

    connect(addFile, &QPushButton::clicked, this, [this] { AddFile(); });
    connect(addAddress, &QPushButton::clicked, this, [this] { AddAddress(); });
    connect(refreshButton_, &QPushButton::clicked, this, [this] { RefreshAll(); });
    connect(removeButton_, &QPushButton::clicked, this, [this] { RemoveSelected(); });
    connect(table_, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    Reload();
}

void GuideSourcesPanel::Reload()
{
    table_->clear();
    std::vector<GuideSourceInfo> sources;
    try {
        sources = sources_.Sources();
    } catch (const GuideError& error) {
        ShowPlainMessage(this, QMessageBox::Warning, QStringLiteral("Guides"),
                         QStringLiteral("The list of guides cannot be read: %1").arg(QString::fromUtf8(error.what())));
    }
    // A guide named by a playlist's header says which playlist: the name the user gave it.
    std::unordered_map<std::string, std::string> playlistNames;
    try {
        for (PlaylistInfo& playlist : PlaylistStore(refresh_.Settings().playlistsFolder).Playlists())
            playlistNames.emplace(std::move(playlist.key), std::move(playlist.name));
    } catch (const std::exception&) {
        // Manage playlists says what is wrong with its list; here they go without their names.
    }
    for (const GuideSourceInfo& source : sources) {
        auto* item = new QTreeWidgetItem(table_);
        item->setText(0, QString::fromStdString(source.address));
        item->setToolTip(0, PlainToolTip(item->text(0)));
        QString from = QStringLiteral("added by hand");
        if (!source.playlistKey.empty()) {
            const auto name = playlistNames.find(source.playlistKey);
            from = name == playlistNames.end()
                ? QStringLiteral("a playlist")
                : QStringLiteral("playlist \u201C%1\u201D").arg(QString::fromStdString(name->second));
        }
        item->setText(1, from);
        QString state = QStringLiteral("read");
        if (!source.problem.empty())
            state = QString::fromStdString(source.problem);
        else if (source.updated == 0)
            state = QStringLiteral("not read yet");
        item->setText(2, state);
        item->setToolTip(2, PlainToolTip(state));
        item->setText(3,
                      source.updated == 0
                          ? QString()
                          : QDateTime::fromSecsSinceEpoch(source.updated).toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        item->setData(0, Qt::UserRole, QString::fromStdString(source.address));
    }
    for (int column : {1, 3})
        table_->resizeColumnToContents(column);
    if (table_->topLevelItemCount() > 0)
        table_->setCurrentItem(table_->topLevelItem(0));
    UpdateButtons();
}

void GuideSourcesPanel::UpdateButtons()
{
    removeButton_->setEnabled(table_->currentItem() != nullptr && !refresh_.Running());
    refreshButton_->setEnabled(table_->topLevelItemCount() > 0 && !refresh_.Running());
}

void GuideSourcesPanel::AddFile()
{
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("Add a guide file"), QString(),
                                     QStringLiteral("XMLTV guides (*.xml *.xml.gz *.gz);;All files (*)"));
    if (!file.isEmpty())
        Add(file);
}

void GuideSourcesPanel::AddAddress()
{
    bool ok = false;
    const QString address = QInputDialog::getText(this, QStringLiteral("Add a guide address"),
                                                  QStringLiteral("Address of an XMLTV guide (http or https):"),
                                                  QLineEdit::Normal, QString(), &ok)
                                .trimmed();
    if (ok && !address.isEmpty())
        Add(address);
}

void GuideSourcesPanel::Add(const QString& address)
{
    try {
        if (!sources_.Add(address.toStdString()))
            ShowPlainMessage(this, QMessageBox::Information, QStringLiteral("Guides"),
                             QStringLiteral("This guide is listed already."));
    } catch (const GuideError& error) {
        ShowPlainMessage(this, QMessageBox::Warning, QStringLiteral("Guides"), QString::fromUtf8(error.what()));
        return;
    }
    Reload();
    // A new guide is read at once, so that its programmes show.
    RefreshAll();
}

void GuideSourcesPanel::RefreshAll()
{
    if (refresh_.Running())
        return;
    QProgressDialog progress(QStringLiteral("Reading the guides..."), QStringLiteral("Cancel"), 0, 0, this);
    progress.setObjectName(QStringLiteral("GuideProgress"));
    progress.setWindowTitle(QStringLiteral("Guides"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    QEventLoop loop;
    const auto showProgress = connect(&refresh_, &GuideRefresh::Progress, &progress,
                                      [&progress](const QString& stage, qint64 done, qint64 total) {
                                          progress.setLabelText(stage);
                                          // Sizes go in kilobytes: a guide's bytes overflow the bar's int.
                                          progress.setMaximum(total > 0 ? static_cast<int>(total / 1024) : 0);
                                          progress.setValue(total > 0 ? static_cast<int>(done / 1024) : 0);
                                      });
    const auto finished = connect(&refresh_, &GuideRefresh::Finished, &loop, &QEventLoop::quit);
    const auto cancel = connect(&progress, &QProgressDialog::canceled, &refresh_, &GuideRefresh::Cancel);
    refresh_.Start();
    if (refresh_.Running()) {
        progress.show();
        UpdateButtons();
        loop.exec();
    }
    disconnect(showProgress);
    disconnect(finished);
    disconnect(cancel);
    progress.close();
    const GuideRefreshResult& result = refresh_.Result();
    Reload();
    switch (result.outcome) {
    case GuideRefreshResult::Outcome::Done:
        ShowPlainMessage(this, QMessageBox::Information, QStringLiteral("Guides"), result.message);
        break;
    case GuideRefreshResult::Outcome::Failed:
        ShowPlainMessage(this, QMessageBox::Warning, QStringLiteral("Guides"), result.message);
        break;
    case GuideRefreshResult::Outcome::Cancelled:
    case GuideRefreshResult::Outcome::NothingToDo:
        break;
    }
}

void GuideSourcesPanel::RemoveSelected()
{
    const QTreeWidgetItem* item = table_->currentItem();
    if (!item || refresh_.Running())
        return;
    try {
        sources_.Remove(item->data(0, Qt::UserRole).toString().toStdString());
    } catch (const GuideError& error) {
        ShowPlainMessage(this, QMessageBox::Warning, QStringLiteral("Guides"), QString::fromUtf8(error.what()));
        return;
    }
    Reload();
}

} // namespace zentavo
