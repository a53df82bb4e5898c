#pragma once
// One change of the user's playlists as the window asks for it: add a playlist from a file or an
// address, read one again, or remove one; then the lists and favourites rows over all catalogues
// built afresh. The download runs on the caller's thread without blocking it; reading, importing,
// writing and building the rows run on a thread of their own, so the window stays responsive with
// lists of any size. Cancel stops the job unless its catalogue is being written already.

#include "playlist_download.h"
#include "playlist_store.h"

#include "channels/import/playlist_import.h"
#include "channels/list_row.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QNetworkAccessManager;
class QThread;

namespace zentavo {

class CatalogueIndexes;

// What the window does with new rows before it can show them (folding captions for its search), done
// on the job's thread so that showing them costs the window's thread little. Prepare runs after the
// lists are built, only when they are.
class RowPreparation {
public:
    virtual ~RowPreparation() = default;
    virtual void Prepare(const ChannelLists& lists) = 0;
};

struct PlaylistJobRequest {
    // Load changes nothing: it only reads the lists and favourites over all catalogues (start-up).
    enum class Kind { Add, Refresh, Remove, Load };
    Kind kind = Kind::Add;
    std::string source; // Add: a file's path or an http(s) address
    std::string name; // Add: the playlist's name (DefaultPlaylistName when empty)
    std::optional<ChannelType> type; // Add: the list every channel goes to; nothing: as the playlist says
    std::string key; // Refresh, Remove: the playlist
    std::filesystem::path storeFolder;
    std::filesystem::path shippedCatalogue;
    std::filesystem::path favourites;
    std::string passphrase;
    DownloadLimits limits; // a file is held to the same size
    std::shared_ptr<RowPreparation> preparation; // optional
    // Optional: take the places of the catalogues' items as the lists read them (plays then read one item).
    std::shared_ptr<CatalogueIndexes> places;
    // Refresh: replace the channels even with a reading that does not show it is a playlist or that
    // loses most of them (the user said so when asked); otherwise such a reading keeps them (Kept).
    bool replaceAnyway = false;
};

struct PlaylistJobResult {
    // Kept: a refresh left the playlist as it was, since the new reading does not show that it is a
    // playlist or has fewer than half its channels; asked again with replaceAnyway, it replaces them.
    enum class Outcome { Done, Failed, Cancelled, Kept };
    Outcome outcome = Outcome::Failed;
    PlaylistJobRequest::Kind kind = PlaylistJobRequest::Kind::Add; // of the request
    QString message; // Failed, Kept: why, in words; Done: what was imported (SummaryInWords)
    PlaylistInfo playlist; // Add, Refresh: the playlist as listed now; Remove: its key
    ImportSummary summary;
    // The lists and favourites over all catalogues after the change; missing when the shipped
    // catalogue or the favourites could not be loaded (the window reports that when it loads them).
    std::optional<ChannelLists> lists;
    std::optional<std::vector<ListRow>> favourites;
    // ListsSerial taken just before the rows were read: of two results, the higher saw every change
    // the other saw (two jobs, the user's and the quiet refresh, may finish in either order).
    std::uint64_t listsSerial = 0;
};

// A number higher than any taken before in this process; taken before reading the catalogues.
std::uint64_t NextListsSerial();

class PlaylistJob : public QObject {
    Q_OBJECT
public:
    explicit PlaylistJob(QNetworkAccessManager& network, QObject* parent = nullptr);
    // Waits for the worker thread; a job still running is cancelled first.
    ~PlaylistJob() override;

    // One job at a time: Start while Running throws std::logic_error.
    void Start(PlaylistJobRequest request);
    void Cancel();
    bool Running() const { return running_; }
    // The result of the job that finished last; the window may move the rows out of it.
    PlaylistJobResult& Result() { return result_; }

signals:
    // What is being done, and how far: total 0 when that is not known.
    void Progress(const QString& stage, qint64 done, qint64 total);
    void Finished();

private:
    struct Downloaded {
        QByteArray bytes;
        QString contentType; // as the server said, empty when it did not
    };
    void RunWorker(std::optional<Downloaded> downloaded);
    PlaylistJobResult Work(const std::optional<Downloaded>& downloaded);
    void Finish(PlaylistJobResult result);

    QNetworkAccessManager& network_;
    PlaylistJobRequest request_;
    PlaylistJobResult result_;
    PlaylistJobResult workerResult_;
    QPointer<PlaylistDownload> download_;
    QThread* thread_ = nullptr;
    std::atomic<bool> cancelled_{false};
    bool running_ = false;
};

} // namespace zentavo
