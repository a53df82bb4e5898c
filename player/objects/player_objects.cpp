#include "player_objects.h"

#include "objects_scheme_handler.h"
#include "player/contract/host_names.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEngineProfile>
#include <QWebEngineScriptCollection>

#include <stdexcept>

namespace zentavo {
namespace {

// The page scripts as the build joined them (the list and its order live in the CMake file).
// The names the scripts share with the host, as the object that replaces their token.
QString HostNamesObject()
{
    using namespace failure_kinds;
    const QJsonObject kinds{
        {QStringLiteral("ok"), QLatin1String(kOk)},
        {QStringLiteral("notFound"), QLatin1String(kNotFound)},
        {QStringLiteral("noHost"), QLatin1String(kNoHost)},
        {QStringLiteral("refused"), QLatin1String(kRefused)},
        {QStringLiteral("timeout"), QLatin1String(kTimeout)},
        {QStringLiteral("closed"), QLatin1String(kClosed)},
        {QStringLiteral("redirects"), QLatin1String(kRedirects)},
        {QStringLiteral("selfReference"), QLatin1String(kSelfReference)},
        {QStringLiteral("http"), QLatin1String(kHttp)},
        {QStringLiteral("protocol"), QLatin1String(kProtocol)},
        {QStringLiteral("dropped"), QLatin1String(kDropped)},
        {QStringLiteral("decoder"), QLatin1String(kDecoder)},
        {QStringLiteral("format"), QLatin1String(kFormat)},
        {QStringLiteral("error"), QLatin1String(kError)},
    };
    const QJsonObject names{
        {QStringLiteral("objectsGlobal"), QLatin1String(host_names::kObjectsGlobal)},
        {QStringLiteral("objectsScheme"), QLatin1String(host_names::kObjectsScheme)},
        {QStringLiteral("objectsLibraryPath"), QLatin1String(host_names::kObjectsLibraryPath)},
        {QStringLiteral("objectsProbePath"), QLatin1String(host_names::kObjectsProbePath)},
        {QStringLiteral("relayPrefix"), QLatin1String(host_names::kRelayPrefix)},
        {QStringLiteral("gatewayScheme"), QLatin1String(host_names::kGatewayScheme)},
        {QStringLiteral("gatewayChunkPath"), QLatin1String(host_names::kGatewayChunkPath)},
        {QStringLiteral("gatewayClosePath"), QLatin1String(host_names::kGatewayClosePath)},
        {QStringLiteral("gatewayTitlePath"), QLatin1String(host_names::kGatewayTitlePath)},
        {QStringLiteral("gatewayTracksPath"), QLatin1String(host_names::kGatewayTracksPath)},
        {QStringLiteral("gatewayFailureType"), QLatin1String(host_names::kGatewayFailureType)},
        {QStringLiteral("fullScreenOn"), QLatin1String(host_names::kFullScreenOnMarker)},
        {QStringLiteral("fullScreenOff"), QLatin1String(host_names::kFullScreenOffMarker)},
        {QStringLiteral("pictureRoom"), QLatin1String(host_names::kPictureRoomMarker)},
        {QStringLiteral("statusMarker"), QLatin1String(host_names::kStatusMarker)},
        {QStringLiteral("channelListMarker"), QLatin1String(host_names::kChannelListMarker)},
        {QStringLiteral("audioTracksMarker"), QLatin1String(host_names::kAudioTracksMarker)},
        {QStringLiteral("failureKinds"), kinds},
    };
    return QString::fromUtf8(QJsonDocument(names).toJson(QJsonDocument::Compact));
}

QString ObjectsSource()
{
    QFile file(QStringLiteral(":/zentavo/objects/objects.js"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("The player objects' script is missing from the program's resources");
    QString source = QString::fromUtf8(file.readAll());
    const QString token = QStringLiteral("__ZENTAVO_HOST_NAMES__");
    if (!source.contains(token))
        throw std::runtime_error("The player objects' script does not take the host's names");
    return source.replace(token, HostNamesObject());
}

QWebEngineScript MainWorldScript(const QString& name, const QString& source, QWebEngineScript::InjectionPoint point)
{
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(point);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    return script;
}

} // namespace

QList<QWebEngineScript> PlayerObjectScripts()
{
    static const QString objects = ObjectsSource();
    return {
        MainWorldScript(QStringLiteral("zentavo-player-objects"), objects, QWebEngineScript::DocumentCreation),
        MainWorldScript(QStringLiteral("zentavo-player-objects-scan"),
                        QString::fromStdString(host_names::ObjectsCall("scan();")), QWebEngineScript::DocumentReady),
    };
}

void InstallPlayerObjects(QWebEngineProfile& profile, const PagePlays& plays)
{
    for (const QWebEngineScript& script : PlayerObjectScripts())
        profile.scripts()->insert(script);
    auto* handler = new PlayerObjectsSchemeHandler(plays, &profile);
    for (const QByteArray& scheme : PlayerObjectsSchemeHandler::SchemeNames())
        profile.installUrlSchemeHandler(scheme, handler);
}

} // namespace zentavo
