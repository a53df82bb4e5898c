#include "stream_relay.h"

#include "player/contract/page_plays.h"
#include "player/contract/private_addresses.h"
#include "player/contract/redirect_guard.h"

#include <QBuffer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QWebEngineUrlRequestJob>

namespace zentavo {

QUrl StreamRelay::RealAddress(const QUrl& relayAddress)
{
    const QString scheme = relayAddress.scheme().toLower();
    QUrl real(relayAddress);
    if (scheme == QLatin1String(kHttpScheme))
        real.setScheme(QStringLiteral("http"));
    else if (scheme == QLatin1String(kHttpsScheme))
        real.setScheme(QStringLiteral("https"));
    else
        return {};
    if (real.host().isEmpty())
        return {};
    real.setFragment(QString());
    return real;
}

StreamRelay::StreamRelay(QNetworkAccessManager& network, QWebEngineUrlRequestJob* job, const PagePlay& play,
                         QObject* parent)
    : QObject(parent), job_(job)
{
    const QUrl address = RealAddress(job->requestUrl());
    if (!address.isValid() || address.isEmpty()) {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
        deleteLater();
        return;
    }
    if (!MayReach(play.channelIsLocal, address)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        deleteLater();
        return;
    }
    QNetworkRequest request(address);
    FollowSafeRedirects(request);
    request.setTransferTimeout(kTimeoutMs);
    PagePlays::Apply(request, play.headers);
    reply_ = network.get(request);
    FollowRedirectsWithin(reply_, play.channelIsLocal);
    connect(reply_, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > kMaxBytes && reply_)
            reply_->abort();
    });
    connect(reply_, &QNetworkReply::finished, this, &StreamRelay::OnFinished);
    // The page went away: nothing to answer any more.
    connect(job, &QObject::destroyed, this, [this] {
        if (reply_)
            reply_->abort();
    });
}

StreamRelay::~StreamRelay()
{
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
}

void StreamRelay::OnFinished()
{
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->deleteLater();
    deleteLater();
    if (!job_)
        return;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status >= 400) {
        job_->fail(status == 404 || status == 410 || reply->error() == QNetworkReply::ContentNotFoundError
                       ? QWebEngineUrlRequestJob::UrlNotFound
                       : QWebEngineUrlRequestJob::RequestFailed);
        return;
    }
    // Segments and playlists are small: the whole body is handed over at once, on the job's terms.
    auto* buffer = new QBuffer(job_);
    buffer->setData(reply->readAll());
    buffer->open(QIODevice::ReadOnly);
    QByteArray type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    if (type.isEmpty())
        type = QByteArrayLiteral("application/octet-stream");
    job_->reply(type, buffer);
}

} // namespace zentavo
