#pragma once
// The user's own playlists as the channel list window keeps them: the user's additions and changes
// (one job, behind the dialogs), the quiet refresh at start-up of address playlists read more than a
// day ago (another job, one playlist after another), and the hand-over of what a job read to the
// lists: only rows newer than those shown, the rows shown before freed on a thread of their own.

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QNetworkAccessManager;
class QThread;
class QWidget;

namespace zentavo {

struct AppContext;
class ChannelListModel;
class PlaylistsDialog;
class FoldedLists;
class PlaylistJob;
struct PlaylistJobRequest;
struct PlaylistJobResult;

class OwnPlaylists : public QObject {
    Q_OBJECT
public:
    // The models of the TV, radio, webcam and favourites lists, in that order. A job that gives no
    // rows of its own has the lists (reloadLists) or the favourites (reloadFavourites) read again.
    OwnPlaylists(const AppContext& context, std::array<ChannelListModel*, 4> models, std::function<void()> reloadLists,
                 std::function<void()> reloadFavourites, QObject* parent = nullptr);
    ~OwnPlaylists() override;

    // "Channels > Add playlist...": asks for a file or an address, imports it behind a progress
    // dialog and shows what was imported and what was left out; the dialogs open over `over`.
    void Add(QWidget* over);
    // "Channels > Manage playlists...", over `over`.
    void Manage(QWidget* over);
    // Reads again, quietly and one after another, the address playlists last read more than a day
    // ago; one that fails keeps its channels. Returns at once.
    void RefreshOld();
    // Whether the quiet refresh is still at work.
    bool Refreshing() const;
    // The lists were just read from the files: rows that a job read before are older.
    void ListsRead();
    // Called with every Manage playlists dialog before it shows, to add parts of its own.
    void SetManageExtension(std::function<void(PlaylistsDialog&)> extend) { extendManage_ = std::move(extend); }
    // Reads the lists and favourites over all catalogues on a thread of its own and shows them when
    // read, so that a start-up with a playlist of a million channels never holds the window up. A
    // catalogue that cannot be read, or that has rows to leave out, has the lists read again as
    // LoadChannelLists does (which says so).
    void LoadInBackground();

signals:
    // A playlist was added (added), read again or removed (it is listed no more): the parts that
    // keep something of each playlist (the programme guide's sources) follow it.
    void PlaylistChanged(const QString& key, bool added);

private:
    PlaylistJobRequest MakeRequest(const std::shared_ptr<FoldedLists>& preparation) const;
    void Apply(PlaylistJobResult& result, FoldedLists& folded);
    // Says PlaylistChanged for a change that was done.
    void Announce(const PlaylistJobResult& result);
    void RefreshNextOld();

    const AppContext& context_;
    std::array<ChannelListModel*, 4> models_;
    std::function<void()> reloadLists_;
    std::function<void()> reloadFavourites_;
    QNetworkAccessManager* network_ = nullptr;
    PlaylistJob* userJob_ = nullptr; // the user's additions and changes
    PlaylistJob* quietJob_ = nullptr; // the refresh at start-up
    PlaylistJob* loadJob_ = nullptr; // the lists read at start-up
    std::shared_ptr<FoldedLists> userFolded_; // what each job's thread prepared for the models
    std::shared_ptr<FoldedLists> quietFolded_;
    std::shared_ptr<FoldedLists> loadFolded_;
    std::unique_ptr<QThread> disposal_; // frees the rows the lists held before a playlist change
    // NextListsSerial of the rows shown: a job's result shows only when it is newer.
    std::uint64_t listsSerial_ = 0;
    std::vector<std::string> oldPlaylists_; // keys the quiet refresh has still to read
    std::function<void(PlaylistsDialog&)> extendManage_;
};

} // namespace zentavo
