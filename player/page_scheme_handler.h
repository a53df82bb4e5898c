#pragma once
// Serves the player pages and the start page as HTML under our own URL scheme, each under a host
// of its own (so with an origin of its own). Only files that the host has registered can be
// fetched, at their own host and by their file name; nothing else on the disk is reachable.

#include "player/contract/host_names.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

namespace zentavo {

class PageSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    static constexpr const char* kScheme = host_names::kPageScheme;

    explicit PageSchemeHandler(QObject* parent = nullptr);

    // How many files stay servable: the page on show, the one replacing it, and a few before them.
    static constexpr int kRemembered = 4;

    // Makes the file servable at the host and returns its address ("zvo://<host>/<file name>").
    // Only the kRemembered files registered last stay servable, so that a long session does not
    // keep one entry for every page it ever showed.
    QUrl Register(const QString& localPath, const QString& host);

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QHash<QString, QString> files_; // host -> local path
    QStringList order_; // hosts, the one registered last at the end
};

} // namespace zentavo
