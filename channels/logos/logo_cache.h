#pragma once
// The logos of the channel lists: what is on disk is shown, what is missing is fetched for the rows
// that are on screen, and an address whose fetch or decoding failed is not tried again while this
// object lives (one session of the program).

#include "logo_disk_cache.h"
#include "logo_fetcher.h"

#include <QCache>
#include <QIcon>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThreadPool>

namespace zentavo {

struct LogoCacheOptions {
    QString folder = DefaultLogoFolder();
    qint64 maxDiskBytes = 32 * 1024 * 1024;
    int iconSide = 32; // logos are kept at this size (the rows draw them at 16 or 32)
    int memoryLogos = 4000; // logos kept in memory; more are read from disk again when shown
    LogoFetchLimits fetch;
};

class LogoCache : public QObject {
    Q_OBJECT
public:
    explicit LogoCache(LogoCacheOptions options = {}, QObject* parent = nullptr);
    ~LogoCache() override;

    // The logo of that address when it is in memory; a null icon otherwise. Never touches the disk
    // or the network, so a list can ask for it while it paints.
    QIcon Logo(const QString& address) const;
    // The addresses of the rows on screen now: logos found on disk are taken into memory at once
    // (LogoReady), the others are fetched, in this order, replacing an earlier wish.
    void Show(const QStringList& addresses);
    bool HasFailed(const QString& address) const { return failed_.contains(address); }

    const LogoDiskCache& Disk() const { return disk_; }
    const LogoFetcher& Fetcher() const { return *fetcher_; }

signals:
    void LogoReady(const QString& address);
    void LogoFailed(const QString& address, const QString& reason);

private:
    void OnFetched(const QString& address, const QByteArray& bytes);
    void OnDecoded(const QString& address, const QImage& logo);
    void Fail(const QString& address, const QString& reason);
    void Keep(const QString& address, const QImage& logo);

    LogoCacheOptions options_;
    LogoDiskCache disk_;
    LogoFetcher* fetcher_;
    QCache<QString, QIcon> memory_;
    QSet<QString> failed_;
    QSet<QString> decoding_;
    QThreadPool decoders_; // decoding waits for nothing on the window's thread
};

} // namespace zentavo
