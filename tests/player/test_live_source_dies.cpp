// A live stream whose source dies while its server goes on serving what is left: an HLS playlist or
// a DASH manifest that no longer moves on (ffmpeg writing them is killed, its last segments stay on
// the server), or an MPEG-TS stream whose connection stays open with nothing more on it. The page
// must take it for a broken stream: "Reconnecting ...", the tries of opening it again, then the
// failure in words; never "Playing" again from the segments that are left.

#include "player/player_page.h"
#include "player/player_profile.h"
#include "tests/support/media_server.h"
#include "tests/support/page_script.h"
#include "tests/support/player_page_fixture.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_media.h"
#include "tests/support/waits.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <memory>

using namespace zentavo;
using namespace zentavo::test;

namespace {

constexpr int kPlayTimeoutMs = 40000;
constexpr int kSourceTimeoutMs = 30000;
// A list that stops moving on is told after 10 s (three 1 s segments, at least 10 s), then three
// tries after 1, 2 and 4 s; the rest is room for a busy machine.
constexpr int kListFailureTimeoutMs = 60000;
// A silent connection is told after 15 s without data, and so is each of the three tries.
constexpr int kSilenceFailureTimeoutMs = 150000;

const char* const kHlsList = "live/hls/index.m3u8";
const char* const kDashList = "live/dash/live.mpd";

} // namespace

class LiveSourceDies : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listThatStopsMovingOnEndsInWords_data();
    void listThatStopsMovingOnEndsInWords();
    void silentConnectionEndsInWords();

private:
    // Starts ffmpeg writing a live list of 1 s segments (three of them) from the test stream.
    void StartSource(const QString& format);
    void Play(const char* id);
    // From now on the page remembers every text its status shows (statusTexts).
    void RecordStatusTexts();
    bool StatusShowed(const QString& text);
    // Whether the status said "Playing" after it first said "Reconnecting ...".
    bool PlayedAfterReconnecting();

    QTemporaryDir media_;
    std::unique_ptr<MediaServer> server_;
    std::unique_ptr<QProcess> source_;
    std::unique_ptr<test::PlayerPageFixture> pages_;
    PlayerProfile* profile_ = nullptr;
    PlayerPage* page_ = nullptr;
};

void LiveSourceDies::initTestCase()
{
    QVERIFY(media_.isValid());
    try {
        TestMedia::Generate(media_.path());
        server_ = std::make_unique<MediaServer>(media_.path());
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
    pages_ = std::make_unique<test::PlayerPageFixture>(
        WriteTestCatalogue(media_.path(),
                           {{"1", 0, server_->Url(QLatin1String(kHlsList)).toString()},
                            {"2", 0, server_->Url(QLatin1String(kDashList)).toString()},
                            {"3", 0, server_->Url(QLatin1String(TestMedia::kMpegTs)).toString()}}));
    profile_ = &pages_->Profile();
}

void LiveSourceDies::init()
{
    page_ = &pages_->Open();
}

void LiveSourceDies::cleanup()
{
    pages_->Close();
    page_ = nullptr;
    if (source_) {
        source_->kill();
        source_->waitForFinished(10000);
        source_.reset();
    }
}

void LiveSourceDies::StartSource(const QString& format)
{
    QDir live(QDir(media_.path()).filePath(QStringLiteral("live")));
    live.removeRecursively();
    QVERIFY(live.mkpath(format));
    const QStringList input = {
        QStringLiteral("-hide_banner"),
        QStringLiteral("-loglevel"),
        QStringLiteral("error"),
        QStringLiteral("-re"),
        QStringLiteral("-stream_loop"),
        QStringLiteral("-1"),
        QStringLiteral("-i"),
        QDir(media_.path())
            .filePath(QLatin1String(format == QLatin1String("hls") ? TestMedia::kMpegTs : TestMedia::kMp4)),
        QStringLiteral("-c"),
        QStringLiteral("copy")};
    QStringList output;
    QString third;
    if (format == QLatin1String("hls")) {
        // No end tag: a source that is killed leaves the playlist as it was, still live.
        output = {QStringLiteral("-f"),
                  QStringLiteral("hls"),
                  QStringLiteral("-hls_time"),
                  QStringLiteral("1"),
                  QStringLiteral("-hls_list_size"),
                  QStringLiteral("3"),
                  QStringLiteral("-hls_flags"),
                  QStringLiteral("delete_segments+omit_endlist"),
                  QStringLiteral("-hls_segment_filename"),
                  QStringLiteral("hls/seg%05d.ts"),
                  QStringLiteral("hls/index.m3u8")};
        third = QStringLiteral("hls/seg00003.ts");
    } else {
        output = {QStringLiteral("-tag:v"),
                  QStringLiteral("avc1"),
                  QStringLiteral("-tag:a"),
                  QStringLiteral("mp4a"),
                  QStringLiteral("-f"),
                  QStringLiteral("dash"),
                  QStringLiteral("-seg_duration"),
                  QStringLiteral("1"),
                  QStringLiteral("-window_size"),
                  QStringLiteral("3"),
                  QStringLiteral("-extra_window_size"),
                  QStringLiteral("2"),
                  QStringLiteral("-use_timeline"),
                  QStringLiteral("1"),
                  QStringLiteral("-use_template"),
                  QStringLiteral("1"),
                  QStringLiteral("dash/live.mpd")};
        third = QStringLiteral("dash/chunk-stream0-00003.m4s");
    }
    source_ = std::make_unique<QProcess>();
    source_->setWorkingDirectory(live.path());
    source_->setProcessChannelMode(QProcess::MergedChannels);
    source_->start(QStringLiteral("ffmpeg"), input + output);
    QVERIFY2(source_->waitForStarted(10000), "ffmpeg (Debian package ffmpeg) is needed and did not start");
    QTRY_VERIFY2_WITH_TIMEOUT(
        QFileInfo::exists(live.filePath(third)),
        qPrintable(QStringLiteral("ffmpeg wrote no live list: ") + QString::fromLocal8Bit(source_->readAll())),
        test::Limit(kSourceTimeoutMs));
}

void LiveSourceDies::Play(const char* id)
{
    pages_->Play(id);
}

void LiveSourceDies::RecordStatusTexts()
{
    RunJavaScript(*page_,
                  QStringLiteral("window.statusTexts = []; var bar = document.querySelector('.zentavo-status');"
                                 "new MutationObserver(function () { statusTexts.push(bar.textContent); })"
                                 ".observe(bar, {childList: true, characterData: true, subtree: true}); true"));
}

bool LiveSourceDies::StatusShowed(const QString& text)
{
    return RunJavaScript(*page_, QStringLiteral("statusTexts.indexOf('%1') >= 0").arg(text)).toBool();
}

bool LiveSourceDies::PlayedAfterReconnecting()
{
    return RunJavaScript(*page_,
                         QStringLiteral("statusTexts.slice(Math.max(0, statusTexts.indexOf('Reconnecting ...')))"
                                        ".some(function (text) { return text.indexOf('Playing') === 0; })"))
        .toBool();
}

void LiveSourceDies::listThatStopsMovingOnEndsInWords_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QString>("format");
    QTest::newRow("HLS playlist through hls.js") << QByteArray("1") << QStringLiteral("hls");
    QTest::newRow("DASH manifest through dash.js") << QByteArray("2") << QStringLiteral("dash");
}

void LiveSourceDies::listThatStopsMovingOnEndsInWords()
{
    QFETCH(QByteArray, id);
    QFETCH(QString, format);
    StartSource(format);
    Play(id.constData());
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    RecordStatusTexts();

    QElapsedTimer clock;
    clock.start();
    // Killed at once, as a crash or a power cut does: the source writes no end to its list.
    source_->kill();
    QVERIFY(source_->waitForFinished(10000));
    QTRY_VERIFY2_WITH_TIMEOUT(PlayerPageTexts(*page_).contains(QLatin1String("Cannot play")),
                              qPrintable(PlayerPageTexts(*page_)), test::Limit(kListFailureTimeoutMs));
    const QString texts = PlayerPageTexts(*page_);
    QVERIFY2(texts.contains(QLatin1String("the live stream has stopped")), qPrintable(texts));
    QVERIFY(StatusShowed(QStringLiteral("Reconnecting ...")));
    const QString shown = RunJavaScript(*page_, QStringLiteral("statusTexts.join(' / ')")).toString();
    if (format == QLatin1String("hls")) {
        QVERIFY2(!PlayedAfterReconnecting(), qPrintable(shown));
    } else {
        // A DASH stream is known to move on by the segments it loads: the first try may play the last
        // segment that the server had and the broken-off read had not loaded yet, once; the tries after
        // it find nothing newer and never play.
        QVERIFY2(RunJavaScript(*page_,
                               QStringLiteral("statusTexts.slice(statusTexts.indexOf('Reconnecting ...'))"
                                              ".filter(function (text) { return text.indexOf('Playing') === 0; })"
                                              ".length <= 1"))
                     .toBool(),
                 qPrintable(shown));
    }
    qInfo("failure in words %lld ms after the source died", static_cast<long long>(clock.elapsed()));
}

void LiveSourceDies::silentConnectionEndsInWords()
{
    // About six seconds of the stream, then the connection stays open and silent.
    const QString path = QLatin1String(TestMedia::kMpegTs);
    const qint64 size = QFileInfo(QDir(media_.path()).filePath(path)).size();
    server_->GoSilentAfter(path, size * 6 / TestMedia::kSeconds);
    Play("3");
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    RecordStatusTexts();
    server_->GoSilentAfter(path, 0); // the tries find the same silence from the start

    QTRY_VERIFY2_WITH_TIMEOUT(PlayerPageTexts(*page_).contains(QLatin1String("Cannot play")),
                              qPrintable(PlayerPageTexts(*page_)), test::Limit(kSilenceFailureTimeoutMs));
    const QString texts = PlayerPageTexts(*page_);
    QVERIFY2(texts.contains(QLatin1String("no data has come")), qPrintable(texts));
    QVERIFY(StatusShowed(QStringLiteral("Reconnecting ...")));
    QVERIFY(!PlayedAfterReconnecting());
    QVERIFY(server_->RequestCount(path) >= 4); // the first read and three tries
}

int main(int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes(); // before the application exists
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    LiveSourceDies test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_live_source_dies.moc"
