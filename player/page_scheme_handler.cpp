#include "page_scheme_handler.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QWebEngineUrlRequestJob>

namespace zentavo {

PageSchemeHandler::PageSchemeHandler(QObject* parent) : QWebEngineUrlSchemeHandler(parent) {}

QUrl PageSchemeHandler::Register(const QString& localPath, const QString& host)
{
    files_.insert(host, localPath);
    order_.removeOne(host);
    order_.append(host);
    while (order_.size() > kRemembered)
        files_.remove(order_.takeFirst());
    QUrl url;
    url.setScheme(QLatin1String(kScheme));
    url.setHost(host);
    url.setPath(QLatin1Char('/') + QFileInfo(localPath).fileName());
    return url;
}

void PageSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QUrl url = job->requestUrl();
    if (job->requestMethod() != QByteArrayLiteral("GET")) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    // The path is exactly "/" and the file name registered at that host: no folders, so no way
    // out of the set, and no page under another page's origin.
    const auto registered = files_.constFind(url.host());
    if (registered == files_.constEnd()
        || url.path(QUrl::FullyDecoded) != QLatin1Char('/') + QFileInfo(registered.value()).fileName()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // Read afresh on every request, so that a reload shows the file as it is now.
    QFile file(registered.value());
    if (QFileInfo(file).isSymLink() || !file.open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* body = new QBuffer(job);
    body->setData(file.readAll());
    body->open(QIODevice::ReadOnly);
    job->reply(QByteArrayLiteral("text/html"), body);
}

} // namespace zentavo
