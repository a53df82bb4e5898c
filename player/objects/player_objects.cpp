#include "player_objects.h"

#include "objects_scheme_handler.h"

#include <QFile>
#include <QWebEngineProfile>
#include <QWebEngineScriptCollection>

#include <stdexcept>

namespace zentavo {
namespace {

// The page scripts as the build joined them (the list and its order live in the CMake file).
QString ObjectsSource() {
    QFile file(QStringLiteral(":/zentavo/objects/objects.js"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("The player objects' script is missing from the program's resources");
    return QString::fromUtf8(file.readAll());
}

QWebEngineScript MainWorldScript(const QString& name, const QString& source,
                                 QWebEngineScript::InjectionPoint point) {
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(point);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    return script;
}

} // namespace

QList<QWebEngineScript> PlayerObjectScripts() {
    static const QString objects = ObjectsSource();
    return {
        MainWorldScript(QStringLiteral("zentavo-player-objects"), objects, QWebEngineScript::DocumentCreation),
        MainWorldScript(QStringLiteral("zentavo-player-objects-scan"),
                        QStringLiteral("window.zentavoPlayers && window.zentavoPlayers.scan();"),
                        QWebEngineScript::DocumentReady),
    };
}

void RegisterPlayerObjectsScheme() {
    PlayerObjectsSchemeHandler::RegisterScheme();
    const QByteArray processPerSite("--process-per-site");
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.split(' ').contains(processPerSite)) {
        if (!flags.isEmpty()) flags += ' ';
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + processPerSite);
    }
}

void InstallPlayerObjects(QWebEngineProfile& profile) {
    for (const QWebEngineScript& script : PlayerObjectScripts())
        profile.scripts()->insert(script);
    auto* handler = new PlayerObjectsSchemeHandler(&profile);
    for (const QByteArray& scheme : PlayerObjectsSchemeHandler::SchemeNames())
        profile.installUrlSchemeHandler(scheme, handler);
}

} // namespace zentavo
