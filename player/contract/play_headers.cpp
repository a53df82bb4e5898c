#include "play_headers.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <QWebEngineUrlRequestJob>

namespace zentavo {

QUrl PlayHeaders::Key(const QUrl& page)
{
    return page.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment);
}

void PlayHeaders::Set(const QUrl& page, RequestHeaders headers)
{
    const QUrl key = Key(page);
    pages_.removeIf([&key](const QPair<QUrl, RequestHeaders>& entry) { return entry.first == key; });
    pages_.append({key, std::move(headers)});
    while (pages_.size() > kRemembered)
        pages_.removeFirst();
}

RequestHeaders PlayHeaders::For(const QUrl& page) const
{
    const QUrl key = Key(page);
    for (const auto& [address, headers] : pages_) {
        if (address == key)
            return headers;
    }
    return {};
}

RequestHeaders PlayHeaders::ForJob(const QWebEngineUrlRequestJob& job) const
{
    const QByteArray page = job.requestHeaders().value(QByteArray(kPageHeader));
    if (page.isEmpty())
        return {};
    return For(QUrl(QString::fromLatin1(page), QUrl::StrictMode));
}

void PlayHeaders::Apply(QNetworkRequest& request, const RequestHeaders& headers)
{
    for (const RequestHeader& header : headers)
        request.setRawHeader(QByteArray::fromStdString(header.name), QByteArray::fromStdString(header.value));
}

} // namespace zentavo
