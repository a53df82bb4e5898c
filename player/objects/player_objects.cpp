#include "player_objects.h"

#include "objects_scheme_handler.h"

#include <QFile>
#include <QWebEngineProfile>
#include <QWebEngineScriptCollection>

#include <array>
#include <stdexcept>

namespace zentavo {
namespace {

// In dependency order: later files use what earlier ones define.
constexpr std::array kScriptFiles = {
    "status_texts.js", "error_codes.js", "address_kind.js", "object_params.js", "library_loader.js",
    "media_engine.js", "player_view.js", "player_object.js", "real_object.js", "wmp_object.js", "object_hooks.js",
};

QString ResourceText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("The player objects' script " + path.toStdString() + " is missing");
    return QString::fromUtf8(file.readAll());
}

QString ObjectsSource() {
    QString source = QStringLiteral("(function () {\n'use strict';\n");
    for (const char* name : kScriptFiles) {
        source += ResourceText(QStringLiteral(":/zentavo/objects/js/") + QLatin1String(name));
        source += QLatin1Char('\n');
    }
    source += QStringLiteral("})();\n");
    return source;
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
