#include "address_probe.h"

#include "first_playable_entry.h"
#include "player/contract/host_names.h"
#include "player/contract/page_plays.h"
#include "player/contract/private_addresses.h"
#include "player/contract/redirect_guard.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace zentavo {
namespace {

bool HasPlaylistExtension(const QUrl& url)
{
    const QString path = url.path().toLower();
    for (const char* extension : {".asx", ".wax", ".wvx", ".pls", ".m3u", ".m3u8", ".ram", ".rpm", ".smil"}) {
        if (path.endsWith(QLatin1String(extension)))
            return true;
    }
    return false;
}

bool IsPlaylistType(const QString& type)
{
    for (const char* known :
         {"audio/x-scpls", "audio/scpls", "audio/x-mpegurl", "audio/mpegurl", "application/x-mpegurl",
          "application/vnd.apple.mpegurl", "video/x-ms-asf", "video/x-ms-asx", "video/x-ms-wax", "video/x-ms-wvx",
          "audio/x-ms-wax", "audio/x-pn-realaudio", "audio/vnd.rn-realaudio", "application/smil", "text/plain"}) {
        if (type == QLatin1String(known))
            return true;
    }
    return false;
}

// An error of the connection itself (not an HTTP status the server answered with).
bool IsConnectionError(QNetworkReply::NetworkError error)
{
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

QString ErrorOutcome(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::HostNotFoundError:
        return QLatin1String(failure_kinds::kNoHost);
    case QNetworkReply::ConnectionRefusedError:
        return QLatin1String(failure_kinds::kRefused);
    case QNetworkReply::RemoteHostClosedError:
        return QLatin1String(failure_kinds::kClosed);
    case QNetworkReply::TooManyRedirectsError:
        return QLatin1String(failure_kinds::kRedirects);
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QLatin1String(failure_kinds::kTimeout);
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::ContentGoneError:
        return QLatin1String(failure_kinds::kNotFound);
    default:
        return QLatin1String(failure_kinds::kError);
    }
}

// Media holds NUL bytes early on; text does not (UTF-16 text, after its byte order mark, does).
bool LooksBinary(const QByteArray& body)
{
    return body.contains('\0') && !body.startsWith("\xFF\xFE") && !body.startsWith("\xFE\xFF");
}

} // namespace

QJsonObject ProbeResult::ToJson() const
{
    return QJsonObject{{QStringLiteral("outcome"), outcome},
                       {QStringLiteral("status"), status},
                       {QStringLiteral("contentType"), contentType},
                       {QStringLiteral("kind"), kind},
                       {QStringLiteral("entry"), entry}};
}

AddressProbe::AddressProbe(QNetworkAccessManager& network, const QUrl& address, const PagePlay& play, QObject* parent,
                           Mode mode)
    : QObject(parent), address_(address), mode_(mode)
{
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        QTimer::singleShot(0, this, [this] {
            ProbeResult result;
            result.outcome = QLatin1String(failure_kinds::kError);
            Finish(result);
        });
        return;
    }
    if (!MayReach(play.channelIsLocal, address)) {
        QTimer::singleShot(0, this, [this] {
            ProbeResult result;
            result.outcome = QLatin1String(failure_kinds::kRefused);
            Finish(result);
        });
        return;
    }
    QNetworkRequest request(address);
    FollowSafeRedirects(request);
    request.setTransferTimeout(kTimeoutMs);
    PagePlays::Apply(request, play.headers);
    reply_ = network.get(request);
    FollowRedirectsWithin(reply_, play.channelIsLocal);
    connect(reply_, &QNetworkReply::metaDataChanged, this, &AddressProbe::OnMetaData);
    connect(reply_, &QIODevice::readyRead, this, &AddressProbe::OnReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &AddressProbe::OnFinished);
}

AddressProbe::~AddressProbe()
{
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
}

ProbeResult AddressProbe::Answered() const
{
    ProbeResult result;
    result.status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.contentType = reply_->header(QNetworkRequest::ContentTypeHeader)
                             .toString()
                             .section(QLatin1Char(';'), 0, 0)
                             .trimmed()
                             .toLower();
    return result;
}

void AddressProbe::OnMetaData()
{
    if (done_ || watching_ || wantsBody_ || !reply_)
        return;
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return;
    const int code = status.toInt();
    if (code >= 300 && code < 400)
        return; // a redirect being followed
    ProbeResult result = Answered();
    if (code == 404 || code == 410) {
        result.outcome = QLatin1String(failure_kinds::kNotFound);
        Finish(result);
        return;
    }
    if (code >= 400) {
        result.outcome = QLatin1String(failure_kinds::kHttp);
        Finish(result);
        return;
    }
    wantsBody_ =
        HasPlaylistExtension(reply_->url()) || HasPlaylistExtension(address_) || IsPlaylistType(result.contentType);
    if (!wantsBody_) {
        result.outcome = QLatin1String(failure_kinds::kOk);
        result.kind = QStringLiteral("media");
        StartWatching(result);
    }
}

// Media answers at once, or, for a watching probe, once the stream has flowed for a while.
void AddressProbe::StartWatching(ProbeResult result)
{
    if (mode_ != Mode::Watch) {
        Finish(result);
        return;
    }
    watching_ = true;
    watched_ = result;
    body_.clear();
    QTimer::singleShot(kWatchMs, this, [this] { Finish(watched_); });
}

void AddressProbe::OnReadyRead()
{
    if (done_ || !reply_)
        return;
    OnMetaData();
    if (done_ || !reply_)
        return;
    if (watching_) {
        reply_->readAll(); // only whether it keeps coming matters
        return;
    }
    body_ += reply_->readAll();
    // Binary data, or far too long for a playlist: a stream that merely has a playlist's name.
    if (LooksBinary(body_) || body_.size() > kMaxPlaylistBytes) {
        ProbeResult result = Answered();
        result.outcome = QLatin1String(failure_kinds::kOk);
        result.kind = QStringLiteral("media");
        StartWatching(result);
    }
}

void AddressProbe::OnFinished()
{
    if (done_ || !reply_)
        return;
    ProbeResult result = Answered();
    const QNetworkReply::NetworkError error = reply_->error();
    if (IsConnectionError(error) || (error != QNetworkReply::NoError && result.status < 200)) {
        result.outcome = RedirectRefused(*reply_) ? QLatin1String(failure_kinds::kRefused) : ErrorOutcome(error);
        Finish(result);
        return;
    }
    // For a watching probe, media whose body has ended already: without a length announced, the
    // server's closing the connection is what ended it, a stream cut off rather than a whole file.
    const bool announced = reply_->header(QNetworkRequest::ContentLengthHeader).isValid()
        || reply_->rawHeader("Transfer-Encoding").toLower().contains("chunked");
    const auto finishMedia = [this, announced](ProbeResult media) {
        if (mode_ == Mode::Watch && !announced) {
            media.outcome = QLatin1String(failure_kinds::kClosed);
            media.kind.clear();
        }
        Finish(media);
    };
    if (watching_) {
        finishMedia(watched_);
        return;
    }
    if (result.status == 404 || result.status == 410) {
        result.outcome = QLatin1String(failure_kinds::kNotFound);
        Finish(result);
        return;
    }
    if (result.status >= 400) {
        result.outcome = QLatin1String(failure_kinds::kHttp);
        Finish(result);
        return;
    }
    body_ += reply_->readAll();
    const PlaylistReading reading = FirstPlayableEntry(body_, reply_->url(), address_);
    result.outcome = QLatin1String(failure_kinds::kOk);
    switch (reading.kind) {
    case PlaylistReading::Kind::Hls:
        result.kind = QStringLiteral("hls");
        break;
    case PlaylistReading::Kind::Entries:
        result.kind = QStringLiteral("playlist");
        result.entry = reading.entry.toString(QUrl::FullyEncoded);
        break;
    case PlaylistReading::Kind::RefersToItself:
        result.outcome = QLatin1String(failure_kinds::kSelfReference);
        break;
    case PlaylistReading::Kind::NotPlaylist:
        result.kind = QStringLiteral("media");
        break;
    }
    if (result.kind == QLatin1String("media")) {
        finishMedia(result);
        return;
    }
    Finish(result);
}

void AddressProbe::Finish(ProbeResult result)
{
    if (done_)
        return;
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
