// End to end through the media gateway: channels that the page's own engines cannot play (Windows
// Media and MPEG-2 files, MPEG-TS from a server without CORS consent, RTMP live streams) play in the
// player's pages with the real web engine, against servers started here on 127.0.0.1. "Plays" means
// the media element advances a second and, for TV, decodes pictures. Failures come in words, and a
// pause, a new channel or a closed page ends the session: no gateway thread or connection remains.

#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"
#include "player/gateway/gateway_session.h"
#include "player/page_generation.h"
#include "player/player_page.h"
#include "player/player_profile.h"
#include "player/scratch_folder.h"
#include "tests/support/media_server.h"
#include "tests/support/page_script.h"
#include "tests/support/player_page_fixture.h"
#include "tests/support/stream_servers.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_media.h"
#include "tests/support/waits.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <memory>

using namespace zentavo;
using namespace zentavo::test;

namespace {

constexpr int kPlayTimeoutMs = 40000;

// The live server a channel needs, started when its case runs.
enum class LiveServer { None, FfmpegRtmp, VlcRtsp, VlcMmsh };
const char* const kRealNotAvailable = "Sorry, this channel is not available at the moment.";

// The TCP sockets of /proc/net/tcp as "local-port remote-port state inode" rows.
QList<QStringList> TcpSockets()
{
    QFile file(QStringLiteral("/proc/net/tcp"));
    QList<QStringList> rows;
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    file.readLine();
    while (!file.atEnd()) {
        const QStringList fields = QString::fromLatin1(file.readLine()).simplified().split(QLatin1Char(' '));
        if (fields.size() < 10)
            continue;
        rows.append({QString::number(fields[1].section(QLatin1Char(':'), 1).toUInt(nullptr, 16)),
                     QString::number(fields[2].section(QLatin1Char(':'), 1).toUInt(nullptr, 16)), fields[3],
                     fields[9]});
    }
    return rows;
}

// Sockets of this process connected to a port: the gateway's connections to a source.
int SocketsTo(quint16 port)
{
    QSet<QString> inodes;
    for (const QStringList& row : TcpSockets()) {
        if (row[1].toUInt() == port && row[3] != QLatin1String("0"))
            inodes.insert(QStringLiteral("socket:[%1]").arg(row[3]));
    }
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
        if (inodes.contains(QFile::symLinkTarget(fds.filePath(fd)).section(QLatin1Char('/'), -1)))
            ++count;
    }
    return count;
}

// The gateway's threads: the sessions' workers and the threads FFmpeg starts from them.
int GatewayThreads()
{
    return ThreadsNamed(GatewaySession::kThreadName);
}

} // namespace

Q_DECLARE_METATYPE(LiveServer)

class GatewayPlayback : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void channelPlaysThroughTheGateway_data();
    void channelPlaysThroughTheGateway();
    void serverThatNeverAnswersIsToldWithinFifteenSeconds();
    void refusedMmsIsToldInWords();
    void realChannelThatCannotConnectBringsItsAlert();
    void pauseEndsTheSessionAndPlayStartsAnother();
    void newChannelEndsTheSession();
    void liveStreamThatBreaksOffIsOpenedAgain();

private:
    void Play(const char* id);
    QString MediaState();
    bool ShowsPictures();
    void StartRtmpServer();
    void StartServer(LiveServer server);

    QTemporaryDir media_;
    std::unique_ptr<SharedFolder> shared_;
    quint16 rtspPort_ = 0;
    quint16 mmshPort_ = 0;
    // Started by the first case that needs them (RTSP is kept: it never ends).
    std::unique_ptr<VlcStreamServer> rtspServer_;
    std::unique_ptr<VlcStreamServer> mmshServer_;
    std::unique_ptr<MediaServer> server_;
    std::unique_ptr<MediaServer> noCors_;
    QTcpServer silent_;
    QList<QTcpSocket*> held_;
    quint16 rtmpPort_ = 0;
    std::unique_ptr<QProcess> rtmp_;
    std::unique_ptr<test::PlayerPageFixture> pages_;
    PlayerProfile* profile_ = nullptr;
    PlayerPage* page_ = nullptr;
};

void GatewayPlayback::initTestCase()
{
    QVERIFY(media_.isValid());
    TestMedia::Generate(media_.path());
    server_ = std::make_unique<MediaServer>(media_.path());
    noCors_ = std::make_unique<MediaServer>(media_.path());
    noCors_->SetCorsAllowed(false);
    QVERIFY(silent_.listen(QHostAddress::LocalHost));
    connect(&silent_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = silent_.nextPendingConnection())
            held_.append(socket);
    });
    rtmpPort_ = FreeLocalPort();
    rtspPort_ = FreeLocalPort();
    mmshPort_ = FreeLocalPort();
    const QString rtmp = QStringLiteral("rtmp://127.0.0.1:%1/live/x").arg(rtmpPort_);
    const auto url = [](MediaServer& server, const char* path) { return server.Url(QLatin1String(path)).toString(); };

    const QList<TestChannel> channels = {
        {"1", 0, url(*server_, TestMedia::kWmv)},
        {"2", 0, url(*server_, TestMedia::kMpeg2Ts)},
        {"3", 0, url(*noCors_, TestMedia::kMpegTs)},
        {"4", 0, rtmp},
        {"5", 1, rtmp},
        {"6", 0, QStringLiteral("rtsp://127.0.0.1:%1/live").arg(silent_.serverPort())},
        {"7", 0, QStringLiteral("mms://127.0.0.1:1/live")},
        {"8", 1, QStringLiteral("rtsp://127.0.0.1:1/live.rm")},
        {"9", 0, url(*server_, TestMedia::kMp4)},
        {"10", 1, url(*server_, TestMedia::kRealMedia)},
        {"11", 0, url(*server_, TestMedia::kHevcTs)},
        {"12", 1, QStringLiteral("rtsp://127.0.0.1:%1/live").arg(rtspPort_)},
        {"13", 0, QStringLiteral("mms://127.0.0.1:%1/").arg(mmshPort_)},
        {"14", 0, QStringLiteral("mmsh://127.0.0.1:%1/").arg(mmshPort_)},
    };
    pages_ = std::make_unique<test::PlayerPageFixture>(WriteTestCatalogue(media_.path(), channels));

    profile_ = &pages_->Profile();
}

void GatewayPlayback::cleanupTestCase()
{
    rtspServer_.reset();
    mmshServer_.reset();
}

void GatewayPlayback::init()
{
    page_ = &pages_->Open();
}

void GatewayPlayback::cleanup()
{
    pages_->Close();
    page_ = nullptr;
    // Closing the page ends its session.
    QTRY_COMPARE_WITH_TIMEOUT(GatewayThreads(), 0, test::Limit(10000));
    if (rtmp_) {
        rtmp_->kill();
        rtmp_->waitForFinished(5000);
        rtmp_.reset();
    }
}

// VLC refuses to run as root, so it runs as nobody and reads copies of the media from a shared folder.
void GatewayPlayback::StartServer(LiveServer server)
{
    try {
        if (server == LiveServer::FfmpegRtmp) {
            StartRtmpServer();
        } else if (server != LiveServer::None) {
            if (!shared_)
                shared_ = std::make_unique<SharedFolder>();
            if (server == LiveServer::VlcRtsp && !rtspServer_)
                rtspServer_ = StartVlcRtsp(
                    shared_->Add(QDir(media_.path()).filePath(QLatin1String(TestMedia::kMpegTs))), rtspPort_);
            else if (server == LiveServer::VlcMmsh) { // its stream ends with its file: a new one each time
                mmshServer_.reset();
                mmshServer_ = StartVlcMmsh(
                    shared_->Add(QDir(media_.path()).filePath(QLatin1String(TestMedia::kWmvLive))), mmshPort_);
            }
        }
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
}

// FFmpeg as an RTMP server: one client, the test video looped as a live stream.
void GatewayPlayback::StartRtmpServer()
{
    if (rtmp_) {
        rtmp_->kill();
        rtmp_->waitForFinished(5000);
    }
    rtmp_ = std::make_unique<QProcess>();
    rtmp_->setWorkingDirectory(media_.path());
    rtmp_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    rtmp_->start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                  QStringLiteral("-re"), QStringLiteral("-stream_loop"), QStringLiteral("-1"), QStringLiteral("-i"),
                  QLatin1String(TestMedia::kMp4), QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-f"),
                  QStringLiteral("flv"), QStringLiteral("-listen"), QStringLiteral("1"),
                  QStringLiteral("rtmp://127.0.0.1:%1/live/x").arg(rtmpPort_)});
    QVERIFY2(rtmp_->waitForStarted(10000), "ffmpeg (Debian package ffmpeg) is needed to serve RTMP");
    QTRY_VERIFY_WITH_TIMEOUT(ListeningOn(rtmpPort_), test::Limit(10000));
}

void GatewayPlayback::Play(const char* id)
{
    pages_->Play(id);
}

QString GatewayPlayback::MediaState()
{
    return PlayerPageTexts(*page_);
}

// The media element has a picture size and has decoded pictures, not only sound.
bool GatewayPlayback::ShowsPictures()
{
    return WaitForJavaScript(*page_,
                             QStringLiteral("zentavoMediaWatch.media && zentavoMediaWatch.media.videoWidth > 0 && "
                                            "zentavoMediaWatch.media.getVideoPlaybackQuality().totalVideoFrames > 10"),
                             10000);
}

void GatewayPlayback::channelPlaysThroughTheGateway_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<LiveServer>("server");
    QTest::newRow("ASF with WMV 8 and WMA 2 over HTTP") << QByteArray("1") << LiveServer::None;
    QTest::newRow("MPEG-TS with MPEG-2 and MP2 over HTTP") << QByteArray("2") << LiveServer::None;
    QTest::newRow("MPEG-TS with H.264 and AAC from a server without CORS") << QByteArray("3") << LiveServer::None;
    QTest::newRow("RealMedia with RealVideo 2 and AC-3 over HTTP, Real page") << QByteArray("10") << LiveServer::None;
    QTest::newRow("MPEG-TS with HEVC and AAC over HTTP") << QByteArray("11") << LiveServer::None;
    QTest::newRow("RTMP live stream, Windows Media page") << QByteArray("4") << LiveServer::FfmpegRtmp;
    QTest::newRow("RTMP live stream, Real page") << QByteArray("5") << LiveServer::FfmpegRtmp;
    QTest::newRow("RTSP live stream from VLC, Real page") << QByteArray("12") << LiveServer::VlcRtsp;
    QTest::newRow("mms:// live stream from VLC (MMS over HTTP)") << QByteArray("13") << LiveServer::VlcMmsh;
    QTest::newRow("mmsh:// live stream from VLC") << QByteArray("14") << LiveServer::VlcMmsh;
}

void GatewayPlayback::channelPlaysThroughTheGateway()
{
    QFETCH(QByteArray, id);
    QFETCH(LiveServer, server);
    StartServer(server);
    if (QTest::currentTestFailed())
        return;
    QSignalSpy alerts(page_, &PlayerPage::AlertShown);
    QElapsedTimer clock;
    clock.start();
    Play(id.constData());
    QVERIFY2(WaitForJavaScript(*page_,
                               QStringLiteral("zentavoMediaWatch.media && zentavoMediaWatch.media.videoWidth > 0"),
                               kPlayTimeoutMs),
             qPrintable(MediaState()));
    const qint64 firstPicture = clock.elapsed();
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY2(ShowsPictures(), qPrintable(MediaState()));
    qInfo("%s: a picture %lld ms after the page was asked for", QTest::currentDataTag(), firstPicture);
    QCOMPARE(alerts.count(), 0);
}

void GatewayPlayback::serverThatNeverAnswersIsToldWithinFifteenSeconds()
{
    QElapsedTimer clock;
    clock.start();
    Play("6");
    QTRY_VERIFY_WITH_TIMEOUT(MediaState().contains(QLatin1String("Cannot play")), test::Limit(20000));
    QVERIFY2(clock.elapsed() < 17500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(MediaState().contains(QLatin1String("15 seconds")), qPrintable(MediaState()));
    QTRY_COMPARE_WITH_TIMEOUT(GatewayThreads(), 0, test::Limit(5000));
}

void GatewayPlayback::refusedMmsIsToldInWords()
{
    Play("7");
    QTRY_VERIFY_WITH_TIMEOUT(MediaState().contains(QLatin1String("Cannot play: the server refused the connection.")),
                             test::Limit(15000));
}

void GatewayPlayback::realChannelThatCannotConnectBringsItsAlert()
{
    QSignalSpy alerts(page_, &PlayerPage::AlertShown);
    Play("8");
    QTRY_COMPARE_WITH_TIMEOUT(alerts.count(), 1, test::Limit(15000));
    QCOMPARE(alerts.at(0).at(0).toString(), QString::fromLatin1(kRealNotAvailable));
    QCOMPARE(RunJavaScript(*page_, QStringLiteral("document.RPOCX.GetLastErrorRMACode()")).toInt(), -2147221428);
    QVERIFY(MediaState().contains(QLatin1String("refused")));
}

void GatewayPlayback::pauseEndsTheSessionAndPlayStartsAnother()
{
    StartRtmpServer();
    Play("4");
    QVERIFY(WaitUntilPlaying(*page_, kPlayTimeoutMs).isEmpty());
    QVERIFY(GatewayThreads() > 0);
    QCOMPARE(SocketsTo(rtmpPort_), 1);
    RunJavaScript(*page_, QStringLiteral("document.NSPlay.Pause(); true"));
    QTRY_COMPARE_WITH_TIMEOUT(GatewayThreads(), 0, test::Limit(5000));
    QTRY_COMPARE_WITH_TIMEOUT(SocketsTo(rtmpPort_), 0, test::Limit(5000));
    QTRY_COMPARE_WITH_TIMEOUT(rtmp_->state(), QProcess::NotRunning, test::Limit(10000)); // the server saw its client go
    QTRY_VERIFY_WITH_TIMEOUT(MediaState().contains(QLatin1String("Paused")), test::Limit(5000));
    StartRtmpServer();
    RunJavaScript(*page_, QStringLiteral("zentavoMediaWatch.firstPlaying = 0; document.NSPlay.Play(); true"));
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(SocketsTo(rtmpPort_), 1);
}

void GatewayPlayback::newChannelEndsTheSession()
{
    StartRtmpServer();
    Play("4");
    QVERIFY(WaitUntilPlaying(*page_, kPlayTimeoutMs).isEmpty());
    QVERIFY(GatewayThreads() > 0);
    RunJavaScript(*page_, QStringLiteral("zentavoMediaWatch.firstPlaying = 0; true"));
    Play("9");
    QTRY_COMPARE_WITH_TIMEOUT(GatewayThreads(), 0, test::Limit(5000));
    QTRY_COMPARE_WITH_TIMEOUT(SocketsTo(rtmpPort_), 0, test::Limit(5000));
    QVERIFY(WaitUntilPlaying(*page_, kPlayTimeoutMs).isEmpty());
}

void GatewayPlayback::liveStreamThatBreaksOffIsOpenedAgain()
{
    StartRtmpServer();
    Play("4");
    QVERIFY(WaitUntilPlaying(*page_, kPlayTimeoutMs).isEmpty());
    // Remember every text the status bar shows from now on.
    RunJavaScript(*page_,
                  QStringLiteral("window.statusTexts = []; var bar = document.querySelector('.zentavo-status');"
                                 "new MutationObserver(function () { statusTexts.push(bar.textContent); })"
                                 ".observe(bar, {childList: true, characterData: true, subtree: true});"
                                 "zentavoMediaWatch.firstPlaying = 0; true"));
    StartRtmpServer(); // the server goes away, and a new one takes its place
    QTRY_VERIFY_WITH_TIMEOUT(
        RunJavaScript(*page_, QStringLiteral("statusTexts.indexOf('Reconnecting ...') >= 0")).toBool(),
        test::Limit(15000));
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(ShowsPictures());
    QCOMPARE(SocketsTo(rtmpPort_), 1);
    // A server that stays away: three tries, then the failure in words.
    rtmp_->kill();
    rtmp_->waitForFinished(5000);
    QTRY_VERIFY_WITH_TIMEOUT(MediaState().contains(QLatin1String("Cannot play")), test::Limit(30000));
    QVERIFY2(MediaState().contains(QLatin1String("refused")), qPrintable(MediaState()));
}

int main(int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes(); // before the application exists
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    GatewayPlayback test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_gateway_playback.moc"
