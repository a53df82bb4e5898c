#include "playlist_download.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace zentavo {
namespace {

constexpr qint64 kReadBufferBytes = 512 * 1024;

QString Megabytes(qint64 bytes)
{
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'g', 3);
}

} // namespace

PlaylistDownload::PlaylistDownload(QNetworkAccessManager& network, const QUrl& address, DownloadLimits limits,
                                   QObject* parent)
    : QObject(parent), limits_(limits)
{
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    reply_ = network.get(request);
    // A bounded buffer: the network thread waits while it is full, so every readyRead hands over at
    // most this much and no single read holds the window up.
    reply_->setReadBufferSize(kReadBufferBytes);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        Fail(QStringLiteral("The server did not send the playlist within %1 seconds.").arg(limits_.timeoutMs / 1000.0));
    });
    timer_.start(limits_.timeoutMs);
    connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limits_.maxBytes)
            Fail(QStringLiteral("The playlist is %1 MB, more than the %2 MB a playlist may have.")
                     .arg(Megabytes(length.toLongLong()), Megabytes(limits_.maxBytes)));
        else if (length.isValid() && length.toLongLong() > bytes_.size())
            bytes_.reserve(length.toLongLong());
    });
    connect(reply_, &QNetworkReply::readyRead, this, [this] {
        bytes_ += reply_->readAll();
        if (bytes_.size() > limits_.maxBytes)
            Fail(QStringLiteral("The playlist is more than the %1 MB a playlist may have.")
                     .arg(Megabytes(limits_.maxBytes)));
    });
    connect(reply_, &QNetworkReply::downloadProgress, this, &PlaylistDownload::Progress);
    connect(reply_, &QNetworkReply::finished, this, &PlaylistDownload::OnFinished);
}

PlaylistDownload::~PlaylistDownload()
{
    Abort();
}

void PlaylistDownload::Abort()
{
    timer_.stop();
    if (!reply_)
        return;
    QNetworkReply* reply = std::exchange(reply_, QPointer<QNetworkReply>()).data();
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void PlaylistDownload::Fail(const QString& reason)
{
    if (!reply_)
        return;
    Abort();
    emit Failed(reason);
}

void PlaylistDownload::OnFinished()
{
    if (!reply_)
        return;
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply_->error() != QNetworkReply::NoError || (status != 0 && (status < 200 || status > 299))) {
        const QString reason = status >= 300
            ? QStringLiteral("The server answered %1 %2.")
                  .arg(status)
                  .arg(reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
                  .trimmed()
            : QStringLiteral("The playlist could not be downloaded: %1.").arg(reply_->errorString());
        Fail(reason);
        return;
    }
    bytes_ += reply_->readAll();
    if (bytes_.size() > limits_.maxBytes) {
        Fail(QStringLiteral("The playlist is more than the %1 MB a playlist may have.")
                 .arg(Megabytes(limits_.maxBytes)));
        return;
    }
    timer_.stop();
    const QString contentType = reply_->header(QNetworkRequest::ContentTypeHeader).toString();
    QNetworkReply* reply = std::exchange(reply_, QPointer<QNetworkReply>()).data();
    reply->disconnect(this);
    reply->deleteLater();
    emit Finished(bytes_, contentType);
}

} // namespace zentavo
