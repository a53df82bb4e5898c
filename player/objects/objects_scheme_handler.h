#pragma once
// The URL scheme "zentavo-objects:" through which player pages reach the host: "lib/NAME" answers a
// bundled streaming library (hls.js, mpegts.js, dash.js) as a script, "probe?id=N&url=ADDRESS"
// answers a script that hands the page the AddressProbe of ADDRESS. Only player pages may probe:
// requests from web pages (http, https) are refused.

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QWebEngineUrlSchemeHandler>

namespace zentavo {

class PlayerObjectsSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    static QByteArray SchemeName();
    // Must run before the QApplication exists.
    static void RegisterScheme();

    explicit PlayerObjectsSchemeHandler(QObject* parent = nullptr);
    ~PlayerObjectsSchemeHandler() override;

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    void ServeLibrary(QWebEngineUrlRequestJob* job, const QString& name);
    void ServeProbe(QWebEngineUrlRequestJob* job);

    QNetworkAccessManager network_;
};

} // namespace zentavo
