#include "logo_cache.h"

#include "logo_decoder.h"

#include <QPixmap>

namespace zentavo {

LogoCache::LogoCache(LogoCacheOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)), disk_(options_.folder, options_.maxDiskBytes),
      fetcher_(new LogoFetcher(options_.fetch, this)), memory_(options_.memoryLogos)
{
    decoders_.setMaxThreadCount(1);
    connect(fetcher_, &LogoFetcher::Fetched, this, &LogoCache::OnFetched);
    connect(fetcher_, &LogoFetcher::Failed, this, &LogoCache::Fail);
}

LogoCache::~LogoCache()
{
    // Results posted by a decoder that is still running are dropped with this object.
    decoders_.clear();
    decoders_.waitForDone();
}

QIcon LogoCache::Logo(const QString& address) const
{
    const QIcon* icon = memory_.object(address);
    return icon ? *icon : QIcon();
}

void LogoCache::Show(const QStringList& addresses)
{
    QStringList fetch;
    for (const QString& address : addresses) {
        if (address.isEmpty() || memory_.contains(address) || failed_.contains(address) || decoding_.contains(address)
            || fetch.contains(address))
            continue;
        if (const auto stored = disk_.Load(address)) {
            Keep(address, *stored);
            continue;
        }
        if (!IsFetchableLogoAddress(address)) {
            Fail(address, QStringLiteral("not an http or https address"));
            continue;
        }
        fetch.append(address);
    }
    fetcher_->Want(fetch);
}

void LogoCache::OnFetched(const QString& address, const QByteArray& bytes)
{
    decoding_.insert(address);
    const int side = options_.iconSide;
    decoders_.start([this, address, bytes, side] {
        const std::optional<QImage> logo = DecodeLogo(bytes, side);
        QMetaObject::invokeMethod(
            this,
            [this, address, logo] {
                decoding_.remove(address);
                if (logo)
                    OnDecoded(address, *logo);
                else
                    Fail(address, QStringLiteral("not a picture"));
            },
            Qt::QueuedConnection);
    });
}

void LogoCache::OnDecoded(const QString& address, const QImage& logo)
{
    disk_.Store(address, logo); // a cache that cannot be written still shows the logo this session
    Keep(address, logo);
}

void LogoCache::Keep(const QString& address, const QImage& logo)
{
    memory_.insert(address, new QIcon(QPixmap::fromImage(logo)));
    emit LogoReady(address);
}

void LogoCache::Fail(const QString& address, const QString& reason)
{
    failed_.insert(address);
    emit LogoFailed(address, reason);
}

} // namespace zentavo
