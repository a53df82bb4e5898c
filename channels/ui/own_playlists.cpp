#include "own_playlists.h"

#include "add_playlist_dialog.h"
#include "channel_list_model.h"
#include "playlist_progress.h"
#include "playlists_dialog.h"

#include "channels/app_context.h"
#include "channels/catalogue.h"
#include "channels/channel_lists.h"
#include "channels/playlists/playlist_job.h"
#include "channels/playlists/playlist_reading.h"
#include "channels/playlists/playlist_store.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QThread>
#include <QUrl>

#include <chrono>
#include <filesystem>
#include <stdexcept>

namespace zentavo {

namespace {

std::filesystem::path ToPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

// The folded captions and the facts of the TV, radio and webcam lists, made on a playlist job's thread.
class FoldedLists : public RowPreparation {
public:
    void Prepare(const ChannelLists& lists) override
    {
        captions = {ChannelListModel::FoldedCaptions(lists.tv), ChannelListModel::FoldedCaptions(lists.radio),
                    ChannelListModel::FoldedCaptions(lists.webcam)};
        facts = {ChannelListModel::FactsOf(lists.tv), ChannelListModel::FactsOf(lists.radio),
                 ChannelListModel::FactsOf(lists.webcam)};
    }
    std::array<std::vector<std::string>, 3> captions;
    std::array<ChannelListModel::RowFacts, 3> facts;
};

OwnPlaylists::OwnPlaylists(const AppContext& context, std::array<ChannelListModel*, 4> models,
                           std::function<void()> reloadLists, std::function<void()> reloadFavourites, QObject* parent)
    : QObject(parent), context_(context), models_(models), reloadLists_(std::move(reloadLists)),
      reloadFavourites_(std::move(reloadFavourites)), network_(new QNetworkAccessManager(this)),
      userJob_(new PlaylistJob(*network_, this)), quietJob_(new PlaylistJob(*network_, this)),
      loadJob_(new PlaylistJob(*network_, this)), userFolded_(std::make_shared<FoldedLists>()),
      quietFolded_(std::make_shared<FoldedLists>()), loadFolded_(std::make_shared<FoldedLists>())
{
    connect(loadJob_, &PlaylistJob::Finished, this, [this] {
        PlaylistJobResult& result = loadJob_->Result();
        if (result.outcome != PlaylistJobResult::Outcome::Done)
            return;
        // Rows left out are named in a box, which LoadChannelLists shows: such catalogues (edited by
        // hand, or written by an older version) are read again that way.
        if (result.lists && !result.lists->leftOut.empty()) {
            result.lists.reset();
            result.favourites.reset();
        }
        Apply(result, *loadFolded_);
    });
    connect(quietJob_, &PlaylistJob::Finished, this, [this] {
        if (quietJob_->Result().outcome == PlaylistJobResult::Outcome::Done) {
            Apply(quietJob_->Result(), *quietFolded_);
            Announce(quietJob_->Result());
        }
        RefreshNextOld();
    });
}

OwnPlaylists::~OwnPlaylists()
{
    // The jobs go first: a download in flight needs the network manager until it is stopped.
    delete userJob_;
    delete quietJob_;
    delete loadJob_;
    if (disposal_)
        disposal_->wait();
}

void OwnPlaylists::ListsRead()
{
    listsSerial_ = NextListsSerial();
}

void OwnPlaylists::LoadInBackground()
{
    if (loadJob_->Running())
        return; // the rows it reads are the ones asked for
    PlaylistJobRequest request;
    request.kind = PlaylistJobRequest::Kind::Load;
    request.storeFolder = ToPath(context_.PlaylistsFolder());
    request.shippedCatalogue = ToPath(context_.CataloguePath());
    request.favourites = ToPath(context_.FavouritesPath());
    request.preparation = loadFolded_;
    request.places = context_.CataloguePlaces;
    loadJob_->Start(std::move(request));
}

PlaylistJobRequest OwnPlaylists::MakeRequest(const std::shared_ptr<FoldedLists>& preparation) const
{
    if (context_.StreamPassphrase.empty())
        throw std::logic_error("The stream passphrase has not been built yet");
    PlaylistJobRequest request;
    request.storeFolder = ToPath(context_.PlaylistsFolder());
    request.shippedCatalogue = ToPath(context_.CataloguePath());
    request.favourites = ToPath(context_.FavouritesPath());
    request.passphrase = context_.StreamPassphrase;
    request.preparation = preparation;
    request.places = context_.CataloguePlaces;
    return request;
}

void OwnPlaylists::Apply(PlaylistJobResult& result, FoldedLists& folded)
{
    // The rows and their folded captions were made on the job's thread; only handing them to the
    // models is left here. Rows read before those shown now are old.
    if (result.lists && result.listsSerial < listsSerial_)
        return;
    if (result.lists) {
        listsSerial_ = result.listsSerial;
        std::array<std::vector<ListRow>*, 3> rows{&result.lists->tv, &result.lists->radio, &result.lists->webcam};
        std::vector<ChannelListModel::HeldRows> held;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (folded.captions[i].size() != rows[i]->size()) {
                folded.captions[i] = ChannelListModel::FoldedCaptions(*rows[i]);
                folded.facts[i] = ChannelListModel::FactsOf(*rows[i]);
            }
            held.push_back(models_[i]->ReplaceRows(std::move(*rows[i]), std::move(folded.captions[i]),
                                                   std::move(folded.facts[i])));
            folded.captions[i].clear();
            folded.facts[i] = {};
        }
        result.lists.reset();
        // The rows shown before are freed on a thread of their own, not on the window's.
        if (disposal_)
            disposal_->wait();
        disposal_.reset(QThread::create([old = std::move(held)]() mutable { old.clear(); }));
        disposal_->start();
    } else {
        reloadLists_();
    }
    if (result.favourites) {
        models_[3]->SetRows(std::move(*result.favourites));
        result.favourites.reset();
    } else {
        reloadFavourites_();
    }
}

void OwnPlaylists::Announce(const PlaylistJobResult& result)
{
    if (result.outcome != PlaylistJobResult::Outcome::Done || result.kind == PlaylistJobRequest::Kind::Load
        || result.playlist.key.empty())
        return;
    emit PlaylistChanged(QString::fromStdString(result.playlist.key), result.kind == PlaylistJobRequest::Kind::Add);
}

void OwnPlaylists::Add(QWidget* over)
{
    AddPlaylistDialog ask(over);
    if (ask.exec() != QDialog::Accepted)
        return;
    PlaylistJobRequest request = MakeRequest(userFolded_);
    request.kind = PlaylistJobRequest::Kind::Add;
    // A file is kept by its whole path, so that Refresh finds it from anywhere.
    const QString source = ask.Source();
    const QUrl url(source);
    if (url.isLocalFile())
        request.source = QFile::encodeName(url.toLocalFile()).toStdString();
    else if (IsAddressSource(source.toStdString()) || source.contains(QStringLiteral("://")))
        request.source = source.toStdString();
    else
        request.source = QFile::encodeName(QFileInfo(source).absoluteFilePath()).toStdString();
    request.name = ask.Name().toStdString();
    request.type = ask.Type();
    PlaylistJobResult& result = RunWithProgress(over, *userJob_, std::move(request));
    if (result.outcome == PlaylistJobResult::Outcome::Done) {
        Apply(result, *userFolded_);
        Announce(result);
    }
    ShowJobResult(over, result, QStringLiteral("Add playlist"));
}

void OwnPlaylists::Manage(QWidget* over)
{
    PlaylistsDialog dialog(
        *userJob_, [this] { return MakeRequest(userFolded_); }, over);
    connect(&dialog, &PlaylistsDialog::ListsChanged, this, [this] {
        Apply(userJob_->Result(), *userFolded_);
        Announce(userJob_->Result());
    });
    if (extendManage_)
        extendManage_(dialog);
    dialog.exec();
}

void OwnPlaylists::RefreshOld()
{
    if (context_.StreamPassphrase.empty() || quietJob_->Running() || !oldPlaylists_.empty())
        return;
    // What a player that was killed while it changed a playlist left behind goes first.
    PlaylistStore(ToPath(context_.PlaylistsFolder())).RemoveLeftovers();
    const auto now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    try {
        for (const PlaylistInfo& playlist : PlaylistStore(ToPath(context_.PlaylistsFolder())).Playlists()) {
            if (IsAddressSource(playlist.source) && now - playlist.updated > 24 * 60 * 60)
                oldPlaylists_.push_back(playlist.key);
        }
    } catch (const ListFileError&) {
        return; // the window reports the index when the user opens Manage playlists
    }
    RefreshNextOld();
}

bool OwnPlaylists::Refreshing() const
{
    return quietJob_->Running() || !oldPlaylists_.empty();
}

void OwnPlaylists::RefreshNextOld()
{
    if (oldPlaylists_.empty())
        return;
    PlaylistJobRequest request = MakeRequest(quietFolded_);
    request.kind = PlaylistJobRequest::Kind::Refresh;
    request.key = oldPlaylists_.front();
    oldPlaylists_.erase(oldPlaylists_.begin());
    quietJob_->Start(std::move(request));
}

} // namespace zentavo
