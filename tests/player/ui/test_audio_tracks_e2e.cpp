// Sound tracks through the main window on the real web engine, against streams served on 127.0.0.1:
// HLS with two alternative audio renditions (hls.js switches), DASH with two audio adaptation sets
// (dash.js switches) and MPEG-TS with two sound streams (mpegts.js plays the first only; the gateway
// plays the one chosen). The menu lists the tracks, a choice switches what the page plays, and the
// choice is kept for the channel: applied on its next play, after the windows and their store start
// again, and not on another channel. A stream with one track says so; the keyboard reaches the menu.
#include "shell_fixture.h"

#include "player/ui/audio_track_menu.h"
#include "tests/support/media_server.h"
#include "tests/support/page_script.h"
#include "tests/support/test_media.h"
#include "tests/support/waits.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>

#include <memory>

using namespace zentavo;

namespace {

QMenu* AudioMenu(ShellFixture& f)
{
    return f.form->findChild<QMenu*>(QStringLiteral("AudioTrack1"));
}

QToolButton* AudioButton(ShellFixture& f)
{
    return f.form->findChild<QToolButton*>(QStringLiteral("btn_audio"));
}

// The menu's items as "text" with a leading "*" on the checked one and "-" on a disabled one.
QStringList MenuItems(ShellFixture& f)
{
    QStringList items;
    for (const QAction* action : AudioMenu(f)->actions())
        items << (action->isChecked() ? QStringLiteral("*") : QString())
                + (action->isEnabled() ? QString() : QStringLiteral("-")) + action->text();
    return items;
}

// What the page's player says of its sound tracks and its engine: {"tracks", "current", "engine"}.
QJsonObject PageTracks(ShellFixture& f)
{
    const QVariant answer = test::RunJavaScript(
        *f.form->Page(),
        QStringLiteral("(function () { const p = window.zentavoPlayers; if (!p) return '{}';"
                       " const info = p.streamInfo() || {}; const t = p.audioTracks();"
                       " return JSON.stringify({tracks: t.tracks.length, current: t.current, engine: info.engine || '',"
                       " session: info.gatewaySession || '', state: info.state || ''}); })()"));
    return QJsonDocument::fromJson(answer.toString().toUtf8()).object();
}

// Waits until the page plays track `current` of two on that engine; what was seen last otherwise.
QString WaitForTrack(ShellFixture& f, int current, const QString& engine)
{
    QJsonObject seen;
    const bool reached = QTest::qWaitFor(
        [&] {
            seen = PageTracks(f);
            return seen.value(QStringLiteral("tracks")).toInt() == 2
                && seen.value(QStringLiteral("current")).toInt() == current
                && seen.value(QStringLiteral("engine")).toString() == engine
                && seen.value(QStringLiteral("state")).toString() == QLatin1String("playing");
        },
        test::Limit(30000));
    return reached ? QString() : QString::fromUtf8(QJsonDocument(seen).toJson(QJsonDocument::Compact));
}

} // namespace

class AudioTracksE2eTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(media_.isValid());
        try {
            test::TestMedia::Generate(media_.path());
            test::TestMedia::GenerateAudioTracks(media_.path());
            server_ = std::make_unique<test::MediaServer>(media_.path());
        } catch (const std::exception& error) {
            QFAIL(error.what());
        }
    }

    void init()
    {
        f_ = std::make_unique<ShellFixture>();
        // Each test starts with no track kept for any channel.
        QFile::remove(f_->context.AudioTrackChoicesPath());
        f_->ShowAndActivate();
    }
    void cleanup() { f_.reset(); }

    void aTrackChosenPlaysAndIsKeptForTheChannel_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("items"); // the menu once the stream plays
        QTest::addColumn<QString>("first"); // the engine that plays the first track
        QTest::addColumn<QString>("second"); // the engine that plays the second
        QTest::addColumn<QString>("secondFile"); // what only the second track reads from the server
        QTest::newRow("HLS, alternative audio renditions")
            << QString::fromLatin1(test::TestMedia::kTwoAudioHls)
            << QStringList{QStringLiteral("*&1 English"), QStringLiteral("&2 Français (French)")}
            << QStringLiteral("hls") << QStringLiteral("hls")
            << QString::fromLatin1(test::TestMedia::kTwoAudioHlsFrench);
        QTest::newRow("DASH, two audio adaptation sets")
            << QString::fromLatin1(test::TestMedia::kTwoAudioDash)
            << QStringList{QStringLiteral("*&1 English"), QStringLiteral("&2 French")} << QStringLiteral("dash")
            << QStringLiteral("dash") << QString::fromLatin1(test::TestMedia::kTwoAudioDashFrench);
        QTest::newRow("MPEG-TS, two sound streams")
            << QString::fromLatin1(test::TestMedia::kTwoAudioTs)
            << QStringList{QStringLiteral("*&1 English"), QStringLiteral("&2 French")} << QStringLiteral("mpegts")
            << QStringLiteral("gateway") << QString();
    }

    void aTrackChosenPlaysAndIsKeptForTheChannel()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, items);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, secondFile);
        const QString address = server_->Url(file).toString();
        f_->AddChannel(5, "tv", 0, address);
        f_->AddChannel(6, "tv", 0, address);
        f_->Play(QStringLiteral("5"), QStringLiteral("Channel 5"));
        QCOMPARE(WaitForTrack(*f_, 0, first), QString());
        QTRY_COMPARE_WITH_TIMEOUT(MenuItems(*f_), items, test::Limit(10000));
        QVERIFY(AudioButton(*f_)->isEnabled());
        QCOMPARE(AudioButton(*f_)->accessibleName(), QStringLiteral("Audio track"));
        QCOMPARE(AudioButton(*f_)->menu(), AudioMenu(*f_));

        server_->ResetCounts();
        AudioMenu(*f_)->actions().at(1)->trigger();
        QCOMPARE(WaitForTrack(*f_, 1, second), QString());
        QTRY_COMPARE_WITH_TIMEOUT(MenuItems(*f_).at(1), QStringLiteral("*") + items.at(1), test::Limit(10000));
        if (!secondFile.isEmpty()) {
            // The page's library reads the French track now.
            QTRY_VERIFY_WITH_TIMEOUT(server_->RequestCount(secondFile) > 0, test::Limit(10000));
        } else {
            // The gateway's session plays the source's second sound stream.
            const QString session = PageTracks(*f_).value(QStringLiteral("session")).toString();
            const std::optional<SourceFacts> facts = f_->profile.GatewayFacts(session);
            QVERIFY2(facts, qPrintable(session));
            QCOMPARE(facts->audioTrack, 1);
            QCOMPARE(facts->audioTracks.size(), 2);
        }

        // Stopped, nothing plays: the menu says so.
        f_->form->btn_stopClick();
        QCOMPARE(MenuItems(*f_), QStringList{QStringLiteral("-") + AudioTrackMenu::NoTracksText()});
        QVERIFY(!AudioButton(*f_)->isEnabled());

        // The next play of the channel plays the chosen track by itself.
        f_->Play(QStringLiteral("5"), QStringLiteral("Channel 5"));
        QCOMPARE(WaitForTrack(*f_, 1, second), QString());

        // So does a play after the program starts again, with a store read afresh.
        f_->Restart();
        f_->ShowAndActivate();
        f_->Play(QStringLiteral("5"), QStringLiteral("Channel 5"));
        QCOMPARE(WaitForTrack(*f_, 1, second), QString());
        QTRY_COMPARE_WITH_TIMEOUT(MenuItems(*f_).at(1), QStringLiteral("*") + items.at(1), test::Limit(10000));

        // Another channel of the same stream keeps the stream's own first track.
        f_->Play(QStringLiteral("6"), QStringLiteral("Channel 6"));
        QCOMPARE(WaitForTrack(*f_, 0, first), QString());
        QVERIFY(test::StaysFor(std::chrono::milliseconds(2000),
                               [&] { return PageTracks(*f_).value(QStringLiteral("current")).toInt() == 0; }));
    }

    void aStreamWithOneTrackSaysSo()
    {
        f_->AddChannel(5, "tv", 0, server_->Url(QLatin1String(test::TestMedia::kMpegTs)).toString());
        f_->Play(QStringLiteral("5"), QStringLiteral("Channel 5"));
        QTRY_COMPARE_WITH_TIMEOUT(MenuItems(*f_), QStringList{QStringLiteral("-") + AudioTrackMenu::OneTrackText()},
                                  test::Limit(30000));
        QVERIFY(!AudioButton(*f_)->isEnabled());
        QCOMPARE(AudioButton(*f_)->toolTip(), QStringLiteral("Audio track: ") + AudioTrackMenu::OneTrackText());
    }

    void theMenuIsReachedByKeyboard()
    {
        f_->AddChannel(5, "tv", 0, server_->Url(QLatin1String(test::TestMedia::kTwoAudioHls)).toString());
        f_->Play(QStringLiteral("5"), QStringLiteral("Channel 5"));
        QCOMPARE(WaitForTrack(*f_, 0, QStringLiteral("hls")), QString());
        QTRY_COMPARE_WITH_TIMEOUT(MenuItems(*f_).size(), 2, test::Limit(10000));
        // The menu bar (F10), Options (Right), Audio track (A), the second track (2).
        f_->form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f_->form.get(), test::Limit(5000)));
        QTest::keyClick(f_->form.get(), Qt::Key_F10);
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::activePopupWidget(), test::Limit(5000));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Right);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activePopupWidget(),
                                  static_cast<QWidget*>(f_->form->findChild<QMenu*>(QStringLiteral("View1"))),
                                  test::Limit(5000));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_A);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activePopupWidget(), static_cast<QWidget*>(AudioMenu(*f_)),
                                  test::Limit(5000));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_2);
        QCOMPARE(WaitForTrack(*f_, 1, QStringLiteral("hls")), QString());
        QVERIFY(!QApplication::activePopupWidget());
    }

private:
    QTemporaryDir media_;
    std::unique_ptr<test::MediaServer> server_;
    std::unique_ptr<ShellFixture> f_;
};

int main(int argc, char** argv)
{
    AudioTracksE2eTest test;
    return RunShellTest(test, argc, argv);
}

#include "test_audio_tracks_e2e.moc"
