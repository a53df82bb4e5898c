// The host's look at a stream address: what the player objects learn when a page cannot see why a
// load failed, and which entry of a playlist they play.

#include "player/contract/page_plays.h"
#include "player/objects/address_probe.h"
#include "tests/support/media_server.h"
#include "tests/support/test_media.h"

#include <QDir>
#include <QFile>
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
    void watchingProbeTellsAStreamTheServerCutsOff_data();
    void watchingProbeTellsAStreamTheServerCutsOff();

private:
    ProbeResult Probe(const QUrl& url, int timeoutMs = 5000, AddressProbe::Mode mode = AddressProbe::Mode::Resolve);

    QTemporaryDir folder_;
    std::unique_ptr<MediaServer> server_;
    QNetworkAccessManager network_;
};

void AddressProbeTest::initTestCase()
{
    QVERIFY(folder_.isValid());
    server_ = std::make_unique<MediaServer>(folder_.path());
    WriteTextFile(folder_.path(), QStringLiteral("radio.pls"), QStringLiteral("[playlist]\nFile1=live.mp3\n"));
    WriteTextFile(folder_.path(), QStringLiteral("tv.m3u"),
                  QStringLiteral("#EXTM3U\n#EXT-X-TARGETDURATION:2\nseg.ts\n"));
    WriteTextFile(folder_.path(), QStringLiteral("live.mp3"), QStringLiteral("ID3 not really an mp3"));
    WriteTextFile(folder_.path(), QStringLiteral("huge.m3u"),
                  QString(AddressProbe::kMaxPlaylistBytes + 10, QLatin1Char('x')));
    server_->Stall(QStringLiteral("stalled.pls"));
    server_->Redirect(QStringLiteral("loop.mp3"), QStringLiteral("loop.mp3"));
    server_->Redirect(QStringLiteral("hop.pls"), QStringLiteral("radio.pls"));
    server_->AnswerStatus(QStringLiteral("long.mp3"), 414);
    server_->AnswerStatus(QStringLiteral("forbidden.mp3"), 403);
    server_->CloseAfter(QStringLiteral("closing.mp3"), 1000, MediaServer::Closing::BeforeAnswer);
    server_->CloseAfter(QStringLiteral("cut.mp3"), 1000, MediaServer::Closing::MidStream);
    WriteTextFile(folder_.path(), QStringLiteral("self.m3u8"),
                  QStringLiteral("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=500000\nself.m3u8\n"));
    WriteTextFile(folder_.path(), QStringLiteral("self.pls"), QStringLiteral("[playlist]\nFile1=self.pls\n"));
    // A list of thousands of channels, the one to play last: far over 256 KB.
    QString large = QStringLiteral("#EXTM3U\n");
    for (int i = 0; i < 8000; ++i)
        large += QStringLiteral("#EXTINF:-1,Channel %1 without an address yet\n").arg(i);
    WriteTextFile(folder_.path(), QStringLiteral("large.m3u"), large + QStringLiteral("live.mp3\n"));
    QFile binary(QDir(folder_.path()).filePath(QStringLiteral("binary.m3u")));
    QVERIFY(binary.open(QIODevice::WriteOnly));
    binary.write(QByteArray(64 * 1024, '\0'));
}

ProbeResult AddressProbeTest::Probe(const QUrl& url, int timeoutMs, AddressProbe::Mode mode)
{
    AddressProbe probe(network_, url, PagePlay{{}, true}, nullptr, mode);
    QSignalSpy finished(&probe, &AddressProbe::finished);
    if (!finished.wait(timeoutMs))
        return {};
    return finished.at(0).at(0).value<ProbeResult>();
}

void AddressProbeTest::outcomes_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("entry");
    QTest::newRow("playlist: its entry, resolved") << server_->Url(QStringLiteral("radio.pls")) << "ok"
                                                   << "playlist" << server_->Url(QStringLiteral("live.mp3")).toString();
    QTest::newRow("HLS under a playlist name") << server_->Url(QStringLiteral("tv.m3u")) << "ok"
                                               << "hls"
                                               << "";
    QTest::newRow("media") << server_->Url(QStringLiteral("live.mp3")) << "ok"
                           << "media"
                           << "";
    QTest::newRow("not found") << server_->Url(QStringLiteral("gone.mp3")) << "notfound"
                               << ""
                               << "";
    QTest::newRow("refused") << MediaServer::RefusedUrl(QStringLiteral("x.pls")) << "refused"
                             << ""
                             << "";
    QTest::newRow("no http(s): not fetched") << QUrl(QStringLiteral("file:///etc/passwd")) << "error"
                                             << ""
                                             << "";
    QTest::newRow("rtsp: not fetched") << QUrl(QStringLiteral("rtsp://127.0.0.1/x")) << "error"
                                       << ""
                                       << "";
    QTest::newRow("redirect loop") << server_->Url(QStringLiteral("loop.mp3")) << "redirects"
                                   << ""
                                   << "";
    QTest::newRow("playlist behind a redirect") << server_->Url(QStringLiteral("hop.pls")) << "ok"
                                                << "playlist" << server_->Url(QStringLiteral("live.mp3")).toString();
    QTest::newRow("address refused as too long") << server_->Url(QStringLiteral("long.mp3")) << "http"
                                                 << ""
                                                 << "";
    QTest::newRow("closed before answering") << server_->Url(QStringLiteral("closing.mp3")) << "closed"
                                             << ""
                                             << "";
    QTest::newRow("HLS playlist naming itself") << server_->Url(QStringLiteral("self.m3u8")) << "selfref"
                                                << ""
                                                << "";
    QTest::newRow("PLS naming itself") << server_->Url(QStringLiteral("self.pls")) << "selfref"
                                       << ""
                                       << "";
    QTest::newRow("M3U over 256 KB") << server_->Url(QStringLiteral("large.m3u")) << "ok"
                                     << "playlist" << server_->Url(QStringLiteral("live.mp3")).toString();
    QTest::newRow("binary under a playlist's name") << server_->Url(QStringLiteral("binary.m3u")) << "ok"
                                                    << "media"
                                                    << "";
}

void AddressProbeTest::outcomes()
{
    QFETCH(QUrl, url);
    QFETCH(QString, outcome);
    QFETCH(QString, kind);
    QFETCH(QString, entry);
    const ProbeResult result = Probe(url);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.kind, kind);
    QCOMPARE(result.entry, entry);
}

void AddressProbeTest::stalledServerTimesOut()
{
    const ProbeResult result = Probe(server_->Url(QStringLiteral("stalled.pls")), AddressProbe::kTimeoutMs + 5000);
    QCOMPARE(result.outcome, QStringLiteral("timeout"));
}

void AddressProbeTest::watchingProbeTellsAStreamTheServerCutsOff_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<int>("status");
    QTest::newRow("answered, then closed a second later") << "cut.mp3"
                                                          << "closed" << 200;
    QTest::newRow("closed before answering") << "closing.mp3"
                                             << "closed" << 0;
    QTest::newRow("a whole file of the length announced") << "live.mp3"
                                                          << "ok" << 200;
    QTest::newRow("refused as too long") << "long.mp3"
                                         << "http" << 414;
    QTest::newRow("refused otherwise") << "forbidden.mp3"
                                       << "http" << 403;
}

void AddressProbeTest::watchingProbeTellsAStreamTheServerCutsOff()
{
    QFETCH(QString, path);
    QFETCH(QString, outcome);
    QFETCH(int, status);
    const ProbeResult result = Probe(server_->Url(path), AddressProbe::kWatchMs + 5000, AddressProbe::Mode::Watch);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.status, status);
}

void AddressProbeTest::longBodyWithPlaylistNameIsMedia()
{
    const ProbeResult result = Probe(server_->Url(QStringLiteral("huge.m3u")));
    QCOMPARE(result.outcome, QStringLiteral("ok"));
    QCOMPARE(result.kind, QStringLiteral("media"));
}

QTEST_GUILESS_MAIN(AddressProbeTest)
#include "test_address_probe.moc"
