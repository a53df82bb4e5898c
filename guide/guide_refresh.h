#pragma once
// A refresh of the guide as the windows ask for it: the listed guides that come from http(s)
// addresses are downloaded (one after the other, on the caller's thread without blocking it), then
// every listed guide is read into a new database on a thread of its own, which replaces the guide
// at once. A guide that cannot be downloaded is read from the copy downloaded before, if any; a
// refresh that fails or is cancelled leaves the guide as it was. The windows stay out of it: they
// show Progress, call Cancel, and read Result once Finished comes.

#include "guide_download.h"
#include "guide_reading.h"
#include "guide_sources.h"
#include "guide_store.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <filesystem>
#include <optional>
#include <vector>

class QNetworkAccessManager;
class QThread;

namespace zentavo {

struct GuideRefreshSettings {
    GuidePaths paths = DefaultGuidePaths();
    std::filesystem::path sourcesFile = DefaultGuideSourcesFile();
    std::filesystem::path downloadsFolder; // the downloaded copies; empty: "guides" beside the guide database
    std::filesystem::path shippedCatalogue; // the channels whose programmes are kept ...
    std::filesystem::path playlistsFolder; // ... with those of the user's playlists
    GuideDownloadLimits limits;
};

struct GuideRefreshResult {
    enum class Outcome { Done, Failed, Cancelled, NothingToDo };
    Outcome outcome = Outcome::NothingToDo;
    QString message; // in words: the summary, or why it failed
    GuideReadSummary summary; // Done
};

class GuideRefresh : public QObject {
    Q_OBJECT
public:
    GuideRefresh(QNetworkAccessManager& network, GuideRefreshSettings settings, QObject* parent = nullptr);
    // Cancels a refresh still running and waits for its thread.
    ~GuideRefresh() override;

    // One refresh at a time: Start while Running throws std::logic_error. Quiet: only when some guide
    // has not been read for a day (the start-up refresh); otherwise NothingToDo at once.
    void Start(bool quiet = false);
    void Cancel();
    bool Running() const { return running_; }
    const GuideRefreshResult& Result() const { return result_; }
    const GuideRefreshSettings& Settings() const { return settings_; }

    // Where the copy of a downloaded guide is kept.
    std::filesystem::path DownloadedCopy(const GuideSourceInfo& source) const;

signals:
    void Progress(const QString& stage, qint64 done, qint64 total);
    void Finished();

private:
    void DownloadNext();
    void ReadAll();
    // Writes the sources' last reading and problem into the list; the problem in words, if any.
    QString SaveStates() const;
    void Finish(GuideRefreshResult result);

    QNetworkAccessManager& network_;
    GuideRefreshSettings settings_;
    std::vector<GuideSourceInfo> sources_;
    std::vector<bool> readWhole_; // of sources_: downloaded now, or a file
    std::size_t next_ = 0;
    QPointer<GuideDownload> download_;
    QThread* thread_ = nullptr;
    std::atomic<bool> cancelled_{false};
    bool running_ = false;
    GuideRefreshResult result_;
    GuideRefreshResult workerResult_;
};

} // namespace zentavo
