#include "playlist_job.h"

#include "combined_lists.h"
#include "playlist_reading.h"

#include "channels/catalogue.h"
#include "channels/favourites_store.h"
#include "channels/import/file_bytes.h"
#include "channels/import/playlist_error.h"
#include "channels/import/playlist_format.h"
#include "channels/xml_document.h"
#include "text/format_characters.h"

#include <QNetworkAccessManager>
#include <QThread>
#include <chrono>
#include <stdexcept>

namespace zentavo {
namespace {

std::int64_t Now()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A new reading that loses most of a playlist: fewer than half its channels, and a few at least
// (a list of three that loses two is no sign of a broken source).
bool LosesMost(long listed, long read)
{
    return read * 2 < listed && listed - read >= 3;
}

std::string ChannelsInWords(long count)
{
    return count == 1 ? std::string("1 channel") : std::to_string(count) + " channels";
}

} // namespace

std::uint64_t NextListsSerial()
{
    static std::atomic<std::uint64_t> serial{0};
    return ++serial;
}

PlaylistJob::PlaylistJob(QNetworkAccessManager& network, QObject* parent) : QObject(parent), network_(network) {}

PlaylistJob::~PlaylistJob()
{
    cancelled_ = true;
    if (download_)
        download_->Abort();
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

void PlaylistJob::Start(PlaylistJobRequest request)
{
    if (running_)
        throw std::logic_error("a playlist job is running already");
    running_ = true;
    cancelled_ = false;
    request_ = std::move(request);
    if (request_.kind == PlaylistJobRequest::Kind::Refresh) {
        // The source is the one listed; a playlist removed meanwhile fails in the worker.
        try {
            if (const auto listed = PlaylistStore(request_.storeFolder).Find(request_.key))
                request_.source = listed->source;
        } catch (const ListFileError&) {
        }
    }
    if (request_.kind != PlaylistJobRequest::Kind::Remove && request_.kind != PlaylistJobRequest::Kind::Load
        && IsAddressSource(request_.source)) {
        emit Progress(QStringLiteral("Downloading the playlist..."), 0, 0);
        download_ =
            new PlaylistDownload(network_, QUrl(QString::fromStdString(request_.source)), request_.limits, this);
        connect(download_, &PlaylistDownload::Progress, this, [this](qint64 received, qint64 total) {
            emit Progress(QStringLiteral("Downloading the playlist..."), received, total > 0 ? total : 0);
        });
        connect(download_, &PlaylistDownload::Finished, this,
                [this](const QByteArray& bytes, const QString& contentType) {
                    download_->deleteLater();
                    download_.clear(); // Cancel now reaches the worker
                    RunWorker(Downloaded{bytes, contentType});
                });
        connect(download_, &PlaylistDownload::Failed, this, [this](const QString& reason) {
            download_->deleteLater();
            download_.clear();
            PlaylistJobResult result;
            result.outcome = PlaylistJobResult::Outcome::Failed;
            result.message = reason;
            Finish(std::move(result));
        });
        return;
    }
    RunWorker(std::nullopt);
}

void PlaylistJob::Cancel()
{
    if (!running_)
        return;
    cancelled_ = true;
    if (download_) {
        download_->Abort();
        download_->deleteLater();
        download_.clear();
        PlaylistJobResult result;
        result.outcome = PlaylistJobResult::Outcome::Cancelled;
        Finish(std::move(result));
    }
    // A worker that runs finishes as Cancelled unless it is writing already.
}

void PlaylistJob::RunWorker(std::optional<Downloaded> downloaded)
{
    emit Progress(request_.kind == PlaylistJobRequest::Kind::Remove ? QStringLiteral("Removing the playlist...")
                                                                    : QStringLiteral("Reading the playlist..."),
                  0, 0);
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
    thread_ = QThread::create([this, bytes = std::move(downloaded)] { workerResult_ = Work(bytes); });
    connect(thread_, &QThread::finished, this, [this] { Finish(std::move(workerResult_)); });
    thread_->start();
}

PlaylistJobResult PlaylistJob::Work(const std::optional<Downloaded>& downloaded)
{
    PlaylistJobResult result;
    PlaylistStore store(request_.storeFolder);
    try {
        if (request_.kind == PlaylistJobRequest::Kind::Remove) {
            store.Remove(request_.key);
            result.playlist.key = request_.key;
        } else if (request_.kind == PlaylistJobRequest::Kind::Load) {
            // Nothing to change: the lists follow.
        } else {
            const bool refresh = request_.kind == PlaylistJobRequest::Kind::Refresh;
            std::string name = request_.name;
            std::optional<ChannelType> type = request_.type;
            long listedCount = 0;
            if (refresh) {
                const auto listed = store.Find(request_.key);
                if (!listed)
                    throw std::runtime_error("The playlist is not in the list of playlists any more.");
                name = listed->name;
                type = ChannelTypeFromWord(listed->type);
                listedCount = listed->count;
            } else if (name.empty()) {
                name = DefaultPlaylistName(request_.source);
            }
            RemoveHiddenFormatCharacters(name);
            // Said after each reason a refresh gives up for: nothing of the playlist was lost.
            const std::string keeps = refresh ? "\n\nThe playlist keeps its " + ChannelsInWords(listedCount) + "." : "";
            if (!downloaded && request_.source.find("://") != std::string::npos)
                throw std::runtime_error("Only http:// and https:// addresses can be downloaded.");
            const std::string bytes =
                downloaded ? downloaded->bytes.toStdString() : ReadFileBytes(request_.source, request_.limits.maxBytes);
            const std::string contentType = downloaded ? downloaded->contentType.toStdString() : std::string();
            const std::optional<PlaylistFormat> shown = FormatShownByContent(bytes);
            // A server that sends a playlist as text/html (a script's default) still has it read;
            // a page that is HTML by its content never is.
            if (IsWebPage(bytes) || (IsWebPageType(contentType) && !shown)) {
                throw std::runtime_error(
                    (downloaded ? "The address answered with a web page, not a playlist. A network that wants you to "
                                  "sign in first (in a hotel or a caf\u00E9, say) answers every address with its own "
                                  "page: sign in with a web browser, then try again."
                                : "This file is a web page, not a playlist.")
                    + keeps);
            }
            const std::string sourceName = IsAddressSource(request_.source)
                ? request_.source
                : std::filesystem::path(request_.source).filename().string();
            PlaylistReading reading = ReadPlaylist(bytes, sourceName, type);
            if (reading.summary.read > request_.limits.maxEntries)
                throw std::runtime_error("The playlist has " + std::to_string(reading.summary.read)
                                         + " entries, more than the " + std::to_string(request_.limits.maxEntries)
                                         + " one playlist may have." + keeps);
            if (reading.channels.empty())
                throw std::runtime_error("The playlist has no channel that can be played.\n\n"
                                         + SummaryInWords(name, reading.summary) + keeps);
            // A refresh replaces what the user has only with what is a playlist beyond doubt, and
            // not with a small part of it, unless the user says so.
            if (refresh && !request_.replaceAnyway) {
                std::string doubt;
                if (!shown && !IsPlaylistType(contentType))
                    doubt = "The new reading of \u201C" + name
                        + "\u201D does not show that it is a playlist: it has no #EXTM3U header, no PLS, XSPF or ASX "
                          "structure and no header line of a tab-separated list.";
                else if (LosesMost(listedCount, static_cast<long>(reading.channels.size())))
                    doubt = "The new reading of \u201C" + name + "\u201D has "
                        + ChannelsInWords(static_cast<long>(reading.channels.size())) + " where the playlist had "
                        + std::to_string(listedCount) + ".";
                if (!doubt.empty()) {
                    result.outcome = PlaylistJobResult::Outcome::Kept;
                    result.message = QString::fromStdString(doubt + keeps);
                    result.summary = reading.summary;
                    return result;
                }
            }
            if (cancelled_) {
                result.outcome = PlaylistJobResult::Outcome::Cancelled;
                return result;
            }
            result.playlist = request_.kind == PlaylistJobRequest::Kind::Add
                ? store.Add(name, request_.source, reading.channels, request_.passphrase, Now(),
                            type ? ChannelTypeWord(*type) : std::string_view(), reading.guides)
                : store.Replace(request_.key, reading.channels, request_.passphrase, Now(), reading.guides);
            result.summary = reading.summary;
            result.message = QString::fromStdString(SummaryInWords(name, reading.summary));
        }
    } catch (const PlaylistError& error) {
        result.message =
            QStringLiteral("This is not a playlist that can be read: %1.").arg(QString::fromUtf8(error.what()));
        return result;
    } catch (const std::exception& error) {
        result.message = QString::fromUtf8(error.what());
        return result;
    }
    result.outcome = PlaylistJobResult::Outcome::Done;
    try {
        result.listsSerial = NextListsSerial();
        result.lists = BuildAllChannelLists(request_.shippedCatalogue, store, request_.places.get());
        if (request_.preparation)
            request_.preparation->Prepare(*result.lists);
        result.favourites =
            BuildFavouriteRows(request_.favourites, AllCataloguePaths(request_.shippedCatalogue, store));
    } catch (const std::exception&) {
        // Left for the window, which reports a catalogue it cannot load in its own words.
    }
    return result;
}

void PlaylistJob::Finish(PlaylistJobResult result)
{
    if (!running_)
        return;
    running_ = false;
    result_ = std::move(result);
    result_.kind = request_.kind;
    emit Finished();
}

} // namespace zentavo
