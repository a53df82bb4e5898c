// The media controls as a desktop sees them: a second connection on a private session bus reads
// the properties, listens for their changes and sends the commands, exactly as a shell would.
#include "app/mpris/mpris_service.h"
#include "app/mpris/mpris_wiring.h"
#include "mpris_client.h"
#include "tests/support/waits.h"

#include <QWidget>
#include <QtDBus>
#include <QtTest>

using namespace zentavo;

namespace {

// The main window's side of the wiring: the signals and slots that ConnectMprisToWindow uses,
// recording what the desktop asked for.
class WindowSide : public QWidget {
    Q_OBJECT
public:
    int pauseCommands = 0;
    QList<int> volumePositions;
    QList<int> steps; // 1 next, -1 previous

public slots:
    void btn_stopClick() { ++pauseCommands; }
    void SetVolumePosition(int position) { volumePositions << position; }
    void NextChannel() { steps << 1; }
    void PreviousChannel() { steps << -1; }

signals:
    void ChannelStarted(const QString& name);
    void PlaybackStopped();
    void NowPlayingChanged(const QString& title);
    void VolumePositionChanged(int position);
    void ChannelStepsChanged(bool canStep);
    void ProgrammeChanged(const QString& title);
};

} // namespace

class MprisTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void tellsTheDesktopWhoItIs();
    void showsTheChannelThatPlaysAndWhenItStops();
    void showsWhatTheChannelPlaysWithTheChannelAsAlbum();
    void showsTheGuidesProgrammeWhileTheStreamNamesNothing();
    void pauseStopAndPlayPauseRunThePauseCommand();
    void volumeFollowsTheSliderAndTheSliderFollowsTheDesktop_data();
    void volumeFollowsTheSliderAndTheSliderFollowsTheDesktop();
    void aSecondPlayerTakesAnInstanceName();
    void runsWithoutABus();

private:
    QVariant Get(const QString& interface, const QString& name) { return desktop_->Get(interface, name); }
    void Call(const QString& interface, const QString& method, const QVariantList& args = {})
    {
        QVERIFY2(desktop_->Call(interface, method, args), qPrintable(method));
    }
    void Set(const QString& interface, const QString& name, const QVariant& value)
    {
        QVERIFY2(desktop_->Set(interface, name, value), qPrintable(name));
    }

    std::unique_ptr<test::MprisClient> desktop_;
    std::unique_ptr<MprisService> service_;
    std::unique_ptr<WindowSide> window_;
    test::ChangeListener listener_;
};

void MprisTest::initTestCase()
{
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus: run under dbus-run-session");
    window_ = std::make_unique<WindowSide>();
    service_ = std::make_unique<MprisService>(QStringLiteral("org.zentavo.Player"));
    ConnectMprisToWindow(*service_, *window_);
    QVERIFY(service_->Register());
    QCOMPARE(service_->ServiceName(), QString::fromLatin1(MprisService::kServiceName));
    // The desktop has a connection of its own, as a separate process would.
    desktop_ = std::make_unique<test::MprisClient>(service_->ServiceName());
    QVERIFY(desktop_->Bus().isConnected());
    QVERIFY(desktop_->Bus().connect(service_->ServiceName(), QString::fromLatin1(MprisService::kObjectPath),
                                    QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("PropertiesChanged"), &listener_,
                                    SLOT(onPropertiesChanged(QString, QVariantMap, QStringList))));
}

void MprisTest::cleanup()
{
    listener_.changes.clear();
}

void MprisTest::tellsTheDesktopWhoItIs()
{
    const QString root = QStringLiteral("org.mpris.MediaPlayer2");
    QCOMPARE(Get(root, QStringLiteral("Identity")).toString(), QStringLiteral("Zentavo Player"));
    QCOMPARE(Get(root, QStringLiteral("DesktopEntry")).toString(), QStringLiteral("org.zentavo.Player"));
    QCOMPARE(Get(root, QStringLiteral("CanRaise")).toBool(), true);
    QCOMPARE(Get(root, QStringLiteral("HasTrackList")).toBool(), false);
    const QString player = QStringLiteral("org.mpris.MediaPlayer2.Player");
    QCOMPARE(Get(player, QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));
    QCOMPARE(Get(player, QStringLiteral("CanControl")).toBool(), true);
    QCOMPARE(Get(player, QStringLiteral("CanSeek")).toBool(), false);
    QCOMPARE(Get(player, QStringLiteral("Volume")).toDouble(), 1.0);
}

void MprisTest::showsTheChannelThatPlaysAndWhenItStops()
{
    const QString player = QStringLiteral("org.mpris.MediaPlayer2.Player");
    emit window_->ChannelStarted(QStringLiteral("Das Erste"));
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 1, test::Limit(10000));
    QCOMPARE(listener_.changes[0].value(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
    const QVariantMap announced =
        test::MprisClient::Unwrap(listener_.changes[0].value(QStringLiteral("Metadata"))).toMap();
    QCOMPARE(announced.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Das Erste"));

    QCOMPARE(Get(player, QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
    QCOMPARE(Get(player, QStringLiteral("CanPause")).toBool(), true);
    QVariantMap metadata = Get(player, QStringLiteral("Metadata")).toMap();
    QCOMPARE(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Das Erste"));
    const QString firstTrack = metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
    QVERIFY(!firstTrack.isEmpty());

    // Zapping to the next channel: a new title and a new track id.
    emit window_->ChannelStarted(QStringLiteral("ZDF"));
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 2, test::Limit(10000));
    metadata = Get(player, QStringLiteral("Metadata")).toMap();
    QCOMPARE(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("ZDF"));
    QVERIFY(metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path() != firstTrack);

    emit window_->PlaybackStopped();
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 3, test::Limit(10000));
    QCOMPARE(Get(player, QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));
    QVERIFY(!Get(player, QStringLiteral("Metadata")).toMap().contains(QStringLiteral("xesam:title")));
    // A second stop announces nothing new.
    emit window_->PlaybackStopped();
    // A change would be on the bus within a round trip or two.
    QVERIFY(test::StaysFor(std::chrono::milliseconds(1000), [this] { return listener_.changes.size() == 3; }));
}

void MprisTest::showsWhatTheChannelPlaysWithTheChannelAsAlbum()
{
    const QString player = QStringLiteral("org.mpris.MediaPlayer2.Player");
    emit window_->ChannelStarted(QStringLiteral("Radio Paradise"));
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 1, test::Limit(10000));
    emit window_->NowPlayingChanged(QStringLiteral("Miles Davis - So What"));
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 2, test::Limit(10000));
    QVariantMap metadata = Get(player, QStringLiteral("Metadata")).toMap();
    QCOMPARE(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Miles Davis - So What"));
    QCOMPARE(metadata.value(QStringLiteral("xesam:album")).toString(), QStringLiteral("Radio Paradise"));
    // The same title again announces nothing; no title gives back the channel as the title.
    emit window_->NowPlayingChanged(QStringLiteral("Miles Davis - So What"));
    emit window_->NowPlayingChanged(QString());
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 3, test::Limit(10000));
    metadata = Get(player, QStringLiteral("Metadata")).toMap();
    QCOMPARE(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Radio Paradise"));
    QVERIFY(!metadata.contains(QStringLiteral("xesam:album")));
    // A title of the channel before does not outlive the zap to the next one.
    emit window_->NowPlayingChanged(QStringLiteral("Old song"));
    emit window_->ChannelStarted(QStringLiteral("FIP"));
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 5, test::Limit(10000));
    metadata = Get(player, QStringLiteral("Metadata")).toMap();
    QCOMPARE(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("FIP"));
    // Stopped: a late title is ignored.
    emit window_->PlaybackStopped();
    emit window_->NowPlayingChanged(QStringLiteral("Late"));
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 6, test::Limit(10000));
    QVERIFY(!Get(player, QStringLiteral("Metadata")).toMap().contains(QStringLiteral("xesam:title")));
}

void MprisTest::showsTheGuidesProgrammeWhileTheStreamNamesNothing()
{
    const QString player = QStringLiteral("org.mpris.MediaPlayer2.Player");
    const auto titleAndAlbum = [&] {
        const QVariantMap metadata = Get(player, QStringLiteral("Metadata")).toMap();
        return metadata.value(QStringLiteral("xesam:title")).toString() + QLatin1Char('|')
            + metadata.value(QStringLiteral("xesam:album")).toString();
    };
    emit window_->ChannelStarted(QStringLiteral("Das Erste"));
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 1, test::Limit(10000));
    emit window_->ProgrammeChanged(QStringLiteral("Tagesschau"));
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 2, test::Limit(10000));
    QCOMPARE(titleAndAlbum(), QStringLiteral("Tagesschau|Das Erste"));
    // The stream's own title wins over the guide, and the guide's comes back when the stream's goes.
    emit window_->NowPlayingChanged(QStringLiteral("Live: Interview"));
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 3, test::Limit(10000));
    QCOMPARE(titleAndAlbum(), QStringLiteral("Live: Interview|Das Erste"));
    emit window_->NowPlayingChanged(QString());
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 4, test::Limit(10000));
    QCOMPARE(titleAndAlbum(), QStringLiteral("Tagesschau|Das Erste"));
    // The programme ends with nothing after it: the channel stands alone.
    emit window_->ProgrammeChanged(QString());
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 5, test::Limit(10000));
    QCOMPARE(titleAndAlbum(), QStringLiteral("Das Erste|"));
    emit window_->PlaybackStopped();
    QTRY_COMPARE_WITH_TIMEOUT(listener_.changes.size(), 6, test::Limit(10000));
}

void MprisTest::pauseStopAndPlayPauseRunThePauseCommand()
{
    const QString player = QStringLiteral("org.mpris.MediaPlayer2.Player");
    emit window_->ChannelStarted(QStringLiteral("Radio Paradise"));
    const int before = window_->pauseCommands;
    for (const char* method : {"Pause", "Stop", "PlayPause"})
        Call(player, QString::fromLatin1(method));
    QCOMPARE(window_->pauseCommands, before + 3);
    // Commands without a meaning for a live channel are accepted and do nothing.
    for (const char* method : {"Play", "Next", "Previous"})
        Call(player, QString::fromLatin1(method));
    Call(player, QStringLiteral("Seek"), {QVariant::fromValue(qlonglong(5000000))});
    QCOMPARE(window_->pauseCommands, before + 3);
}

void MprisTest::volumeFollowsTheSliderAndTheSliderFollowsTheDesktop_data()
{
    QTest::addColumn<double>("desktopVolume");
    QTest::addColumn<int>("sliderPosition");
    QTest::newRow("quarter") << 0.25 << 25;
    QTest::newRow("rounded") << 0.333 << 33;
    QTest::newRow("silent") << 0.0 << 0;
    QTest::newRow("above full is full") << 1.7 << 100;
    QTest::newRow("below silent is silent") << -0.5 << 0;
}

void MprisTest::volumeFollowsTheSliderAndTheSliderFollowsTheDesktop()
{
    QFETCH(double, desktopVolume);
    QFETCH(int, sliderPosition);
    const QString player = QStringLiteral("org.mpris.MediaPlayer2.Player");

    // The slider moves: the desktop hears of it.
    emit window_->VolumePositionChanged(sliderPosition == 70 ? 71 : 70);
    QTRY_VERIFY_WITH_TIMEOUT(!listener_.changes.isEmpty(), test::Limit(10000));
    QCOMPARE(listener_.changes.last().value(QStringLiteral("Volume")).toDouble(),
             (sliderPosition == 70 ? 71 : 70) / 100.0);
    QCOMPARE(Get(player, QStringLiteral("Volume")).toDouble(), (sliderPosition == 70 ? 71 : 70) / 100.0);

    // The desktop sets the volume: the slider goes there.
    window_->volumePositions.clear();
    Set(player, QStringLiteral("Volume"), desktopVolume);
    QCOMPARE(window_->volumePositions, QList<int>{sliderPosition});
    QCOMPARE(Get(player, QStringLiteral("Volume")).toDouble(), sliderPosition / 100.0);
}

void MprisTest::aSecondPlayerTakesAnInstanceName()
{
    MprisService second(QStringLiteral("org.zentavo.Player"));
    QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("second-player"));
    QVERIFY(second.Register(other));
    QCOMPARE(second.ServiceName(),
             QString::fromLatin1(MprisService::kServiceName) + QStringLiteral(".instance")
                 + QString::number(QCoreApplication::applicationPid()));
    QVERIFY(!second.Register(other)); // once only
}

void MprisTest::runsWithoutABus()
{
    MprisService lonely(QStringLiteral("org.zentavo.Player"));
    QVERIFY(!lonely.Register(QDBusConnection(QStringLiteral("no such connection"))));
    QVERIFY(lonely.ServiceName().isEmpty());
    lonely.OnChannelStarted(QStringLiteral("Still works"));
    QCOMPARE(lonely.PlaybackStatus(), QStringLiteral("Playing"));
}

QTEST_MAIN(MprisTest)
#include "test_mpris.moc"
