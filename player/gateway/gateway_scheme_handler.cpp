#include "gateway_scheme_handler.h"

#include "player/contract/host_names.h"
#include "player/contract/page_plays.h"
#include "player/contract/private_addresses.h"
#include "player/contract/redirect_guard.h"
#include "player/gateway/gateway_stream.h"
#include "player/gateway/icy_title_reader.h"

#include <QBuffer>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrlQuery>
#include <QWebEngineUrlRequestJob>

namespace zentavo {
namespace {

void ReplyWith(QWebEngineUrlRequestJob* job, const QByteArray& type, const QByteArray& body)
{
    auto* buffer = new QBuffer(job);
    buffer->setData(body);
    buffer->open(QIODevice::ReadOnly);
    job->reply(type, buffer);
}

qint64 Now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

GatewaySchemeHandler::GatewaySchemeHandler(const PagePlays& plays, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), plays_(plays)
{
    idle_.setInterval(500);
    connect(&idle_, &QTimer::timeout, this, &GatewaySchemeHandler::EndIdle);
}

GatewaySchemeHandler::~GatewaySchemeHandler()
{
    for (const QString& key : sessions_.keys())
        End(key);
    for (const QString& key : readers_.keys())
        End(key);
}

std::optional<SourceFacts> GatewaySchemeHandler::SessionFacts(const QString& key) const
{
    const auto session = sessions_.constFind(key);
    if (session != sessions_.constEnd() && session->stream)
        return session->stream->Facts();
    for (const auto& [endedKey, facts] : endedFacts_) {
        if (endedKey == key)
            return facts;
    }
    return std::nullopt;
}

void GatewaySchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    // Only our own pages, each by the origin it alone has: no web page and no opaque frame.
    const PagePlay* play = plays_.ForJob(*job);
    if (job->requestMethod() != "GET" || !play) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    static const QRegularExpression plainKey(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
    const QUrlQuery query(job->requestUrl());
    const QString key = query.queryItemValue(QStringLiteral("id"));
    if (!plainKey.match(key).hasMatch()) {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
        return;
    }
    const QString path = job->requestUrl().path();
    bool numberOk = false;
    if (path == QLatin1String(host_names::kGatewayChunkPath)) {
        const qint64 sequence = query.queryItemValue(QStringLiteral("n")).toLongLong(&numberOk);
        const QString address = query.queryItemValue(QStringLiteral("url"), QUrl::FullyDecoded).trimmed();
        int audioTrack = -1;
        bool audioOk = true;
        if (query.hasQueryItem(QStringLiteral("audio")))
            audioTrack = query.queryItemValue(QStringLiteral("audio")).toInt(&audioOk);
        if (!numberOk || (sequence == 0 && address.isEmpty()) || !audioOk || audioTrack < -1
            || audioTrack > kMostAudioTrack) {
            job->fail(QWebEngineUrlRequestJob::UrlInvalid);
            return;
        }
        ServeChunk(job, *play, key, sequence, address, audioTrack);
    } else if (path == QLatin1String(host_names::kGatewayClosePath)) {
        End(key);
        ReplyWith(job, QByteArrayLiteral("text/plain"), {});
    } else if (path == QLatin1String(host_names::kGatewayTracksPath)) {
        ServeTracks(job, key);
    } else if (path == QLatin1String(host_names::kGatewayTitlePath)) {
        ServeTitle(job, *play, key, query.queryItemValue(QStringLiteral("url"), QUrl::FullyDecoded).trimmed());
    } else {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    }
}

void GatewaySchemeHandler::ServeChunk(QWebEngineUrlRequestJob* job, const PagePlay& play, const QString& key,
                                      qint64 sequence, const QString& address, int audioTrack)
{
    auto found = sessions_.find(key);
    if (found == sessions_.end()) {
        if (sequence != 0) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        Session session;
        session.stream = new GatewayStream(address, play.headers, audioTrack,
                                           play.channelIsLocal ? SourceReach::Anywhere : SourceReach::PublicOnly, this);
        connect(session.stream, &GatewayStream::Changed, this, [this, key] { Answer(key); });
        connect(session.stream, &GatewayStream::TitleChanged, this,
                [this, key](const QString& title) { EmitTitle(key, title); });
        found = sessions_.insert(key, session);
        BecomeNewest(key);
    }
    if (found->pending)
        found->pending->fail(QWebEngineUrlRequestJob::RequestAborted);
    found->pending = job;
    found->lastRequest = Now();
    Answer(key);
}

// Answers the session's waiting request when there is something to answer: bytes, the end or a failure.
void GatewaySchemeHandler::Answer(const QString& key)
{
    const auto found = sessions_.find(key);
    if (found == sessions_.end() || !found->pending)
        return;
    StreamBuffer& buffer = found->stream->Buffer();
    QWebEngineUrlRequestJob* job = found->pending;
    const size_t available = buffer.Available();
    if (available > 0) {
        QByteArray bytes(static_cast<qsizetype>(std::min<size_t>(available, kChunkBytes)), Qt::Uninitialized);
        bytes.truncate(static_cast<qsizetype>(buffer.Read(bytes.data(), static_cast<size_t>(bytes.size()))));
        found->pending = nullptr;
        found->lastRequest = Now();
        ReplyWith(job, QByteArrayLiteral("video/mp2t"), bytes);
        return;
    }
    if (!buffer.Finished())
        return; // the request waits for the next bytes
    const QString words = QString::fromStdString(buffer.Error());
    found->pending = nullptr;
    if (words.isEmpty()) {
        ReplyWith(job, QByteArrayLiteral("video/mp2t"), {});
    } else {
        // Why it failed goes to the page over the same request, as data.
        const QJsonObject failure{{QStringLiteral("outcome"), found->stream->FailureKind()},
                                  {QStringLiteral("text"), words}};
        ReplyWith(job, QByteArray(host_names::kGatewayFailureType),
                  QJsonDocument(failure).toJson(QJsonDocument::Compact));
    }
    End(key);
}

void GatewaySchemeHandler::ServeTracks(QWebEngineUrlRequestJob* job, const QString& key) const
{
    QJsonArray tracks;
    int current = -1;
    if (const std::optional<SourceFacts> facts = SessionFacts(key)) {
        for (const AudioStreamName& track : facts->audioTracks)
            tracks.append(
                QJsonObject{{QStringLiteral("name"), track.name}, {QStringLiteral("language"), track.language}});
        current = facts->audioTrack;
    }
    const QJsonObject answer{{QStringLiteral("tracks"), tracks}, {QStringLiteral("current"), current}};
    ReplyWith(job, QByteArrayLiteral("application/json"), QJsonDocument(answer).toJson(QJsonDocument::Compact));
}

void GatewaySchemeHandler::ServeTitle(QWebEngineUrlRequestJob* job, const PagePlay& play, const QString& key,
                                      const QString& address)
{
    QString title;
    if (const auto session = sessions_.constFind(key); session != sessions_.constEnd()) {
        title = session->stream->Title();
    } else if (auto reader = readers_.find(key); reader != readers_.end()) {
        reader->lastRequest = Now();
        title = reader->reader->Title();
    } else if (!address.isEmpty()) {
        const QUrl url(address);
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            || !MayReach(play.channelIsLocal, url)) {
            job->fail(QWebEngineUrlRequestJob::UrlInvalid);
            return;
        }
        if (readers_.size() >= kMostReaders) {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        Reader started{new IcyTitleReader(url, network_, play, this), Now()};
        connect(started.reader, &IcyTitleReader::TitleChanged, this,
                [this, key](const QString& changed) { EmitTitle(key, changed); });
        readers_.insert(key, started);
        BecomeNewest(key);
    }
    ReplyWith(job, QByteArrayLiteral("text/plain; charset=utf-8"), title.toUtf8());
}

// The host shows the title of the newest play only: an older one may linger a moment.
void GatewaySchemeHandler::EmitTitle(const QString& key, const QString& title)
{
    if (key == newestKey_)
        emit TitleChanged(title);
}

// A new play (a session or a title reader) becomes the newest; whatever title the one before had
// is no longer shown.
void GatewaySchemeHandler::BecomeNewest(const QString& key)
{
    QString before;
    if (const auto session = sessions_.constFind(newestKey_); session != sessions_.constEnd() && newestKey_ != key)
        before = session->stream->Title();
    else if (const auto reader = readers_.constFind(newestKey_); reader != readers_.constEnd() && newestKey_ != key)
        before = reader->reader->Title();
    newestKey_ = key;
    if (!before.isEmpty())
        emit TitleChanged(QString());
    idle_.start();
}

void GatewaySchemeHandler::End(const QString& key)
{
    if (auto reader = readers_.find(key); reader != readers_.end()) {
        const bool titled = key == newestKey_ && !reader->reader->Title().isEmpty();
        delete reader->reader; // ends its connection now
        readers_.erase(reader);
        if (titled)
            emit TitleChanged(QString());
    }
    if (sessions_.isEmpty() && readers_.isEmpty())
        idle_.stop();
    const auto found = sessions_.find(key);
    if (found == sessions_.end())
        return;
    GatewayStream* stream = found->stream;
    if (found->pending)
        found->pending->fail(QWebEngineUrlRequestJob::RequestAborted);
    sessions_.erase(found);
    // A file comes faster than it plays: its session can end while the page still plays what it
    // buffered, and the stream information still asks about it.
    if (const std::optional<SourceFacts> facts = stream->Facts()) {
        endedFacts_.append({key, *facts});
        while (endedFacts_.size() > kEndedFactsKept)
            endedFacts_.removeFirst();
    }
    const bool titled = key == newestKey_ && !stream->Title().isEmpty();
    delete stream; // stops the worker and closes the source's connections now
    if (titled)
        emit TitleChanged(QString());
    if (sessions_.isEmpty() && readers_.isEmpty())
        idle_.stop();
}

// A page that stopped asking (it paused, moved on to another channel or was closed) ends its session.
void GatewaySchemeHandler::EndIdle()
{
    const qint64 now = Now();
    QStringList idle;
    for (auto it = sessions_.cbegin(); it != sessions_.cend(); ++it) {
        if (!it->pending && now - it->lastRequest > kIdleMs)
            idle.append(it.key());
    }
    for (auto it = readers_.cbegin(); it != readers_.cend(); ++it) {
        if (now - it->lastRequest > kIdleMs)
            idle.append(it.key());
    }
    for (const QString& key : idle)
        End(key);
}

} // namespace zentavo
