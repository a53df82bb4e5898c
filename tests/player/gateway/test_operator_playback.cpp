// Operator channels end to end: ffmpeg sends the test channel (H.264 + AAC in MPEG-TS) to
// udp://127.0.0.1, in RTP, or as an SRT server on 127.0.0.1, and the player's page plays it through
// the gateway with the real web engine: it shows pictures and its time advances. A udp channel on
// which nothing comes ends in the silence failure in words, and leaving a channel frees its port.
// Only ever 127.0.0.1: never a multicast group.

#include "player/gateway/gateway_session.h"
#include "player/player_page.h"
#include "player/player_profile.h"
#include "tests/support/page_script.h"
#include "tests/support/player_page_fixture.h"
#include "tests/support/stream_servers.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_media.h"
#include "tests/support/waits.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zentavo;
using namespace zentavo::test;

namespace {

constexpr int kPlayTimeoutMs = 40000;

int GatewayThreads()
{
    return ThreadsNamed(GatewaySession::kThreadName);
}

} // namespace

Q_DECLARE_METATYPE(OperatorProtocol)

class OperatorPlayback : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void operatorChannelPlays_data();
    void operatorChannelPlays();
    void udpChannelOnWhichNothingComesIsToldInWords();
    void leavingAUdpChannelFreesItsPort();

private:
    void StartSender(OperatorProtocol protocol, quint16 port);
    bool ShowsPictures();

    QTemporaryDir media_;
    std::unique_ptr<SharedFolder> shared_;
    QString channelFile_;
    quint16 udpPort_ = 0;
    quint16 groupFormPort_ = 0;
    quint16 rtpPort_ = 0;
    quint16 srtPort_ = 0;
    quint16 silentPort_ = 0;
    std::unique_ptr<ServerProcess> sender_;
    std::unique_ptr<PlayerPageFixture> pages_;
    PlayerPage* page_ = nullptr;
};

void OperatorPlayback::initTestCase()
{
    QVERIFY(media_.isValid());
    TestMedia::Generate(media_.path());
    shared_ = std::make_unique<SharedFolder>();
    channelFile_ = shared_->Add(QDir(media_.path()).filePath(QLatin1String(TestMedia::kMpegTs)));
    // RTP takes its port and the next for RTCP; the ports are apart so that no two meet.
    udpPort_ = FreeLocalPort();
    groupFormPort_ = FreeLocalPort();
    rtpPort_ = FreeLocalPort();
    srtPort_ = FreeLocalPort();
    silentPort_ = FreeLocalPort();
    const QList<TestChannel> channels = {
        {"1", 0, QStringLiteral("udp://127.0.0.1:%1").arg(udpPort_)},
        // The group form of operators' lists, with the one address a test may receive on.
        {"2", 1, QStringLiteral("udp://@127.0.0.1:%1").arg(groupFormPort_)},
        {"3", 0, QStringLiteral("rtp://@127.0.0.1:%1").arg(rtpPort_)},
        {"4", 0, QStringLiteral("srt://127.0.0.1:%1?latency=200").arg(srtPort_)},
        {"5", 0, QStringLiteral("udp://@127.0.0.1:%1").arg(silentPort_)},
        // Options that FFmpeg would take from the query are left out, not obeyed.
        {"6", 0, QStringLiteral("udp://@127.0.0.1:%1?fifo_size=1&buffer_size=1&localport=1&reuse=0").arg(udpPort_)},
    };
    pages_ = std::make_unique<PlayerPageFixture>(WriteTestCatalogue(media_.path(), channels));
}

void OperatorPlayback::init()
{
    page_ = &pages_->Open();
}

void OperatorPlayback::cleanup()
{
    pages_->Close();
    page_ = nullptr;
    QTRY_COMPARE_WITH_TIMEOUT(GatewayThreads(), 0, test::Limit(10000));
    sender_.reset();
}

void OperatorPlayback::StartSender(OperatorProtocol protocol, quint16 port)
{
    try {
        sender_ = StartOperatorSender(protocol, channelFile_, port);
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
}

// The media element has a picture size and has decoded pictures, not only sound.
bool OperatorPlayback::ShowsPictures()
{
    return WaitForJavaScript(*page_,
                             QStringLiteral("zentavoMediaWatch.media && zentavoMediaWatch.media.videoWidth > 0 && "
                                            "zentavoMediaWatch.media.getVideoPlaybackQuality().totalVideoFrames > 10"),
                             test::Limit(10000));
}

void OperatorPlayback::operatorChannelPlays_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<OperatorProtocol>("protocol");
    QTest::addColumn<int>("port");
    QTest::newRow("MPEG-TS over UDP") << QByteArray("1") << OperatorProtocol::Udp << int(udpPort_);
    QTest::newRow("MPEG-TS over UDP, group form with @, Real page")
        << QByteArray("2") << OperatorProtocol::Udp << int(groupFormPort_);
    QTest::newRow("MPEG-TS in RTP, group form with @") << QByteArray("3") << OperatorProtocol::Rtp << int(rtpPort_);
    QTest::newRow("SRT, the player calling") << QByteArray("4") << OperatorProtocol::Srt << int(srtPort_);
    QTest::newRow("UDP with options in its query") << QByteArray("6") << OperatorProtocol::Udp << int(udpPort_);
}

void OperatorPlayback::operatorChannelPlays()
{
    QFETCH(QByteArray, id);
    QFETCH(OperatorProtocol, protocol);
    QFETCH(int, port);
    StartSender(protocol, static_cast<quint16>(port));
    if (QTest::currentTestFailed())
        return;
    QSignalSpy alerts(page_, &PlayerPage::AlertShown);
    QElapsedTimer clock;
    clock.start();
    pages_->Play(id.constData());
    QVERIFY2(WaitForJavaScript(*page_,
                               QStringLiteral("zentavoMediaWatch.media && zentavoMediaWatch.media.videoWidth > 0"),
                               test::Limit(kPlayTimeoutMs)),
             qPrintable(PlayerPageTexts(*page_)));
    const qint64 firstPicture = clock.elapsed();
    const QString failure = WaitUntilPlaying(*page_, test::Limit(kPlayTimeoutMs));
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY2(ShowsPictures(), qPrintable(PlayerPageTexts(*page_)));
    qInfo("%s: a picture %lld ms after the page was asked for", QTest::currentDataTag(), firstPicture);
    QCOMPARE(alerts.count(), 0);
}

void OperatorPlayback::udpChannelOnWhichNothingComesIsToldInWords()
{
    QElapsedTimer clock;
    clock.start();
    pages_->Play("5");
    QTRY_VERIFY_WITH_TIMEOUT(PlayerPageTexts(*page_).contains(QLatin1String("Cannot play")), test::Limit(20000));
    QVERIFY2(clock.elapsed() >= 14000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(PlayerPageTexts(*page_).contains(QLatin1String("no data has come from the stream for 15 seconds")),
             qPrintable(PlayerPageTexts(*page_)));
    QTRY_COMPARE_WITH_TIMEOUT(GatewayThreads(), 0, test::Limit(5000));
    QVERIFY(!UdpBound(silentPort_));
}

// The next play of the same channel (or any other program) must be able to receive on the port.
void OperatorPlayback::leavingAUdpChannelFreesItsPort()
{
    StartSender(OperatorProtocol::Udp, udpPort_);
    if (QTest::currentTestFailed())
        return;
    pages_->Play("1");
    QVERIFY(WaitUntilPlaying(*page_, test::Limit(kPlayTimeoutMs)).isEmpty());
    QVERIFY(UdpBound(udpPort_));
    pages_->Close();
    QTRY_COMPARE_WITH_TIMEOUT(GatewayThreads(), 0, test::Limit(5000));
    QVERIFY(!UdpBound(udpPort_));
    page_ = &pages_->Open();
    pages_->Play("1");
    const QString failure = WaitUntilPlaying(*page_, test::Limit(kPlayTimeoutMs));
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

int main(int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes(); // before the application exists
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    OperatorPlayback test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_operator_playback.moc"
