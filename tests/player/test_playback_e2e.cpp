// End to end: a channel of the catalogue, played as the player plays it (PreparePlay, the page file,
// the player profile and page), with the real web engine against media served on 127.0.0.1.
// "Plays" means a media element of the page reports `playing` and its time then advances.

#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"
#include "player/page_generation.h"
#include "player/player_page.h"
#include "player/player_profile.h"
#include "player/scratch_folder.h"
#include "tests/support/media_server.h"
#include "tests/support/page_script.h"
#include "tests/support/player_page_fixture.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_media.h"
#include "tests/support/waits.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <memory>

using namespace zentavo;
using namespace zentavo::test;

namespace {

constexpr int kPlayTimeoutMs = 30000;
const char* const kRealNotAvailable = "Sorry, this channel is not available at the moment.";
const char* const kRealTryLater = "Sorry, this channel is not available at the moment. Please try later.";

} // namespace

class PlaybackEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowsMediaChannelPlays_data();
    void windowsMediaChannelPlays();
    void realChannelPlays_data();
    void realChannelPlays();
    void realChannelThatCannotPlayBringsItsAlert_data();
    void realChannelThatCannotPlayBringsItsAlert();
    void windowsMediaStatusBarSaysWhatHappens_data();
    void windowsMediaStatusBarSaysWhatHappens();
    void stalledStreamIsReportedAfterFifteenSeconds();
    void hiddenButtonsDriveVolumeMuteAndFullScreen();
    void realHiddenButtonsDriveVolumeMuteAndFullScreen();
    void videoSizeChoiceSetsThePictureSize_data();
    void videoSizeChoiceSetsThePictureSize();
    void hlsFromServerWithoutCorsPlaysThroughTheHost();
    void dashFromServerWithoutCorsPlaysThroughTheHost();
    void webcamChannelShowsPictureAndRefreshFetchesItAgain();
    void webcamFailureIsShownInWordsAndRefreshGoesOn_data();
    void webcamFailureIsShownInWordsAndRefreshGoesOn();
    void libraryIsLoadedOnlyWhenTheAddressNeedsIt();
    void libraryIsAskedForWhenThePageNamesItsAddress_data();
    void libraryIsAskedForWhenThePageNamesItsAddress();
    void windowsMediaPageQueryWinsOverTheFilledAddress();
    void hlsPlaysOnAcrossDiscontinuities();
    void leftPageReleasesItsStream_data();
    void leftPageReleasesItsStream();

private:
    void Play(const char* id, bool originalSize = true);
    QString MediaState();
    QString StatusBar();

    QTemporaryDir media_;
    std::unique_ptr<MediaServer> server_;
    std::unique_ptr<test::PlayerPageFixture> pages_;
    PlayerProfile* profile_ = nullptr;
    PlayerPage* page_ = nullptr;
};

void PlaybackEndToEnd::initTestCase()
{
    QVERIFY(media_.isValid());
    TestMedia::Generate(media_.path());
    server_ = std::make_unique<MediaServer>(media_.path());
    const auto url = [this](const char* path) { return server_->Url(QLatin1String(path)).toString(); };

    WriteTextFile(media_.path(), QStringLiteral("radio.ram"),
                  QStringLiteral("rtsp://127.0.0.1:1/live.rm\r\n%1\r\n").arg(url(TestMedia::kMp3)));
    WriteTextFile(media_.path(), QStringLiteral("tv.ram"), url(TestMedia::kHls) + QStringLiteral("\n"));
    // Three 2-second segments, each starting its clock again, marked as discontinuities (adverts
    // put in, an encoder restarted).
    try {
        RunFfmpeg(media_.path(),
                  {QStringLiteral("-i"), QLatin1String(TestMedia::kMpegTs), QStringLiteral("-t"), QStringLiteral("2"),
                   QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-f"), QStringLiteral("mpegts"),
                   QStringLiteral("short.ts")});
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
    WriteTextFile(media_.path(), QStringLiteral("discontinuity.m3u8"),
                  QStringLiteral("#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:2\n#EXTINF:2.0,\nshort.ts\n"
                                 "#EXT-X-DISCONTINUITY\n#EXTINF:2.0,\nshort.ts\n#EXT-X-DISCONTINUITY\n"
                                 "#EXTINF:2.0,\nshort.ts\n#EXT-X-ENDLIST\n"));
    WriteTextFile(
        media_.path(), QStringLiteral("tv.asx"),
        QStringLiteral("<ASX version=\"3.0\"><Entry><Ref href=\"%1\"/></Entry></ASX>\r\n").arg(url(TestMedia::kMp4)));
    WriteTextFile(media_.path(), QStringLiteral("radio.pls"),
                  QStringLiteral("[playlist]\nNumberOfEntries=1\nFile1=%1\nTitle1=Radio\n").arg(url(TestMedia::kMp3)));
    WriteTextFile(media_.path(), QStringLiteral("tv.m3u"), QStringLiteral("#EXTM3U\n#EXTINF:-1,TV\nstream.ts\n"));
    server_->Stall(QStringLiteral("stalled.mp3"));

    // Hostile servers: each failure must say what happened.
    server_->Redirect(QStringLiteral("loop.mp3"), QStringLiteral("loop.mp3"));
    server_->AnswerStatus(QStringLiteral("long.mp3"), 414);
    server_->CloseAfter(QStringLiteral("closing.mp3"), 1000, MediaServer::Closing::BeforeAnswer);
    server_->CloseAfter(QStringLiteral("cut.mp3"), 1000, MediaServer::Closing::MidStream);
    WriteTextFile(media_.path(), QStringLiteral("self.m3u8"),
                  QStringLiteral("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=500000\nself.m3u8\n"));
    WriteTextFile(media_.path(), QStringLiteral("self.m3u"), QStringLiteral("#EXTM3U\n#EXTINF:-1,Me\nself.m3u\n"));
    // Large lists of channels, the playable entry last: over 256 KB, one of them in UTF-16.
    QString pls = QStringLiteral("[playlist]\n");
    for (int i = 0; i < 6000; ++i)
        pls += QStringLiteral("File%1=rtsp://127.0.0.1:1/a-long-path-to-channel/%1.rm\n").arg(i + 1);
    WriteTextFile(media_.path(), QStringLiteral("big.pls"),
                  pls + QStringLiteral("File9999=%1\n").arg(url(TestMedia::kMp3)));
    QVERIFY(QFileInfo(QDir(media_.path()).filePath(QStringLiteral("big.pls"))).size() > 256 * 1024);
    QString asx = QStringLiteral("<asx version=\"3.0\">\r\n");
    for (int i = 0; i < 4000; ++i)
        asx += QStringLiteral("<entry><title>K\u00e4nal %1</title><ref href=\"mms://127.0.0.1:1/k%1\"/></entry>\r\n")
                   .arg(i);
    asx += QStringLiteral("<entry><ref href=\"%1\"/></entry></asx>\r\n").arg(url(TestMedia::kMp4));
    QFile utf16(QDir(media_.path()).filePath(QStringLiteral("big.asx")));
    QVERIFY(utf16.open(QIODevice::WriteOnly));
    utf16.write("\xFF\xFE");
    utf16.write(reinterpret_cast<const char*>(asx.utf16()), asx.size() * 2); // UTF-16 LE on this machine
    utf16.close();
    QVERIFY(utf16.size() > 256 * 1024);
    // Webcams: a login page where the picture should be, and a server that never answers.
    WriteTextFile(media_.path(), QStringLiteral("login.jpg"), QStringLiteral("<html><body>Log in</body></html>\n"));
    server_->SetContentType(QStringLiteral("login.jpg"), "text/html");
    server_->Stall(QStringLiteral("stalled.jpg"));

    const QList<TestChannel> channels = {
        {"1", 0, url(TestMedia::kMp4)},
        {"2", 0, url(TestMedia::kMp3)},
        {"3", 0, url(TestMedia::kHls)},
        {"4", 0, url(TestMedia::kMpegTs)},
        {"5", 0, url(TestMedia::kDash)},
        {"6", 0, url("tv.asx")},
        {"7", 0, url("radio.pls")},
        {"8", 0, url("tv.m3u")},
        {"9", 0, url("missing.mp4")},
        {"10", 1, url("radio.ram")},
        {"11", 1, url("tv.ram")},
        {"12", 1, url(TestMedia::kHls)},
        {"13", 1, QStringLiteral("rtsp://127.0.0.1/live.rm")},
        {"14", 1, url("missing.mp3")},
        {"15", 1, MediaServer::RefusedUrl(QStringLiteral("live.mp3")).toString()},
        {"16", 1, url("stalled.mp3")},
        {"17", 1, QStringLiteral("mms://127.0.0.1/live")},
        {"18", 0, QStringLiteral("mms://127.0.0.1/live")},
        {"19", 0, MediaServer::RefusedUrl(QStringLiteral("live.mp3")).toString()},
        {"20", 2, url(TestMedia::kJpeg)},
        {"21", 1, url(TestMedia::kMp4)},
        {"22", 0, url(TestMedia::kWmv)},
        {"23", 0, url("loop.mp3")},
        {"24", 0, url("long.mp3")},
        {"25", 0, url("closing.mp3")},
        {"26", 0, url("cut.mp3")},
        {"27", 0, url("self.m3u8")},
        {"28", 0, url("self.m3u")},
        {"29", 0, url("big.pls")},
        {"30", 0, url("big.asx")},
        {"31", 2, url("login.jpg")},
        {"32", 2, url("stalled.jpg")},
        {"33", 1, url("loop.mp3")},
        {"34", 0, QStringLiteral("pnm://127.0.0.1/live")},
        {"35", 0, url("discontinuity.m3u8")},
    };
    pages_ = std::make_unique<test::PlayerPageFixture>(WriteTestCatalogue(media_.path(), channels));

    profile_ = &pages_->Profile();
}

void PlaybackEndToEnd::init()
{
    page_ = &pages_->Open();
}

void PlaybackEndToEnd::cleanup()
{
    pages_->Close();
    page_ = nullptr;
    server_->SetCorsAllowed(true);
    server_->ResetCounts();
}

void PlaybackEndToEnd::Play(const char* id, bool originalSize)
{
    pages_->Play(id, originalSize);
}

QString PlaybackEndToEnd::MediaState()
{
    return PlayerPageTexts(*page_);
}

QString PlaybackEndToEnd::StatusBar()
{
    return RunJavaScript(*page_, QStringLiteral("document.querySelector('.zentavo-status').textContent")).toString();
}

void PlaybackEndToEnd::windowsMediaChannelPlays_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::newRow("MP4 (H.264 + AAC)") << QByteArray("1");
    QTest::newRow("MP3") << QByteArray("2");
    QTest::newRow("HLS") << QByteArray("3");
    QTest::newRow("MPEG-TS over HTTP") << QByteArray("4");
    QTest::newRow("DASH") << QByteArray("5");
    QTest::newRow("ASX playlist naming an MP4") << QByteArray("6");
    QTest::newRow("PLS playlist naming an MP3") << QByteArray("7");
    QTest::newRow("M3U playlist naming a relative MPEG-TS") << QByteArray("8");
    QTest::newRow("PLS over 256 KB, the playable entry last") << QByteArray("29");
    QTest::newRow("ASX over 256 KB in UTF-16, the playable entry last") << QByteArray("30");
    QTest::newRow("Windows Media codecs, through the gateway") << QByteArray("22");
}

void PlaybackEndToEnd::windowsMediaChannelPlays()
{
    QFETCH(QByteArray, id);
    Play(id.constData());
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QTRY_COMPARE_WITH_TIMEOUT(StatusBar(), QStringLiteral("Playing"), test::Limit(5000));
}

void PlaybackEndToEnd::realChannelPlays_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::newRow(".ram naming an rtsp: stream, then an MP3") << QByteArray("10");
    QTest::newRow(".ram naming an HLS stream") << QByteArray("11");
    QTest::newRow("HLS address") << QByteArray("12");
}

void PlaybackEndToEnd::realChannelPlays()
{
    QFETCH(QByteArray, id);
    QSignalSpy alerts(page_, &PlayerPage::AlertShown);
    Play(id.constData());
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(alerts.count(), 0);
    QCOMPARE(RunJavaScript(*page_, QStringLiteral("document.RPOCX.GetLastErrorRMACode()")).toInt(), 0);
}

void PlaybackEndToEnd::realChannelThatCannotPlayBringsItsAlert_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("alert");
    QTest::newRow("rtsp: address where nothing listens")
        << QByteArray("13") << -2147221428 << QString::fromLatin1(kRealNotAvailable);
    QTest::newRow("mms: address where nothing listens")
        << QByteArray("17") << -2147221428 << QString::fromLatin1(kRealNotAvailable);
    QTest::newRow("404") << QByteArray("14") << -2147221496 << QString::fromLatin1(kRealNotAvailable);
    QTest::newRow("connection refused") << QByteArray("15") << -2147221428 << QString::fromLatin1(kRealNotAvailable);
    QTest::newRow("redirect loop") << QByteArray("33") << -2147221502 << QString::fromLatin1(kRealTryLater);
}

void PlaybackEndToEnd::realChannelThatCannotPlayBringsItsAlert()
{
    QFETCH(QByteArray, id);
    QFETCH(int, code);
    QFETCH(QString, alert);
    QSignalSpy alerts(page_, &PlayerPage::AlertShown);
    Play(id.constData());
    QTRY_COMPARE_WITH_TIMEOUT(alerts.count(), 1, test::Limit(20000));
    QCOMPARE(alerts.at(0).at(0).toString(), alert);
    QCOMPARE(RunJavaScript(*page_, QStringLiteral("document.RPOCX.GetLastErrorRMACode()")).toInt(), code);
    QVERIFY(MediaState().startsWith(QLatin1String("Cannot play")));
    // One alert per failure, never a stream of them.
    QVERIFY(test::StaysFor(std::chrono::milliseconds(2000), [&alerts] { return alerts.count() == 1; }));
}

void PlaybackEndToEnd::windowsMediaStatusBarSaysWhatHappens_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QString>("words");
    QTest::newRow("404") << QByteArray("9") << QStringLiteral("not found");
    QTest::newRow("mms: address where nothing listens") << QByteArray("18") << QStringLiteral("refused");
    QTest::newRow("a protocol nothing here opens") << QByteArray("34") << QStringLiteral("pnm: protocol");
    QTest::newRow("connection refused") << QByteArray("19") << QStringLiteral("refused");
    QTest::newRow("redirect loop") << QByteArray("23") << QStringLiteral("too many redirects");
    QTest::newRow("address refused as too long")
        << QByteArray("24") << QStringLiteral("refused the address as too long (HTTP 414)");
    QTest::newRow("closed a second after the request")
        << QByteArray("25") << QStringLiteral("the server closed the connection");
    QTest::newRow("closed a second into the stream")
        << QByteArray("26") << QStringLiteral("the server closed the connection");
    QTest::newRow("HLS playlist naming itself") << QByteArray("27") << QStringLiteral("the playlist refers to itself");
    QTest::newRow("M3U naming itself") << QByteArray("28") << QStringLiteral("the playlist refers to itself");
}

void PlaybackEndToEnd::windowsMediaStatusBarSaysWhatHappens()
{
    QFETCH(QByteArray, id);
    QFETCH(QString, words);
    Play(id.constData());
    QTRY_VERIFY_WITH_TIMEOUT(MediaState().contains(words), test::Limit(20000));
    const QString status = StatusBar();
    QVERIFY2(status.startsWith(QLatin1String("Cannot play")), qPrintable(status));
    QVERIFY(RunJavaScript(*page_, QStringLiteral("!document.querySelector('.zentavo-status').hidden")).toBool());
}

void PlaybackEndToEnd::stalledStreamIsReportedAfterFifteenSeconds()
{
    QSignalSpy alerts(page_, &PlayerPage::AlertShown);
    Play("16");
    QTRY_VERIFY_WITH_TIMEOUT(server_->RequestCount(QStringLiteral("stalled.mp3")) > 0, test::Limit(10000));
    // Still waiting: no data is no failure yet, for most of the 15 seconds.
    QVERIFY(test::StaysFor(std::chrono::milliseconds(10000), [&alerts] { return alerts.count() == 0; }));
    QTRY_COMPARE_WITH_TIMEOUT(alerts.count(), 1, test::Limit(15000));
    QCOMPARE(alerts.at(0).at(0).toString(), QString::fromLatin1(kRealTryLater));
    QVERIFY(MediaState().contains(QLatin1String("15 seconds")));
}

void PlaybackEndToEnd::hiddenButtonsDriveVolumeMuteAndFullScreen()
{
    QSignalSpy fullScreen(page_, &PlayerPage::FullScreenRequested);
    Play("1");
    QVERIFY(WaitUntilPlaying(*page_, kPlayTimeoutMs).isEmpty());
    const auto click = [this](const char* name, const QString& value = {}) {
        QString script = QStringLiteral("var b = document.getElementsByName('%1')[0];").arg(QLatin1String(name));
        if (!value.isNull())
            script += QStringLiteral("b.value = '%1';").arg(value);
        RunJavaScript(*page_, script + QStringLiteral("b.click(); true"));
    };
    const auto media = [this](const char* property) {
        return RunJavaScript(*page_, QStringLiteral("zentavoMediaWatch.media.") + QLatin1String(property));
    };
    click("HTML_Sound", QStringLiteral("-2000"));
    QVERIFY(qAbs(media("volume").toDouble() - 0.1) < 0.001);
    click("HTML_Sound", QStringLiteral("0"));
    QCOMPARE(media("volume").toDouble(), 1.0);
    click("HTML_SetONSound");
    click("HTML_SetONSound");
    QCOMPARE(media("muted").toBool(), true); // set, never toggled
    click("HTML_SetOFFSound");
    QCOMPARE(media("muted").toBool(), false);
    click("HTML_Full");
    QTRY_COMPARE_WITH_TIMEOUT(fullScreen.count(), 1, test::Limit(5000));
    QCOMPARE(fullScreen.at(0).at(0).toBool(), true);
    QCOMPARE(RunJavaScript(*page_, QStringLiteral("document.NSPlay.DisplaySize")).toInt(), 3);
    // The picture then covers the whole page, status bar included.
    QTRY_VERIFY_WITH_TIMEOUT(
        RunJavaScript(*page_,
                      QStringLiteral("var r = zentavoMediaWatch.media.getBoundingClientRect();"
                                     "innerWidth > 0 && r.width === innerWidth && r.height === innerHeight"))
            .toBool(),
        test::Limit(5000));
    RunJavaScript(*page_, QStringLiteral("zentavoPlayers.leaveFullScreen(); true"));
    QTRY_COMPARE_WITH_TIMEOUT(fullScreen.count(), 2, test::Limit(5000));
    QCOMPARE(fullScreen.at(1).at(0).toBool(), false);
}

void PlaybackEndToEnd::realHiddenButtonsDriveVolumeMuteAndFullScreen()
{
    QSignalSpy fullScreen(page_, &PlayerPage::FullScreenRequested);
    Play("21");
    QVERIFY(WaitUntilPlaying(*page_, kPlayTimeoutMs).isEmpty());
    RunJavaScript(
        *page_, QStringLiteral("var b = document.getElementsByName('HTML_Sound')[0]; b.value = '50'; b.click(); true"));
    QCOMPARE(RunJavaScript(*page_, QStringLiteral("zentavoMediaWatch.media.volume")).toDouble(), 0.5);
    RunJavaScript(*page_, QStringLiteral("document.getElementsByName('HTML_SetONSound')[0].click(); true"));
    QCOMPARE(RunJavaScript(*page_, QStringLiteral("zentavoMediaWatch.media.muted")).toBool(), true);
    RunJavaScript(*page_, QStringLiteral("document.getElementsByName('HTML_Full')[0].click(); true"));
    QTRY_COMPARE_WITH_TIMEOUT(fullScreen.count(), 1, test::Limit(5000));
    QCOMPARE(fullScreen.at(0).at(0).toBool(), true);
    // The page pauses and plays again after asking for full screen: the stream goes on.
    const QString failure = WaitUntilPlaying(*page_, 10000);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(RunJavaScript(*page_, QStringLiteral("zentavoMediaWatch.media.paused")).toBool(), false);
}

void PlaybackEndToEnd::videoSizeChoiceSetsThePictureSize_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<bool>("originalSize");
    QTest::addColumn<QString>("expected"); // the picture's size, as a script expression
    QTest::newRow("Windows Media, original size") << QByteArray("1") << true << QStringLiteral("'320x240'");
    QTest::newRow("Windows Media, fit to window (above the status bar)")
        << QByteArray("1") << false << QStringLiteral("innerWidth + 'x' + (innerHeight - 22)");
    QTest::newRow("Real, original size (centred)") << QByteArray("21") << true << QStringLiteral("'320x240'");
    QTest::newRow("Real, fit to window") << QByteArray("21") << false
                                         << QStringLiteral("innerWidth + 'x' + innerHeight");
}

void PlaybackEndToEnd::videoSizeChoiceSetsThePictureSize()
{
    QFETCH(QByteArray, id);
    QFETCH(bool, originalSize);
    QFETCH(QString, expected);
    Play(id.constData(), originalSize);
    QVERIFY(WaitUntilPlaying(*page_, kPlayTimeoutMs).isEmpty());
    const QString size = QStringLiteral("(function () { var r = zentavoMediaWatch.media.getBoundingClientRect();"
                                        " return Math.round(r.width) + 'x' + Math.round(r.height); })()");
    QTRY_COMPARE_WITH_TIMEOUT(RunJavaScript(*page_, size).toString(), RunJavaScript(*page_, expected).toString(),
                              test::Limit(5000));
}

void PlaybackEndToEnd::hlsFromServerWithoutCorsPlaysThroughTheHost()
{
    server_->SetCorsAllowed(false); // as many IPTV servers: no consent to cross-origin reads
    Play("3");
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(server_->RequestCount(QStringLiteral("hls/segment000.ts")) >= 1);
}

void PlaybackEndToEnd::dashFromServerWithoutCorsPlaysThroughTheHost()
{
    server_->SetCorsAllowed(false);
    Play("5");
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void PlaybackEndToEnd::webcamChannelShowsPictureAndRefreshFetchesItAgain()
{
    Play("20");
    QVERIFY(WaitForJavaScript(*page_,
                              QStringLiteral("document.images[0] && document.images[0].complete && "
                                             "document.images[0].naturalWidth === 320"),
                              20000));
    QCOMPARE(server_->RequestCount(QLatin1String(TestMedia::kJpeg)), 1);
    page_->RefreshPage();
    QTRY_COMPARE_WITH_TIMEOUT(server_->RequestCount(QLatin1String(TestMedia::kJpeg)), 2, test::Limit(20000));
    QVERIFY(WaitForJavaScript(*page_, QStringLiteral("document.images[0] && document.images[0].naturalWidth === 320"),
                              20000));
}

void PlaybackEndToEnd::webcamFailureIsShownInWordsAndRefreshGoesOn_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("words");
    QTest::newRow("a web page where the picture should be")
        << QByteArray("31") << "login.jpg"
        << "The picture could not be shown: the server sent a web page, not a picture.";
    QTest::newRow("a server that never answers")
        << QByteArray("32") << "stalled.jpg"
        << "The picture could not be shown: no answer from the camera's server.";
}

void PlaybackEndToEnd::webcamFailureIsShownInWordsAndRefreshGoesOn()
{
    QFETCH(QByteArray, id);
    QFETCH(QString, path);
    QFETCH(QString, words);
    const QString message = QStringLiteral(
        "(function () { var m = document.querySelector('.zentavo-snapshot-message');"
        " var shown = m && getComputedStyle(m).display !== 'none' && m.getBoundingClientRect().height > 0;"
        " return shown ? m.textContent : ''; })()");
    const QString brokenIconHidden = QStringLiteral("getComputedStyle(document.images[0]).visibility === 'hidden'");
    Play(id.constData());
    QTRY_COMPARE_WITH_TIMEOUT(RunJavaScript(*page_, message).toString(), words, test::Limit(20000));
    QVERIFY(RunJavaScript(*page_, brokenIconHidden).toBool());
    // The page is still the snapshot page as described: one image in a table, no player object.
    QCOMPARE(RunJavaScript(*page_,
                           QStringLiteral("document.querySelectorAll('table img').length + "
                                          "document.querySelectorAll('object').length"))
                 .toInt(),
             1);
    // The refresh reloads it, fetching the picture again, and the words come back.
    const int requests = server_->RequestCount(path);
    page_->RefreshPage();
    QTRY_VERIFY_WITH_TIMEOUT(server_->RequestCount(path) > requests, test::Limit(20000));
    QTRY_COMPARE_WITH_TIMEOUT(RunJavaScript(*page_, message).toString(), words, test::Limit(20000));
}

void PlaybackEndToEnd::libraryIsLoadedOnlyWhenTheAddressNeedsIt()
{
    Play("1");
    QVERIFY(WaitUntilPlaying(*page_, kPlayTimeoutMs).isEmpty());
    QCOMPARE(RunJavaScript(*page_, QStringLiteral("typeof Hls + typeof mpegts + typeof dashjs")).toString(),
             QStringLiteral("undefinedundefinedundefined"));
    Play("3");
    QVERIFY(WaitUntilPlaying(*page_, kPlayTimeoutMs).isEmpty());
    QCOMPARE(RunJavaScript(*page_, QStringLiteral("typeof Hls + typeof mpegts + typeof dashjs")).toString(),
             QStringLiteral("functionundefinedundefined"));
}

void PlaybackEndToEnd::libraryIsAskedForWhenThePageNamesItsAddress_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QString>("path");
    QTest::newRow("Windows Media page, HLS") << QByteArray("3") << QString::fromLatin1(TestMedia::kHls);
    QTest::newRow("Windows Media page, MPEG-TS") << QByteArray("4") << QString::fromLatin1(TestMedia::kMpegTs);
    QTest::newRow("Real page, HLS") << QByteArray("12") << QString::fromLatin1(TestMedia::kHls);
}

void PlaybackEndToEnd::libraryIsAskedForWhenThePageNamesItsAddress()
{
    QFETCH(QByteArray, id);
    QFETCH(QString, path);
    // The library loads while the rest of the page is parsed: it is asked for from the head, where
    // the page names its address, before the parser reaches the player object. A watcher of the
    // document that runs before the player objects' own notes whether it was asked for when the
    // object first came into sight.
    QWebEngineScript watcher;
    watcher.setName(QStringLiteral("object-sight"));
    watcher.setInjectionPoint(QWebEngineScript::DocumentCreation);
    watcher.setWorldId(QWebEngineScript::MainWorld);
    watcher.setSourceCode(QStringLiteral(
        "new MutationObserver(function () {"
        "  if (window.askedBeforeObject === undefined && document.querySelector('object'))"
        "    window.askedBeforeObject = performance.getEntriesByName('zentavo-library-asked').length > 0;"
        "}).observe(document, {childList: true, subtree: true});"));
    const QList<QWebEngineScript> objects = profile_->scripts()->find(QStringLiteral("zentavo-player-objects"));
    QVERIFY(!objects.isEmpty());
    for (const QWebEngineScript& script : objects)
        profile_->scripts()->remove(script);
    profile_->scripts()->insert(watcher);
    profile_->scripts()->insert(objects);
    Play(id.constData());
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    profile_->scripts()->remove(watcher);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(RunJavaScript(*page_, QStringLiteral("window.askedBeforeObject")), QVariant(true));
    // The page's own variable still holds the address it named.
    QCOMPARE(RunJavaScript(*page_, QStringLiteral("srcc")).toString(), server_->Url(path).toString());
}

void PlaybackEndToEnd::windowsMediaPageQueryWinsOverTheFilledAddress()
{
    // The page of channel 9 is filled with an address that answers 404; the text behind "?" in the
    // page's own address is what the Windows Media page plays.
    const ChannelPlay prepared = pages_->Prepare("9");
    QUrl address = profile_->UrlForFile(QString::fromStdString(prepared.page.string()), prepared.reach);
    address.setQuery(server_->Url(QLatin1String(TestMedia::kMp3)).toString(QUrl::FullyEncoded));
    page_->load(address);
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(RunJavaScript(*page_, QStringLiteral("srcc")).toString(),
             server_->Url(QLatin1String(TestMedia::kMp3)).toString());
}

void PlaybackEndToEnd::hlsPlaysOnAcrossDiscontinuities()
{
    Play("35");
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    // Past both places where the clock starts again, and still playing.
    QVERIFY2(WaitForJavaScript(*page_, QStringLiteral("zentavoMediaWatch.media.currentTime > 4.5"), 20000),
             qPrintable(MediaState()));
    QVERIFY2(!MediaState().startsWith(QLatin1String("Cannot play")), qPrintable(MediaState()));
}

void PlaybackEndToEnd::leftPageReleasesItsStream_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::newRow("native MP4") << QByteArray("1");
    QTest::newRow("HLS through its library") << QByteArray("3");
    QTest::newRow("MPEG-TS through its library") << QByteArray("4");
    QTest::newRow("Real object, MP3") << QByteArray("10");
}

// The page being left (pagehide) lets go of its media at once, whatever played it.
void PlaybackEndToEnd::leftPageReleasesItsStream()
{
    QFETCH(QByteArray, id);
    Play(id.constData());
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    RunJavaScript(*page_, QStringLiteral("window.dispatchEvent(new PageTransitionEvent('pagehide'))"));
    QVERIFY2(WaitForJavaScript(
                 *page_,
                 QStringLiteral("zentavoMediaWatch.media.networkState === "
                                "HTMLMediaElement.NETWORK_EMPTY && !zentavoMediaWatch.media.hasAttribute('src')"),
                 5000),
             qPrintable(RunJavaScript(*page_,
                                      QStringLiteral("zentavoMediaWatch.media.networkState + ' ' + "
                                                     "zentavoMediaWatch.media.getAttribute('src')"))
                            .toString()));
}

int main(int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes(); // before the application exists
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    PlaybackEndToEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_playback_e2e.moc"
