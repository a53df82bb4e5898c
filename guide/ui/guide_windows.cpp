#include "guide_windows.h"

#include "guide_channel_dialog.h"
#include "guide_form.h"
#include "guide_sources_panel.h"
#include "now_next_column.h"
#include "now_next_delegate.h"
#include "playing_programme.h"

#include "channels/playlists/playlist_store.h"
#include "channels/ui/channel_list_model.h"
#include "channels/ui/list_form.h"
#include "channels/ui/plain_text.h"
#include "channels/ui/playlists_dialog.h"
#include "guide/guide_error.h"
#include "guide/guide_refresh.h"

#include <QAbstractItemView>
#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QTimer>

namespace zentavo {

namespace {
// The list window is 400 pixels wide: with a guide the caption gives room to the programme.
constexpr int kCaptionWidth = 360;
constexpr int kCaptionWidthBesideGuide = 215;
constexpr int kNowWidth = 165;
} // namespace

GuideWindows::GuideWindows(GuidePaths paths, GuideClock clock, QObject* parent)
    : QObject(parent), clock_(std::move(clock))
{
    try {
        store_ = std::make_unique<GuideStore>(std::move(paths));
    } catch (const GuideError& error) {
        openError_ = QString::fromUtf8(error.what());
        return;
    }
    playing_ = std::make_unique<PlayingProgramme>(*store_, clock_);
}

GuideWindows::~GuideWindows()
{
    // The column and the guide window read the store, which goes with this object; the windows
    // they belong to may live on a little longer.
    for (const QPointer<NowNextColumn>& column : columns_)
        delete column.data();
    delete form_.data();
}

GuideForm* GuideWindows::Form() const
{
    return form_;
}

void GuideWindows::AttachLists(TListForm& lists)
{
    lists_ = &lists;
    auto* guide = new QAction(QStringLiteral("Guide..."), &lists);
    guide->setObjectName(QStringLiteral("GuideAction"));
    guide->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    lists.ChannelsMenu()->addAction(guide);
    lists.addAction(guide); // the shortcut works while the list window is open
    connect(guide, &QAction::triggered, this, [this] {
        // The list window is modal: it closes, and the guide opens over the main window.
        if (lists_)
            lists_->close();
        emit GuideRequested();
    });

    auto* choose = new QAction(QStringLiteral("Guide channel..."), &lists);
    choose->setObjectName(QStringLiteral("GuideChannelAction"));
    lists.AddChannelCommand(choose);
    connect(choose, &QAction::triggered, this, [this] {
        if (!lists_)
            return;
        const ChannelTab tab = lists_->CurrentTab();
        const QModelIndexList rows = lists_->ListView(tab)->selectionModel()->selectedRows();
        if (rows.isEmpty())
            return;
        const ListRow& row = lists_->Model(tab)->Row(rows.first().row());
        ChooseGuideChannel(QString::fromStdString(row.id), QString::fromStdString(row.caption), lists_);
    });

    if (!store_)
        return;
    auto* delegate = new NowNextDelegate(&lists);
    for (int tab = 0; tab < 4; ++tab) {
        auto* view = lists.ListView(static_cast<ChannelTab>(tab));
        ChannelListModel* model = lists.Model(static_cast<ChannelTab>(tab));
        columns_[static_cast<std::size_t>(tab)] = new NowNextColumn(view, model, *store_, clock_);
        view->setItemDelegateForColumn(model->ExtraColumnIndex(), delegate);
    }
    ShowColumns();
}

void GuideWindows::ShowColumns()
{
    if (!lists_ || !store_)
        return;
    // Without a guide the lists look as they always did.
    const bool shown = store_->HasGuide();
    for (int tab = 0; tab < 4; ++tab) {
        auto* view = lists_->ListView(static_cast<ChannelTab>(tab));
        const int column = lists_->Model(static_cast<ChannelTab>(tab))->ExtraColumnIndex();
        view->setColumnHidden(column, !shown);
        view->setColumnWidth(0, shown ? kCaptionWidthBesideGuide : kCaptionWidth);
        if (shown)
            view->setColumnWidth(column, kNowWidth);
    }
}

GuideForm* GuideWindows::ShowGuide(QWidget* over)
{
    if (!store_) {
        ShowPlainMessage(over, QMessageBox::Warning, QStringLiteral("Zentavo Player"),
                         QStringLiteral("The programme guide cannot be read: %1").arg(openError_));
        return nullptr;
    }
    if (!form_) {
        form_ = new GuideForm(*store_, clock_, over);
        form_->setAttribute(Qt::WA_DeleteOnClose, false);
        connect(form_, &GuideForm::PlayChannelRequested, this, &GuideWindows::PlayChannelRequested);
    }
    std::vector<ListRow> rows;
    if (lists_) {
        for (const ChannelTab tab : {ChannelTab::Tv, ChannelTab::Radio}) {
            const std::vector<ListRow>& tabRows = lists_->Model(tab)->Rows();
            rows.insert(rows.end(), tabRows.begin(), tabRows.end());
        }
    }
    form_->SetChannels(std::move(rows));
    form_->show();
    form_->raise();
    form_->activateWindow();
    return form_;
}

void GuideWindows::ChooseGuideChannel(const QString& id, const QString& caption, QWidget* over)
{
    if (!store_) {
        ShowPlainMessage(over, QMessageBox::Warning, QStringLiteral("Zentavo Player"),
                         QStringLiteral("The programme guide cannot be read: %1").arg(openError_));
        return;
    }
    GuideChannelDialog dialog(*store_, id.toStdString(), caption, over);
    if (dialog.exec() == QDialog::Accepted)
        ReloadShown();
}

void GuideWindows::GuideChanged()
{
    if (!store_)
        return;
    store_->Reopen();
    ShowColumns();
    ReloadShown();
}

void GuideWindows::EnableSources(std::function<GuideRefreshSettings()> settings)
{
    sourceSettings_ = std::move(settings);
    if (!lists_)
        return;
    connect(lists_, &TListForm::PlaylistChanged, this, &GuideWindows::FollowPlaylist);
    lists_->SetManagePlaylistsExtension([this](PlaylistsDialog& dialog) {
        GuideRefresh* refresh = Refresh();
        if (!refresh)
            return;
        auto* panel = new GuideSourcesPanel(*refresh, sourceSettings_().sourcesFile, &dialog);
        dialog.AddPart(panel);
        // A playlist added, read again or removed there changes its guides (FollowPlaylist, which
        // hears of it first).
        connect(&dialog, &PlaylistsDialog::ListsChanged, panel, &GuideSourcesPanel::Reload);
        dialog.resize(dialog.width(), dialog.height() + 220);
    });
}

GuideRefresh* GuideWindows::Refresh()
{
    if (!refresh_ && sourceSettings_) {
        network_ = new QNetworkAccessManager(this);
        refresh_ = new GuideRefresh(*network_, sourceSettings_(), this);
        // Whoever started it (the Guides part, the quiet refresh), a new guide shows everywhere.
        connect(refresh_, &GuideRefresh::Finished, this, [this] {
            if (refresh_->Result().outcome == GuideRefreshResult::Outcome::Done)
                GuideChanged();
            if (readAgain_)
                QTimer::singleShot(0, this, [this] { ReadAgainSoon(); });
        });
    }
    return refresh_;
}

void GuideWindows::RefreshQuietly()
{
    GuideRefresh* refresh = Refresh();
    if (!refresh || refresh->Running())
        return;
    refresh->Start(true);
}

void GuideWindows::FollowPlaylist(const QString& key, bool added)
{
    if (!sourceSettings_)
        return;
    const GuideRefreshSettings settings = sourceSettings_();
    std::vector<std::string> guides;
    bool newSource = false;
    try {
        if (const std::optional<PlaylistInfo> playlist =
                PlaylistStore(settings.playlistsFolder).Find(key.toStdString()))
            guides = playlist->guides;
        newSource = GuideSourceList(settings.sourcesFile).SetPlaylistGuides(key.toStdString(), guides);
    } catch (const std::exception&) {
        // A list of playlists or of guides that cannot be read: the Guides part says so when shown.
        return;
    }
    if (newSource || (added && !guides.empty()))
        ReadAgainSoon();
}

void GuideWindows::ReadAgainSoon()
{
    GuideRefresh* refresh = Refresh();
    if (!refresh)
        return;
    if (refresh->Running()) {
        readAgain_ = true;
        return;
    }
    readAgain_ = false;
    refresh->Start();
}

void GuideWindows::ReloadShown()
{
    for (const QPointer<NowNextColumn>& column : columns_) {
        if (column)
            column->Reload();
    }
    if (playing_)
        playing_->Reload();
    if (form_)
        form_->Reload();
}

} // namespace zentavo
