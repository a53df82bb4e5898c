// End to end: a channel whose server refuses every request without the user agent, referrer,
// cookie and token header that the channel's playlist names plays on every path a page's stream
// can take (the media element, hls.js, mpegts.js, dash.js, the host's relay and address probe, the
// media gateway), because the player sends the channel's headers on each request. The server on
// 127.0.0.1 answers 403 to any request that lacks one of them.

#include "player/player_page.h"
#include "player/player_profile.h"
#include "tests/support/media_server.h"
#include "tests/support/page_script.h"
#include "tests/support/player_page_fixture.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_media.h"
#include "tests/support/waits.h"
#include "text/request_headers.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zentavo;
using namespace zentavo::test;

namespace {

constexpr int kPlayTimeoutMs = 30000;
constexpr char kUserAgent[] = "ZentavoTest/1.0 (headers; X11) like VLC";
constexpr char kReferer[] = "https://referrer.example/watch?v=1&list=2";
constexpr char kCookie[] = "session=abc123; region=eu";
constexpr char kToken[] = "token-42";

} // namespace

class ChannelHeadersEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void channelPlaysOnlyWithItsHeaders_data();
    void channelPlaysOnlyWithItsHeaders();
    void channelWithoutTheHeadersIsRefused();
    void headersOfOnePlayStayWithItsPage();

private:
    QTemporaryDir media_;
    std::unique_ptr<MediaServer> server_;
    std::unique_ptr<PlayerPageFixture> pages_;
    PlayerPage* page_ = nullptr;
};

void ChannelHeadersEndToEnd::initTestCase()
{
    QVERIFY(media_.isValid());
    TestMedia::Generate(media_.path());
    server_ = std::make_unique<MediaServer>(media_.path());
    server_->RequireHeader("User-Agent", kUserAgent);
    server_->RequireHeader("Referer", kReferer);
    server_->RequireHeader("Cookie", kCookie);
    server_->RequireHeader("X-Channel-Token", kToken);
    const auto url = [this](const char* path) { return server_->Url(QLatin1String(path)).toString(); };
    WriteTextFile(media_.path(), QStringLiteral("radio.pls"),
                  QStringLiteral("[playlist]\nNumberOfEntries=1\nFile1=%1\nTitle1=Radio\n").arg(url(TestMedia::kMp3)));

    const QString headers = QString::fromStdString(EncodedRequestHeaders(
        {{"User-Agent", kUserAgent}, {"Referer", kReferer}, {"Cookie", kCookie}, {"X-Channel-Token", kToken}}));
    pages_ = std::make_unique<PlayerPageFixture>(WriteTestCatalogue(media_.path(),
                                                                    {
                                                                        {"1", 0, url(TestMedia::kMp4), headers},
                                                                        {"2", 0, url(TestMedia::kMpegTs), headers},
                                                                        {"3", 0, url(TestMedia::kHls), headers},
                                                                        {"4", 0, url(TestMedia::kDash), headers},
                                                                        {"5", 0, url("radio.pls"), headers},
                                                                        {"6", 0, url(TestMedia::kWmv), headers},
                                                                        {"7", 1, url(TestMedia::kMp3), headers},
                                                                        {"8", 0, url(TestMedia::kMp4)},
                                                                    }));
}

void ChannelHeadersEndToEnd::init()
{
    page_ = &pages_->Open();
}

void ChannelHeadersEndToEnd::cleanup()
{
    pages_->Close();
    page_ = nullptr;
    server_->SetCorsAllowed(true);
    server_->ResetCounts();
}

void ChannelHeadersEndToEnd::channelPlaysOnlyWithItsHeaders_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<bool>("cors");
    QTest::addColumn<QString>("counted"); // a path whose requests must have reached the server
    QTest::newRow("MP4 on the media element") << QByteArray("1") << true << QString::fromLatin1(TestMedia::kMp4);
    QTest::newRow("MPEG-TS through mpegts.js") << QByteArray("2") << true << QString::fromLatin1(TestMedia::kMpegTs);
    QTest::newRow("HLS list and segments through hls.js")
        << QByteArray("3") << true << QStringLiteral("hls/segment000.ts");
    QTest::newRow("HLS through the host's relay (no CORS)")
        << QByteArray("3") << false << QStringLiteral("hls/segment000.ts");
    QTest::newRow("DASH through dash.js") << QByteArray("4") << true << QString::fromLatin1(TestMedia::kDash);
    QTest::newRow("PLS read by the address probe") << QByteArray("5") << true << QStringLiteral("radio.pls");
    QTest::newRow("Windows Media through the gateway")
        << QByteArray("6") << true << QString::fromLatin1(TestMedia::kWmv);
    QTest::newRow("MP3 on the Real page") << QByteArray("7") << true << QString::fromLatin1(TestMedia::kMp3);
}

void ChannelHeadersEndToEnd::channelPlaysOnlyWithItsHeaders()
{
    QFETCH(QByteArray, id);
    QFETCH(bool, cors);
    QFETCH(QString, counted);
    server_->SetCorsAllowed(cors);
    pages_->Play(id.constData());
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure + QStringLiteral("; last refused: ") + server_->LastRefusedPath()));
    QVERIFY(server_->RequestCount(counted) >= 1);
    QVERIFY2(server_->RefusedForHeaders() == 0, qPrintable(server_->LastRefusedPath()));
}

void ChannelHeadersEndToEnd::channelWithoutTheHeadersIsRefused()
{
    // The same server and file for a channel whose playlist names no headers: the server refuses it,
    // so the plays above owe their pictures to the headers.
    pages_->Play("8");
    QTRY_VERIFY_WITH_TIMEOUT(PlayerPageTexts(*page_).startsWith(QLatin1String("Cannot play")),
                             test::Limit(kPlayTimeoutMs));
    QVERIFY(server_->RefusedForHeaders() >= 1);
}

void ChannelHeadersEndToEnd::headersOfOnePlayStayWithItsPage()
{
    // A channel without headers played after one with them sends none: the headers belong to the
    // page of their play, not to the profile.
    pages_->Play("1");
    QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    pages_->Play("8");
    QTRY_VERIFY_WITH_TIMEOUT(PlayerPageTexts(*page_).startsWith(QLatin1String("Cannot play")),
                             test::Limit(kPlayTimeoutMs));
    server_->ResetCounts();
    pages_->Play("1");
    failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(server_->RefusedForHeaders(), 0);
}

int main(int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes(); // before the application exists
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ChannelHeadersEndToEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_channel_headers_e2e.moc"
