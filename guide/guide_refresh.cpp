#include "guide_refresh.h"

#include "guide_error.h"
#include "guide_list_channels.h"

#include "channels/playlists/playlist_store.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QThread>

#include <stdexcept>

namespace zentavo {

GuideRefresh::GuideRefresh(QNetworkAccessManager& network, GuideRefreshSettings settings, QObject* parent)
    : QObject(parent), network_(network), settings_(std::move(settings))
{
    if (settings_.downloadsFolder.empty())
        settings_.downloadsFolder = settings_.paths.guide.parent_path() / "guides";
}

GuideRefresh::~GuideRefresh()
{
    // Nobody hears of a refresh that ends with its owner.
    blockSignals(true);
    Cancel();
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

std::filesystem::path GuideRefresh::DownloadedCopy(const GuideSourceInfo& source) const
{
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(source.address), QCryptographicHash::Sha1).toHex();
    return settings_.downloadsFolder / (hash.toStdString() + ".xmltv");
}

void GuideRefresh::Start(bool quiet)
{
    if (running_)
        throw std::logic_error("a guide refresh is running already");
    cancelled_ = false;
    result_ = {};
    try {
        sources_ = GuideSourceList(settings_.sourcesFile).Sources();
    } catch (const GuideError& error) {
        running_ = true;
        Finish({GuideRefreshResult::Outcome::Failed, QString::fromUtf8(error.what()), {}});
        return;
    }
    running_ = true;
    if (sources_.empty() || (quiet && !GuideRefreshDue(sources_, QDateTime::currentSecsSinceEpoch()))) {
        Finish({GuideRefreshResult::Outcome::NothingToDo,
                sources_.empty() ? QStringLiteral("No guide is listed.") : QStringLiteral("The guide is up to date."),
                {}});
        return;
    }
    readWhole_.assign(sources_.size(), false);
    next_ = 0;
    DownloadNext();
}

void GuideRefresh::Cancel()
{
    cancelled_ = true;
    if (download_) {
        download_->Abort();
        download_->deleteLater();
        download_ = nullptr;
        Finish({GuideRefreshResult::Outcome::Cancelled,
                QStringLiteral("The refresh of the guide was cancelled; the guide stays as it was."),
                {}});
    }
}

void GuideRefresh::DownloadNext()
{
    while (next_ < sources_.size() && !sources_[next_].IsDownload()) {
        GuideSourceInfo& source = sources_[next_];
        std::error_code error;
        readWhole_[next_] = std::filesystem::is_regular_file(source.address, error);
        source.problem = readWhole_[next_] ? std::string() : "The file " + source.address + " is missing.";
        ++next_;
    }
    if (next_ == sources_.size()) {
        ReadAll();
        return;
    }
    const GuideSourceInfo& source = sources_[next_];
    const QString address = QString::fromStdString(source.address);
    emit Progress(QStringLiteral("Downloading %1").arg(address), 0, 0);
    download_ = new GuideDownload(network_, QUrl(address), DownloadedCopy(source), settings_.limits, this);
    connect(download_, &GuideDownload::Progress, this, [this, address](qint64 received, qint64 total) {
        emit Progress(QStringLiteral("Downloading %1").arg(address), received, std::max<qint64>(total, 0));
    });
    connect(download_, &GuideDownload::Finished, this, [this] {
        download_->deleteLater();
        download_ = nullptr;
        readWhole_[next_] = true;
        sources_[next_].problem.clear();
        ++next_;
        DownloadNext();
    });
    connect(download_, &GuideDownload::Failed, this, [this](const QString& reason) {
        download_->deleteLater();
        download_ = nullptr;
        // The copy downloaded before, if any, is read instead.
        sources_[next_].problem = reason.toStdString();
        ++next_;
        DownloadNext();
    });
}

void GuideRefresh::ReadAll()
{
    std::vector<GuideSource> guides;
    for (size_t i = 0; i < sources_.size(); ++i) {
        const GuideSourceInfo& source = sources_[i];
        std::filesystem::path file =
            source.IsDownload() ? DownloadedCopy(source) : std::filesystem::path(source.address);
        std::error_code error;
        if (std::filesystem::is_regular_file(file, error))
            guides.push_back(GuideSource{source.address, file, {}});
    }
    if (guides.empty()) {
        QString message;
        for (const GuideSourceInfo& source : sources_)
            message += (message.isEmpty() ? QString() : QStringLiteral("\n")) + QString::fromStdString(source.problem);
        if (const QString problem = SaveStates(); !problem.isEmpty())
            message += QStringLiteral("\n") + problem;
        Finish({GuideRefreshResult::Outcome::Failed, message, {}});
        return;
    }
    emit Progress(QStringLiteral("Reading the guide"), 0, 0);
    thread_ = QThread::create([this, guides = std::move(guides)] {
        GuideRefreshResult result;
        try {
            const std::vector<GuideListChannel> channels =
                CollectGuideListChannels(settings_.shippedCatalogue, PlaylistStore(settings_.playlistsFolder));
            result.summary = ReadGuide(
                guides, channels, settings_.paths, QDateTime::currentSecsSinceEpoch(),
                [this](std::int64_t done, std::int64_t total) {
                    QMetaObject::invokeMethod(
                        this, [this, done, total] { emit Progress(QStringLiteral("Reading the guide"), done, total); },
                        Qt::QueuedConnection);
                    return !cancelled_.load();
                });
            result.outcome = GuideRefreshResult::Outcome::Done;
            result.message = QString::fromStdString(DescribeGuideSummary(result.summary));
        } catch (const GuideCancelled& cancelled) {
            result = {GuideRefreshResult::Outcome::Cancelled, QString::fromUtf8(cancelled.what()), {}};
        } catch (const std::exception& error) {
            result = {GuideRefreshResult::Outcome::Failed,
                      QString::fromUtf8(error.what()) + QStringLiteral("\nThe guide stays as it was."),
                      {}};
        }
        workerResult_ = std::move(result);
    });
    connect(thread_, &QThread::finished, this, [this] {
        thread_->deleteLater();
        thread_ = nullptr;
        GuideRefreshResult result = std::move(workerResult_);
        if (result.outcome == GuideRefreshResult::Outcome::Done) {
            const std::int64_t now = QDateTime::currentSecsSinceEpoch();
            for (size_t i = 0; i < sources_.size(); ++i) {
                if (readWhole_[i])
                    sources_[i].updated = now;
            }
        }
        if (const QString problem = SaveStates(); !problem.isEmpty())
            result.message += QStringLiteral("\n") + problem;
        for (const GuideSourceInfo& source : sources_) {
            if (!source.problem.empty())
                result.message += QStringLiteral("\n") + QString::fromStdString(source.address) + QStringLiteral(": ")
                    + QString::fromStdString(source.problem);
        }
        Finish(std::move(result));
    });
    thread_->start();
}

QString GuideRefresh::SaveStates() const
{
    try {
        // Sources added or removed meanwhile stay so: only the state of those read is written.
        const GuideSourceList list(settings_.sourcesFile);
        std::vector<GuideSourceInfo> current = list.Sources();
        for (GuideSourceInfo& listed : current) {
            for (const GuideSourceInfo& read : sources_) {
                if (read.address == listed.address) {
                    listed.updated = read.updated;
                    listed.problem = read.problem;
                }
            }
        }
        list.Save(current);
        return {};
    } catch (const GuideError& error) {
        return QString::fromUtf8(error.what());
    }
}

void GuideRefresh::Finish(GuideRefreshResult result)
{
    if (!running_)
        return;
    running_ = false;
    result_ = std::move(result);
    emit Finished();
}

} // namespace zentavo
