#include "address_probe.h"

#include "playlist_entry.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace zentavo {
namespace {

bool HasPlaylistExtension(const QUrl& url) {
    const QString path = url.path().toLower();
    for (const char* extension : {".asx", ".wax", ".wvx", ".pls", ".m3u", ".m3u8", ".ram", ".rpm", ".smil"}) {
        if (path.endsWith(QLatin1String(extension))) return true;
    }
    return false;
}

bool IsPlaylistType(const QString& type) {
    for (const char* known : {"audio/x-scpls", "audio/scpls", "audio/x-mpegurl", "audio/mpegurl",
                              "application/x-mpegurl", "application/vnd.apple.mpegurl", "video/x-ms-asf",
                              "video/x-ms-asx", "video/x-ms-wax", "video/x-ms-wvx", "audio/x-ms-wax",
                              "audio/x-pn-realaudio", "audio/vnd.rn-realaudio", "application/smil",
                              "text/plain"}) {
        if (type == QLatin1String(known)) return true;
    }
    return false;
}

QString ErrorOutcome(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::HostNotFoundError: return QStringLiteral("nohost");
    case QNetworkReply::ConnectionRefusedError: return QStringLiteral("refused");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: return QStringLiteral("timeout");
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::ContentGoneError: return QStringLiteral("notfound");
    default: return QStringLiteral("error");
    }
}

} // namespace

QJsonObject ProbeResult::ToJson() const {
    return QJsonObject{{QStringLiteral("outcome"), outcome},
                       {QStringLiteral("status"), status},
                       {QStringLiteral("contentType"), contentType},
                       {QStringLiteral("kind"), kind},
                       {QStringLiteral("entry"), entry}};
}

AddressProbe::AddressProbe(QNetworkAccessManager& network, const QUrl& address, QObject* parent)
    : QObject(parent), address_(address) {
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        QTimer::singleShot(0, this, [this] {
            ProbeResult result;
            result.outcome = QStringLiteral("error");
            Finish(result);
        });
        return;
    }
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(kTimeoutMs);
    reply_ = network.get(request);
    connect(reply_, &QNetworkReply::metaDataChanged, this, &AddressProbe::OnMetaData);
    connect(reply_, &QIODevice::readyRead, this, &AddressProbe::OnReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &AddressProbe::OnFinished);
}

AddressProbe::~AddressProbe() {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
}

void AddressProbe::OnMetaData() {
    if (done_ || !reply_) return;
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) return;
    const int code = status.toInt();
    if (code >= 300 && code < 400) return; // a redirect being followed
    ProbeResult result;
    result.status = code;
    result.contentType = reply_->header(QNetworkRequest::ContentTypeHeader).toString().section(QLatin1Char(';'), 0, 0)
                             .trimmed().toLower();
    if (code == 404 || code == 410) {
        result.outcome = QStringLiteral("notfound");
        Finish(result);
        return;
    }
    if (code >= 400) {
        result.outcome = QStringLiteral("http");
        Finish(result);
        return;
    }
    wantsBody_ = HasPlaylistExtension(reply_->url()) || HasPlaylistExtension(address_) ||
                 IsPlaylistType(result.contentType);
    if (!wantsBody_) {
        result.outcome = QStringLiteral("ok");
        result.kind = QStringLiteral("media");
        Finish(result);
    }
}

void AddressProbe::OnReadyRead() {
    if (done_ || !reply_) return;
    if (!wantsBody_) {
        OnMetaData();
        if (done_) return;
    }
    body_ += reply_->readAll();
    if (body_.size() > kMaxPlaylistBytes) {
        // Far too long for a playlist: a stream that merely has a playlist's name.
        ProbeResult result;
        result.outcome = QStringLiteral("ok");
        result.status = 200;
        result.kind = QStringLiteral("media");
        Finish(result);
    }
}

void AddressProbe::OnFinished() {
    if (done_ || !reply_) return;
    ProbeResult result;
    result.status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.contentType = reply_->header(QNetworkRequest::ContentTypeHeader).toString().section(QLatin1Char(';'), 0, 0)
                             .trimmed().toLower();
    if (reply_->error() != QNetworkReply::NoError && result.status < 200) {
        result.outcome = ErrorOutcome(reply_->error());
        Finish(result);
        return;
    }
    if (result.status == 404 || result.status == 410) {
        result.outcome = QStringLiteral("notfound");
        Finish(result);
        return;
    }
    if (result.status >= 400) {
        result.outcome = QStringLiteral("http");
        Finish(result);
        return;
    }
    body_ += reply_->readAll();
    const PlaylistReading reading = ReadPlaylist(body_, reply_->url());
    result.outcome = QStringLiteral("ok");
    switch (reading.kind) {
    case PlaylistReading::Kind::Hls: result.kind = QStringLiteral("hls"); break;
    case PlaylistReading::Kind::Entries:
        result.kind = QStringLiteral("playlist");
        result.entry = reading.entry.toString(QUrl::FullyEncoded);
        break;
    case PlaylistReading::Kind::NotPlaylist: result.kind = QStringLiteral("media"); break;
    }
    Finish(result);
}

void AddressProbe::Finish(ProbeResult result) {
    if (done_) return;
    done_ = true;
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
        reply_ = nullptr;
    }
    emit finished(result);
}

} // namespace zentavo
