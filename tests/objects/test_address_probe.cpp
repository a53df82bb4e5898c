// The host's look at a stream address: what the player objects learn when a page cannot see why a
// load failed, and which entry of a playlist they play.

#include "player/objects/address_probe.h"
#include "tests/support/media_server.h"
#include "tests/support/test_media.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zentavo;
using namespace zentavo::test;

class AddressProbeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void outcomes_data();
    void outcomes();
    void stalledServerTimesOut();
    void longBodyWithPlaylistNameIsMedia();

private:
    ProbeResult Probe(const QUrl& url, int timeoutMs = 5000);

    QTemporaryDir folder_;
    std::unique_ptr<MediaServer> server_;
    QNetworkAccessManager network_;
};

void AddressProbeTest::initTestCase() {
    QVERIFY(folder_.isValid());
    server_ = std::make_unique<MediaServer>(folder_.path());
    WriteTextFile(folder_.path(), QStringLiteral("radio.pls"), QStringLiteral("[playlist]\nFile1=live.mp3\n"));
    WriteTextFile(folder_.path(), QStringLiteral("tv.m3u"), QStringLiteral("#EXTM3U\n#EXT-X-TARGETDURATION:2\nseg.ts\n"));
    WriteTextFile(folder_.path(), QStringLiteral("live.mp3"), QStringLiteral("ID3 not really an mp3"));
    WriteTextFile(folder_.path(), QStringLiteral("huge.m3u"), QString(AddressProbe::kMaxPlaylistBytes + 10, QLatin1Char('x')));
    server_->Stall(QStringLiteral("stalled.pls"));
}

ProbeResult AddressProbeTest::Probe(const QUrl& url, int timeoutMs) {
    AddressProbe probe(network_, url);
    QSignalSpy finished(&probe, &AddressProbe::finished);
    if (!finished.wait(timeoutMs)) return {};
    return finished.at(0).at(0).value<ProbeResult>();
}

void AddressProbeTest::outcomes_data() {
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("entry");
    QTest::newRow("playlist: its entry, resolved") << server_->Url(QStringLiteral("radio.pls")) << "ok" << "playlist"
                                                   << server_->Url(QStringLiteral("live.mp3")).toString();
    QTest::newRow("HLS under a playlist name") << server_->Url(QStringLiteral("tv.m3u")) << "ok" << "hls" << "";
    QTest::newRow("media") << server_->Url(QStringLiteral("live.mp3")) << "ok" << "media" << "";
    QTest::newRow("not found") << server_->Url(QStringLiteral("gone.mp3")) << "notfound" << "" << "";
    QTest::newRow("refused") << MediaServer::RefusedUrl(QStringLiteral("x.pls")) << "refused" << "" << "";
    QTest::newRow("no http(s): not fetched") << QUrl(QStringLiteral("file:///etc/passwd")) << "error" << "" << "";
    QTest::newRow("rtsp: not fetched") << QUrl(QStringLiteral("rtsp://127.0.0.1/x")) << "error" << "" << "";
}

void AddressProbeTest::outcomes() {
    QFETCH(QUrl, url);
    QFETCH(QString, outcome);
    QFETCH(QString, kind);
    QFETCH(QString, entry);
    const ProbeResult result = Probe(url);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.kind, kind);
    QCOMPARE(result.entry, entry);
}

void AddressProbeTest::stalledServerTimesOut() {
    const ProbeResult result = Probe(server_->Url(QStringLiteral("stalled.pls")), AddressProbe::kTimeoutMs + 5000);
    QCOMPARE(result.outcome, QStringLiteral("timeout"));
}

void AddressProbeTest::longBodyWithPlaylistNameIsMedia() {
    const ProbeResult result = Probe(server_->Url(QStringLiteral("huge.m3u")));
    QCOMPARE(result.outcome, QStringLiteral("ok"));
    QCOMPARE(result.kind, QStringLiteral("media"));
}

QTEST_GUILESS_MAIN(AddressProbeTest)
#include "test_address_probe.moc"
