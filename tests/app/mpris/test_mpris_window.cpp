// The media controls wired to the real main window (real web engine, offscreen), driven from a
// second connection on a private session bus as the desktop would: the playing channel's name
// reaches the desktop, and the title of what a radio plays (from an Icecast server started here)
// with it; the desktop's pause runs the Pause command, the volume goes both ways, and Next and
// Previous step through the list the channel was played from while one of a list plays.
#include "app/mpris/mpris_service.h"
#include "app/mpris/mpris_wiring.h"
#include "mpris_client.h"
#include "tests/player/ui/shell_fixture.h"
#include "tests/support/icecast_server.h"
#include "tests/support/waits.h"

#include <QDBusConnectionInterface>
#include <QRegularExpression>
#include <QSlider>
#include <QtTest>

using namespace zentavo;

class MprisWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void desktopSeesTheChannelThatPlays();
    void desktopSeesTheTitleOfWhatTheRadioPlays();
    void desktopSeesOnlyThePlayersOwnMediaControls();
    void desktopPauseRunsThePauseCommand();
    void volumeGoesBothWays();
    void nextAndPreviousStepThroughTheListOfThePlay();

private:
    struct Radio;
    void StartRadio(Radio& radio);
    QString Status() { return desktop_->Get(player_, QStringLiteral("PlaybackStatus")).toString(); }

    const QString player_ = QStringLiteral("org.mpris.MediaPlayer2.Player");
    std::unique_ptr<ShellFixture> f_;
    std::unique_ptr<MprisService> service_;
    std::unique_ptr<test::MprisClient> desktop_;
    QSlider* slider_ = nullptr;
};

void MprisWindowTest::initTestCase()
{
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus: run under dbus-run-session");
    f_ = std::make_unique<ShellFixture>();
    service_ = std::make_unique<MprisService>(QStringLiteral("org.zentavo.Player"));
    ConnectMprisToWindow(*service_, *f_->form);
    QVERIFY(service_->Register());
    desktop_ = std::make_unique<test::MprisClient>(service_->ServiceName());
    f_->ShowAndActivate();
    slider_ = f_->form->findChild<QSlider*>(QStringLiteral("JvTrackBar1"));
    QVERIFY(slider_);
}

void MprisWindowTest::cleanupTestCase()
{
    desktop_.reset();
    service_.reset();
    f_.reset();
}

void MprisWindowTest::desktopSeesTheChannelThatPlays()
{
    QCOMPARE(Status(), QStringLiteral("Stopped"));
    f_->Play(QStringLiteral("1"), QStringLiteral("Channel 1"));
    QCOMPARE(Status(), QStringLiteral("Playing"));
    const QVariantMap metadata = desktop_->Get(player_, QStringLiteral("Metadata")).toMap();
    QCOMPARE(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Channel 1"));
    QCOMPARE(f_->form->windowTitle(), QStringLiteral("Zentavo Player - [ Channel 1 ]"));
}

// An Icecast server on 127.0.0.1 with a tone source on /radio, its title set.
struct MprisWindowTest::Radio {
    std::unique_ptr<test::SharedFolder> folder;
    std::unique_ptr<test::IcecastServer> icecast;
    std::unique_ptr<test::ServerProcess> source;
};

void MprisWindowTest::StartRadio(Radio& radio)
{
    try {
        radio.folder = std::make_unique<test::SharedFolder>();
        radio.icecast = std::make_unique<test::IcecastServer>(*radio.folder);
        radio.source = radio.icecast->StartToneSource(QStringLiteral("/radio"), QStringLiteral("mp3"));
        radio.icecast->WaitForMount(QStringLiteral("/radio"));
        radio.icecast->SetTitle(QStringLiteral("/radio"), QStringLiteral("Nina Simone - Feeling Good"));
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
}

void MprisWindowTest::desktopSeesTheTitleOfWhatTheRadioPlays()
{
    Radio radio;
    StartRadio(radio);
    if (QTest::currentTestFailed())
        return;
    auto& icecast = radio.icecast;
    f_->AddChannel(5, "radio", 0, icecast->Url(QStringLiteral("/radio")));
    f_->Play(QStringLiteral("5"), QStringLiteral("Channel 5"));
    const auto metadata = [this] { return desktop_->Get(player_, QStringLiteral("Metadata")).toMap(); };
    QTRY_COMPARE_WITH_TIMEOUT(metadata().value(QStringLiteral("xesam:title")).toString(),
                              QStringLiteral("Nina Simone - Feeling Good"), test::Limit(20000));
    QCOMPARE(metadata().value(QStringLiteral("xesam:album")).toString(), QStringLiteral("Channel 5"));
    try {
        icecast->SetTitle(QStringLiteral("/radio"), QStringLiteral("Miles Davis - So What"));
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
    QTRY_COMPARE_WITH_TIMEOUT(metadata().value(QStringLiteral("xesam:title")).toString(),
                              QStringLiteral("Miles Davis - So What"), test::Limit(20000));
    // Another channel: its name, not the radio's last title.
    f_->Play(QStringLiteral("1"), QStringLiteral("Channel 1"));
    QTRY_COMPARE_WITH_TIMEOUT(metadata().value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Channel 1"),
                              test::Limit(10000));
}

// The web engine would offer every page that plays sound to the desktop as a media player of its
// own; while a radio plays, the desktop must see the player's own media controls and nothing else.
void MprisWindowTest::desktopSeesOnlyThePlayersOwnMediaControls()
{
    Radio radio;
    StartRadio(radio);
    if (QTest::currentTestFailed())
        return;
    f_->AddChannel(6, "radio", 0, radio.icecast->Url(QStringLiteral("/radio")));
    f_->Play(QStringLiteral("6"), QStringLiteral("Channel 6"));
    // The stream's title comes through the page once the page plays it.
    QTRY_COMPARE_WITH_TIMEOUT(
        desktop_->Get(player_, QStringLiteral("Metadata")).toMap().value(QStringLiteral("xesam:title")).toString(),
        QStringLiteral("Nina Simone - Feeling Good"), test::Limit(20000));
    const auto mediaPlayers = [] {
        QStringList players = QDBusConnection::sessionBus().interface()->registeredServiceNames().value().filter(
            QRegularExpression(QStringLiteral("^org\\.mpris\\.MediaPlayer2\\.")));
        players.sort();
        return players;
    };
    const QStringList ours{service_->ServiceName()};
    // The engine announces its player a moment after the sound starts.
    QVERIFY2(test::StaysFor(std::chrono::milliseconds(3000), [&] { return mediaPlayers() == ours; }),
             qPrintable(mediaPlayers().join(QLatin1Char(' '))));
}

void MprisWindowTest::desktopPauseRunsThePauseCommand()
{
    for (const char* method : {"Pause", "Stop", "PlayPause"}) {
        f_->Play(QStringLiteral("3"), QStringLiteral("Cam"));
        QCOMPARE(Status(), QStringLiteral("Playing"));
        QVERIFY(f_->form->SnapshotMode());
        QVERIFY(desktop_->Call(player_, QString::fromLatin1(method)));
        // The Pause command shows the start page again and turns the player controls off.
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("Stopped"), test::Limit(10000));
        QVERIFY2(!slider_->isEnabled(), method);
        QTRY_VERIFY2_WITH_TIMEOUT(
            f_->form->Page()->url().toString().contains(QStringLiteral("start.zvo")),
            qPrintable(QString::fromLatin1(method) + QStringLiteral(": ") + f_->form->Page()->url().toString()),
            test::Limit(10000));
    }
}

void MprisWindowTest::volumeGoesBothWays()
{
    f_->Play(QStringLiteral("1"), QStringLiteral("Channel 1"));
    QVERIFY(desktop_->Set(player_, QStringLiteral("Volume"), 0.4));
    QCOMPARE(slider_->value(), 40);
    slider_->setValue(65);
    QCOMPARE(desktop_->Get(player_, QStringLiteral("Volume")).toDouble(), 0.65);
}

void MprisWindowTest::nextAndPreviousStepThroughTheListOfThePlay()
{
    test::ChangeListener listener;
    QVERIFY(desktop_->Bus().connect(service_->ServiceName(), QString::fromLatin1(MprisService::kObjectPath),
                                    QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("PropertiesChanged"), &listener,
                                    SLOT(onPropertiesChanged(QString, QVariantMap, QStringList))));
    const auto can = [this](const char* name) { return desktop_->Get(player_, QLatin1String(name)).toBool(); };
    const auto canStepChanges = [&listener] {
        QList<bool> seen;
        for (const QVariantMap& change : listener.changes) {
            if (change.contains(QStringLiteral("CanGoNext")) && change.contains(QStringLiteral("CanGoPrevious"))
                && change.value(QStringLiteral("CanGoNext")) == change.value(QStringLiteral("CanGoPrevious")))
                seen << change.value(QStringLiteral("CanGoNext")).toBool();
        }
        return seen;
    };
    const auto title = [this] { return f_->form->windowTitle(); };
    f_->AddChannel(7, "tv", 0, QStringLiteral("http://127.0.0.1:9/seven.mp4")); // TV list: 1, 4, 7
    f_->list->LoadChannelLists();

    // A channel played by its id comes from no list: nothing to step through.
    f_->Play(QStringLiteral("1"), QStringLiteral("Channel 1"));
    QVERIFY(!can("CanGoNext"));
    QVERIFY(!can("CanGoPrevious"));
    QVERIFY(desktop_->Call(player_, QStringLiteral("Next")));
    QVERIFY(test::StaysFor(std::chrono::milliseconds(500),
                           [&] { return title().contains(QLatin1String("[ Channel 1 ]")); }));

    f_->form->PlayChannelFromList(QStringLiteral("1"), QStringLiteral("Channel 1"), ChannelTab::Tv);
    QTRY_COMPARE_WITH_TIMEOUT(canStepChanges(), QList<bool>{true}, test::Limit(5000));
    QVERIFY(can("CanGoNext"));
    QVERIFY(can("CanGoPrevious"));
    QStringList seen;
    for (const char* method : {"Next", "Next", "Next", "Previous"}) {
        QVERIFY(desktop_->Call(player_, QString::fromLatin1(method)));
        const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("Channel (\\d+)")).match(title());
        seen << match.captured(1);
    }
    QCOMPARE(seen, (QStringList{QStringLiteral("4"), QStringLiteral("7"), QStringLiteral("1"), QStringLiteral("7")}));
    // Stepping keeps a list channel playing: no change to announce.
    QCOMPARE(canStepChanges(), QList<bool>{true});

    QVERIFY(desktop_->Call(player_, QStringLiteral("Stop")));
    QTRY_COMPARE_WITH_TIMEOUT(canStepChanges(), (QList<bool>{true, false}), test::Limit(5000));
    QVERIFY(!can("CanGoNext"));
}

int main(int argc, char** argv)
{
    MprisWindowTest test;
    return RunShellTest(test, argc, argv);
}

#include "test_mpris_window.moc"
