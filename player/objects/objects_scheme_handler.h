#pragma once
// The URL schemes through which player pages reach the host. "zentavo-objects:lib/NAME" answers a
// bundled streaming library (hls.js, mpegts.js, dash.js) as a script; "zentavo-objects:probe?id=N&url=
// ADDRESS" answers a script that hands the page the AddressProbe of ADDRESS; "zentavo-relay-http(s)://..."
// answers what the mirrored http(s) address holds (StreamRelay). Only player pages may probe and
// relay: requests from web pages (http, https) are refused. Both send the request headers of the
// play of the page that asks (PlayHeaders).

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QWebEngineUrlSchemeHandler>

namespace zentavo {

class PlayHeaders;

class PlayerObjectsSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    // Every scheme this handler serves (install it for each).
    static QList<QByteArray> SchemeNames();

    // headers, when given, must outlive the handler; without them no play sends any.
    explicit PlayerObjectsSchemeHandler(const PlayHeaders* headers = nullptr, QObject* parent = nullptr);
    ~PlayerObjectsSchemeHandler() override;

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    void ServeLibrary(QWebEngineUrlRequestJob* job, const QString& name);
    void ServeProbe(QWebEngineUrlRequestJob* job);

    const PlayHeaders* headers_;
    QNetworkAccessManager network_;
};

} // namespace zentavo
