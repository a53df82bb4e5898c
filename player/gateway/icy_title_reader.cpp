#include "icy_title_reader.h"

#include "player/contract/page_plays.h"
#include "player/contract/redirect_guard.h"
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <QNetworkRequest>

namespace zentavo {
namespace {

constexpr qint64 kReadBufferBytes = 64 * 1024;
// Servers send a block every 8 to 64 KB; a larger interval is not a radio stream's.
constexpr qint64 kLargestInterval = 1024 * 1024;

} // namespace

IcyTitleReader::IcyTitleReader(const QUrl& address, QNetworkAccessManager& network, const PagePlay& play,
                               QObject* parent)
    : QObject(parent)
{
    QNetworkRequest request(address);
    PagePlays::Apply(request, play.headers);
    FollowSafeRedirects(request);
    request.setRawHeader("Icy-MetaData", "1");
    request.setTransferTimeout(kTimeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    reply_ = network.get(request);
    FollowRedirectsWithin(reply_, play.channelIsLocal);
    reply_->setReadBufferSize(kReadBufferBytes);
    connect(reply_, &QNetworkReply::metaDataChanged, this, &IcyTitleReader::OnHeaders);
    connect(reply_, &QNetworkReply::readyRead, this, &IcyTitleReader::OnData);
    connect(reply_, &QNetworkReply::finished, this, &IcyTitleReader::Stop);
}

IcyTitleReader::~IcyTitleReader()
{
    Stop();
}

void IcyTitleReader::OnHeaders()
{
    if (parser_ || !reply_)
        return;
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status < 400)
        return; // a redirect: the headers of the next answer follow
    bool ok = false;
    const qint64 interval = reply_->rawHeader("icy-metaint").trimmed().toLongLong(&ok);
    if (status != 200 || !ok || interval <= 0 || interval > kLargestInterval) {
        Stop(); // no titles to read here
        return;
    }
    parser_ = std::make_unique<IcyMetadataParser>(interval);
}

void IcyTitleReader::OnData()
{
    if (!reply_)
        return;
    if (!parser_)
        OnHeaders();
    if (!parser_)
        return;
    char buffer[16 * 1024];
    qint64 read = 0;
    while ((read = reply_->read(buffer, sizeof buffer)) > 0) {
        const std::optional<QString> title = parser_->Feed(buffer, read);
        if (title && *title != title_) {
            title_ = *title;
            emit TitleChanged(title_);
        }
    }
}

void IcyTitleReader::Stop()
{
    if (!reply_)
        return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

} // namespace zentavo
