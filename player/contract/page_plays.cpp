#include "page_plays.h"

#include "host_names.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QWebEngineUrlRequestJob>

namespace zentavo {

QString PagePlays::Add(PagePlay play)
{
    // 128 random bits from the system's source: a page cannot guess another's origin.
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    const QString host = QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex())
        + QLatin1String(kHostSuffix);
    pages_.append({host, std::move(play)});
    while (pages_.size() > kRemembered)
        pages_.removeFirst();
    return host;
}

const PagePlay* PagePlays::ForHost(const QString& host) const
{
    for (const auto& [pageHost, play] : pages_) {
        if (pageHost == host)
            return &play;
    }
    return nullptr;
}

const PagePlay* PagePlays::ForOrigin(const QUrl& origin) const
{
    // An opaque origin has no scheme and no host; a web page's has another scheme.
    if (origin.scheme() != QLatin1String(host_names::kPageScheme) || origin.port() != -1
        || !origin.userInfo().isEmpty())
        return nullptr;
    return ForHost(origin.host());
}

const PagePlay* PagePlays::ForJob(const QWebEngineUrlRequestJob& job) const
{
    return ForOrigin(job.initiator());
}

void PagePlays::Apply(QNetworkRequest& request, const RequestHeaders& headers)
{
    for (const RequestHeader& header : headers)
        request.setRawHeader(QByteArray::fromStdString(header.name), QByteArray::fromStdString(header.value));
}

} // namespace zentavo
