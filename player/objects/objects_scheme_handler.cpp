#include "objects_scheme_handler.h"

#include "address_probe.h"
#include "player/contract/host_names.h"
#include "player/contract/page_plays.h"
#include "stream_relay.h"

#include <QBuffer>
#include <QJsonDocument>
#include <QPointer>
#include <QRegularExpression>
#include <QResource>
#include <QUrlQuery>
#include <QWebEngineUrlRequestJob>

namespace zentavo {

QList<QByteArray> PlayerObjectsSchemeHandler::SchemeNames()
{
    return {QByteArray(host_names::kObjectsScheme), QByteArray(host_names::kRelayHttpScheme),
            QByteArray(host_names::kRelayHttpsScheme)};
}

PlayerObjectsSchemeHandler::PlayerObjectsSchemeHandler(const PagePlays& plays, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), plays_(plays)
{}
PlayerObjectsSchemeHandler::~PlayerObjectsSchemeHandler() = default;

void PlayerObjectsSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    // Only our own pages may read through the host; anything else keeps the web's rules.
    const PagePlay* play = plays_.ForJob(*job);
    if (job->requestMethod() != "GET" || !play) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QByteArray scheme = job->requestUrl().scheme().toLatin1();
    if (scheme == StreamRelay::kHttpScheme || scheme == StreamRelay::kHttpsScheme) {
        new StreamRelay(network_, job, *play, this);
        return;
    }
    const QString path = job->requestUrl().path();
    if (path.startsWith(QLatin1String("lib/")))
        ServeLibrary(job, path.mid(4));
    else if (path == QLatin1String("probe"))
        ServeProbe(job, *play);
    else
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
}

void PlayerObjectsSchemeHandler::ServeLibrary(QWebEngineUrlRequestJob* job, const QString& name)
{
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z0-9_.-]+\\.js$"));
    if (!plainName.match(name).hasMatch() || name.contains(QLatin1String(".."))) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    const QResource resource(QStringLiteral(":/zentavo/objects/lib/") + name);
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // The resource stays mapped for the life of the program: the buffer reads it without a copy.
    auto* buffer = new QBuffer(job);
    buffer->setData(QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()), resource.size()));
    buffer->open(QIODevice::ReadOnly);
    job->reply(QByteArrayLiteral("text/javascript"), buffer);
}

void PlayerObjectsSchemeHandler::ServeProbe(QWebEngineUrlRequestJob* job, const PagePlay& play)
{
    const QUrlQuery query(job->requestUrl());
    bool idOk = false;
    const qint64 id = query.queryItemValue(QStringLiteral("id")).toLongLong(&idOk);
    const QUrl address(query.queryItemValue(QStringLiteral("url"), QUrl::FullyDecoded), QUrl::StrictMode);
    if (!idOk) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const bool watch = query.queryItemValue(QStringLiteral("watch")) == QLatin1String("1");
    auto* probe = new AddressProbe(network_, address, play, this,
                                   watch ? AddressProbe::Mode::Watch : AddressProbe::Mode::Resolve);
    QPointer<QWebEngineUrlRequestJob> pending(job);
    connect(probe, &AddressProbe::finished, this, [pending, probe, id](const ProbeResult& result) {
        probe->deleteLater();
        if (!pending)
            return;
        const QByteArray json = QJsonDocument(result.ToJson()).toJson(QJsonDocument::Compact);
        auto* buffer = new QBuffer(pending);
        buffer->setData(QByteArray::fromStdString(host_names::ObjectsCall("finishProbe(")) + QByteArray::number(id)
                        + ", " + json + ");\n");
        buffer->open(QIODevice::ReadOnly);
        pending->reply(QByteArrayLiteral("text/javascript"), buffer);
    });
    // A page that goes away cancels its probe.
    connect(job, &QObject::destroyed, probe, [probe] { probe->deleteLater(); });
}

} // namespace zentavo
