#include "player_objects.h"

#include "host_names.h"
#include "objects_scheme_handler.h"

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
    const QJsonObject names{
        {QStringLiteral("objectsGlobal"), QLatin1String(host_names::kObjectsGlobal)},
        {QStringLiteral("objectsScheme"), QLatin1String(host_names::kObjectsScheme)},
        {QStringLiteral("relayPrefix"), QLatin1String(host_names::kRelayPrefix)},
        {QStringLiteral("gatewayScheme"), QLatin1String(host_names::kGatewayScheme)},
        {QStringLiteral("fullScreenOn"), QLatin1String(host_names::kFullScreenOnMarker)},
        {QStringLiteral("fullScreenOff"), QLatin1String(host_names::kFullScreenOffMarker)},
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

void RegisterPlayerObjectsScheme()
{
    PlayerObjectsSchemeHandler::RegisterScheme();
}

void InstallPlayerObjects(QWebEngineProfile& profile)
{
    for (const QWebEngineScript& script : PlayerObjectScripts())
        profile.scripts()->insert(script);
    auto* handler = new PlayerObjectsSchemeHandler(&profile);
    for (const QByteArray& scheme : PlayerObjectsSchemeHandler::SchemeNames())
        profile.installUrlSchemeHandler(scheme, handler);
}

} // namespace zentavo
