// A live stream that the page plays with its own engines (an MP3 radio on the media element, an
// MPEG-TS TV channel through mpegts.js) and that breaks off is opened again by itself: the status
// shows "Reconnecting ...", and it plays again once the server has it back. A stream that stays
// away ends, after three tries, in the failure in words; a pause stops the tries. The server is
// Debian's icecast2 on 127.0.0.1, fed by ffmpeg; stopping the feed ends the listeners' streams, as
// when a radio's playout system goes down.

#include "crypto/stream_passphrase.h"
#include "player/gateway/gateway_session.h"
#include "player/page_generation.h"
#include "player/player_page.h"
#include "player/player_profile.h"
#include "player/scratch_folder.h"
#include "tests/support/icecast_server.h"
#include "tests/support/page_script.h"
#include "tests/support/player_page_fixture.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_media.h"
#include "tests/support/waits.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <memory>

using namespace zentavo;
using namespace zentavo::test;

namespace {

constexpr int kPlayTimeoutMs = 40000;
const char* const kRadioMount = "/radio.mp3";
const char* const kTvMount = "/tv.ts";

// The gateway's threads: the sessions' workers and the threads FFmpeg starts from them.
int GatewayThreads()
{
    return ThreadsNamed(GatewaySession::kThreadName);
}

} // namespace

class LiveReconnect : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void streamThatBreaksOffIsOpenedAgain_data();
    void streamThatBreaksOffIsOpenedAgain();
    void streamThatStaysAwayEndsInWordsAfterThreeTries();
    void pauseStopsTheTries();

private:
    void StartSource(const QString& mount);
    void Play(const char* id);
    // From now on the page remembers every text its status shows (statusTexts).
    void RecordStatusTexts();
    bool StatusShowed(const QString& text);

    QTemporaryDir media_;
    std::unique_ptr<SharedFolder> shared_;
    std::unique_ptr<IcecastServer> icecast_;
    std::unique_ptr<ServerProcess> source_;
    std::unique_ptr<test::PlayerPageFixture> pages_;
    PlayerProfile* profile_ = nullptr;
    PlayerPage* page_ = nullptr;
};

void LiveReconnect::initTestCase()
{
    QVERIFY(media_.isValid());
    TestMedia::Generate(media_.path());
    try {
        shared_ = std::make_unique<SharedFolder>();
        shared_->Add(QDir(media_.path()).filePath(QLatin1String(TestMedia::kMpegTs)));
        icecast_ = std::make_unique<IcecastServer>(*shared_);
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
    pages_ = std::make_unique<test::PlayerPageFixture>(WriteTestCatalogue(
        media_.path(),
        {{"1", 0, icecast_->Url(QLatin1String(kRadioMount))}, {"2", 0, icecast_->Url(QLatin1String(kTvMount))}}));
    profile_ = &pages_->Profile();
}

void LiveReconnect::init()
{
    page_ = &pages_->Open();
}

void LiveReconnect::cleanup()
{
    pages_->Close();
    page_ = nullptr;
    source_.reset();
}

void LiveReconnect::StartSource(const QString& mount)
{
    try {
        source_ = mount == QLatin1String(kRadioMount)
            ? icecast_->StartToneSource(mount, QStringLiteral("mp3"))
            : icecast_->StartTransportStreamSource(mount, shared_->filePath(QLatin1String(TestMedia::kMpegTs)));
        icecast_->WaitForMount(mount);
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
}

void LiveReconnect::Play(const char* id)
{
    pages_->Play(id);
}

void LiveReconnect::RecordStatusTexts()
{
    RunJavaScript(*page_,
                  QStringLiteral("window.statusTexts = []; var bar = document.querySelector('.zentavo-status');"
                                 "new MutationObserver(function () { statusTexts.push(bar.textContent); })"
                                 ".observe(bar, {childList: true, characterData: true, subtree: true});"
                                 "zentavoMediaWatch.firstPlaying = 0; true"));
}

bool LiveReconnect::StatusShowed(const QString& text)
{
    return RunJavaScript(*page_, QStringLiteral("statusTexts.indexOf('%1') >= 0").arg(text)).toBool();
}

void LiveReconnect::streamThatBreaksOffIsOpenedAgain_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QString>("mount");
    QTest::newRow("MP3 radio on the media element") << QByteArray("1") << QString::fromLatin1(kRadioMount);
    QTest::newRow("MPEG-TS TV channel through mpegts.js") << QByteArray("2") << QString::fromLatin1(kTvMount);
}

void LiveReconnect::streamThatBreaksOffIsOpenedAgain()
{
    QFETCH(QByteArray, id);
    QFETCH(QString, mount);
    StartSource(mount);
    Play(id.constData());
    QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(GatewayThreads(), 0);
    RecordStatusTexts();

    source_.reset(); // the server ends the stream of every listener
    QTRY_VERIFY_WITH_TIMEOUT(StatusShowed(QStringLiteral("Reconnecting ...")), test::Limit(20000));
    StartSource(mount);
    failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure + PlayerPageTexts(*page_)));
    QVERIFY2(PlayerPageTexts(*page_).contains(QLatin1String("Playing")), qPrintable(PlayerPageTexts(*page_)));
    QCOMPARE(GatewayThreads(), 0); // still the page's own engine, not the gateway
}

void LiveReconnect::streamThatStaysAwayEndsInWordsAfterThreeTries()
{
    StartSource(QLatin1String(kRadioMount));
    Play("1");
    const QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    RecordStatusTexts();
    QElapsedTimer clock;
    clock.start();
    source_.reset();
    QTRY_VERIFY_WITH_TIMEOUT(PlayerPageTexts(*page_).contains(QLatin1String("Cannot play")), test::Limit(45000));
    QVERIFY(StatusShowed(QStringLiteral("Reconnecting ...")));
    // Three tries after 1, 2 and 4 s, within the time a stalled stream is allowed.
    QVERIFY2(clock.elapsed() < 40000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(PlayerPageTexts(*page_).contains(QLatin1String("not found")), qPrintable(PlayerPageTexts(*page_)));
}

void LiveReconnect::pauseStopsTheTries()
{
    StartSource(QLatin1String(kRadioMount));
    Play("1");
    QString failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    RecordStatusTexts();
    source_.reset();
    QTRY_VERIFY_WITH_TIMEOUT(StatusShowed(QStringLiteral("Reconnecting ...")), test::Limit(20000));
    RunJavaScript(*page_, QStringLiteral("document.NSPlay.Pause(); true"));
    QTRY_VERIFY_WITH_TIMEOUT(PlayerPageTexts(*page_).contains(QLatin1String("Paused")), test::Limit(5000));
    // Longer than all the tries together: a paused page neither tries nor fails.
    QVERIFY2(test::StaysFor(std::chrono::milliseconds(8000),
                            [this] {
                                const QString texts = PlayerPageTexts(*page_);
                                return texts.contains(QLatin1String("Paused"))
                                    && !texts.contains(QLatin1String("Cannot play"));
                            }),
             qPrintable(PlayerPageTexts(*page_)));

    StartSource(QLatin1String(kRadioMount));
    RunJavaScript(*page_, QStringLiteral("zentavoMediaWatch.firstPlaying = 0; document.NSPlay.Play(); true"));
    failure = WaitUntilPlaying(*page_, kPlayTimeoutMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

int main(int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes(); // before the application exists
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    LiveReconnect test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_live_reconnect.moc"
