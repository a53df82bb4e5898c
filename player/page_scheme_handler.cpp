#include "page_scheme_handler.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QWebEngineUrlRequestJob>

namespace zentavo {

PageSchemeHandler::PageSchemeHandler(QObject* parent) : QWebEngineUrlSchemeHandler(parent) {}

QUrl PageSchemeHandler::Register(const QString& localPath)
{
    const QString name = QFileInfo(localPath).fileName();
    files_.insert(name, localPath);
    order_.removeOne(name);
    order_.append(name);
    while (order_.size() > kRemembered)
        files_.remove(order_.takeFirst());
    QUrl url;
    url.setScheme(QLatin1String(kScheme));
    url.setHost(QLatin1String(kHost));
    url.setPath(QLatin1Char('/') + name);
    return url;
}

void PageSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QUrl url = job->requestUrl();
    if (job->requestMethod() != QByteArrayLiteral("GET") || url.host() != QLatin1String(kHost)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    // The path is exactly "/" and a registered file name: no folders, so no way out of the set.
    const QString path = url.path(QUrl::FullyDecoded);
    const auto registered = path.startsWith(QLatin1Char('/')) ? files_.constFind(path.mid(1)) : files_.constEnd();
    if (registered == files_.constEnd()) {
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
