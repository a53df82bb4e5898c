#pragma once
// The URL schemes through which player pages reach the host. "zentavo-objects:lib/NAME" answers a
// bundled streaming library (hls.js, mpegts.js, dash.js) as a script; "zentavo-objects:probe?id=N&url=
// ADDRESS" answers a script that hands the page the AddressProbe of ADDRESS; "zentavo-relay-http(s)://..."
// answers what the mirrored http(s) address holds (StreamRelay). Only our own pages are answered,
// each known by the origin that it alone has (PagePlays): web pages and opaque frames are refused.
// The probe and the relay send the request headers of the play of the page that asks, and keep to
// its reach.

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QWebEngineUrlSchemeHandler>

namespace zentavo {

struct PagePlay;
class PagePlays;

class PlayerObjectsSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    // Every scheme this handler serves (install it for each).
    static QList<QByteArray> SchemeNames();

    // plays must outlive the handler.
    explicit PlayerObjectsSchemeHandler(const PagePlays& plays, QObject* parent = nullptr);
    ~PlayerObjectsSchemeHandler() override;

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    void ServeLibrary(QWebEngineUrlRequestJob* job, const QString& name);
    void ServeProbe(QWebEngineUrlRequestJob* job, const PagePlay& play);

    const PagePlays& plays_;
    QNetworkAccessManager network_;
};

} // namespace zentavo
