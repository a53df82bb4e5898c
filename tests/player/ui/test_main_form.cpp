// The main window as a window: its menus, first show and activation, the stored option, the bars,
// playback set-up, Pause, always on top, the width limit, the right-button filter, the home page
// and the About box.
#include "app/preference_form.h"
#include "shell_fixture.h"

#include "channels/playlists/own_channel_id.h"
#include "channels/playlists/playlist_store.h"
#include "crypto/stream_passphrase.h"
#include "player/scratch_folder.h"
#include "player/ui/splash_form.h"
#include "player/ui/volume_scale.h"
#include "tests/support/waits.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWebEngineView>

#include <stdexcept>

using namespace zentavo;

namespace {

template <typename T = QWidget> T* Child(const ShellFixture& f, const char* name)
{
    return f.form->findChild<T*>(QLatin1String(name));
}

QAction* Item(const ShellFixture& f, const char* name)
{
    return Child<QAction>(f, name);
}

// Records the mouse events that reach a widget (after the application's filters).
class MouseRecorder : public QObject {
public:
    QList<QPair<QEvent::Type, Qt::MouseButton>> seen;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease
            || event->type() == QEvent::MouseButtonDblClick || event->type() == QEvent::ContextMenu)
            seen.append(
                {event->type(),
                 event->type() == QEvent::ContextMenu ? Qt::NoButton : static_cast<QMouseEvent*>(event)->button()});
        return false;
    }
};

// Where every player of this user writes its pages.
QString ScratchPath()
{
    return QString::fromStdString(ScratchFolder().Path().string());
}

QStringList ScratchFiles()
{
    return QDir(ScratchPath()).entryList(QDir::Files);
}

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT

private slots:

    void menuItemsMatchTheTable_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("check"); // -1 not checkable, 0 unchecked, 1 checked
        QTest::addColumn<bool>("icon");
        const QString none;
        QTest::newRow("V1") << "Channels1"
                            << "V1"
                            << " TV"
                            << "Ctrl+T" << true << -1 << true;
        QTest::newRow("Radio1") << "Channels1"
                                << "Radio1"
                                << " Radio"
                                << "Ctrl+R" << true << -1 << true;
        QTest::newRow("Webcam1") << "Channels1"
                                 << "Webcam1"
                                 << " Webcam"
                                 << "Ctrl+W" << true << -1 << true;
        QTest::newRow("MyFavorites1") << "Channels1"
                                      << "MyFavorites1"
                                      << " My Favorites"
                                      << "Ctrl+F" << true << -1 << true;
        QTest::newRow("Add") << "Channels1"
                             << "AddthischanneltoMyFavorites1"
                             << "Add this channel to My Favorites"
                             << "Ctrl+D" << false << -1 << false;
        QTest::newRow("AddPlaylist1") << "Channels1"
                                      << "AddPlaylist1"
                                      << "Add playlist..." << none << true << -1 << false;
        QTest::newRow("ManagePlaylists1") << "Channels1"
                                          << "ManagePlaylists1"
                                          << "Manage playlists..." << none << true << -1 << false;
        QTest::newRow("Exit1") << "Channels1"
                               << "Exit1"
                               << " E&xit" << none << true << -1 << false;
        QTest::newRow("Showcontrol1") << "View1"
                                      << "Showcontrol1"
                                      << " Show control bar" << none << true << 1 << false;
        QTest::newRow("alwaysontop1") << "View1"
                                      << "alwaysontop1"
                                      << " Always on &top" << none << true << 0 << false;
        QTest::newRow("start-up") << "View1"
                                  << "ShowChannelswindowwhenstartup1"
                                  << " Show Channels window when &start-up" << none << true << 0 << false;
        QTest::newRow("Homepage1") << "Help1"
                                   << "Homepage1"
                                   << "Visit Home Page" << none << true << -1 << false;
        QTest::newRow("Keyboard1") << "Help1"
                                   << "Keyboard1"
                                   << "Keyboard..." << none << true << -1 << false;
        QTest::newRow("About1") << "Help1"
                                << "About1"
                                << "About" << none << true << -1 << false;
    }
    void menuItemsMatchTheTable()
    {
        QFETCH(QString, menu);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, shortcut);
        QFETCH(bool, enabled);
        QFETCH(int, check);
        QFETCH(bool, icon);
        ShellFixture f;
        QAction* item = f.form->findChild<QAction*>(name);
        QVERIFY(item);
        QVERIFY(f.form->findChild<QMenu*>(menu)->actions().contains(item));
        QCOMPARE(item->text(), caption);
        QCOMPARE(item->shortcut(), QKeySequence(shortcut));
        QCOMPARE(item->isEnabled(), enabled);
        QCOMPARE(item->isCheckable() ? int(item->isChecked()) : -1, check);
        QCOMPARE(!item->icon().isNull(), icon);
    }

    void channelMenuItemsOpenTheirTab_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("tab");
        QTest::newRow("TV") << "V1" << 0;
        QTest::newRow("Radio") << "Radio1" << 1;
        QTest::newRow("Webcam") << "Webcam1" << 2;
        QTest::newRow("My Favorites") << "MyFavorites1" << 3;
    }
    void channelMenuItemsOpenTheirTab()
    {
        QFETCH(QString, name);
        QFETCH(int, tab);
        ShellFixture f;
        f.ShowAndActivate();
        // Start from another tab, so that a menu item that changes nothing is caught.
        f.list->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex((tab + 1) % 4);
        int shown = -1;
        QTimer closer;
        connect(&closer, &QTimer::timeout, f.form.get(), [&] {
            if (!f.list->isVisible())
                return;
            closer.stop();
            shown = f.list->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->currentIndex();
            f.list->close();
        });
        closer.start(20);
        f.form->findChild<QAction*>(name)->trigger(); // modal until closed
        QCOMPARE(shown, tab);
    }

    // Ctrl+D in the main window adds the channel that plays while the list window stays hidden: the
    // real question, answered Yes, then the channel is in the favourites file.
    void ctrlDAddsThePlayingChannelWithTheListWindowHidden()
    {
        ShellFixture f;
        f.ShowAndActivate();
        f.Play(QStringLiteral("2"), QStringLiteral("Radio"));
        QVERIFY(!f.list->isVisible());
        QStringList asked;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, f.form.get(), [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            asked << box->windowTitle() + QLatin1Char('|') + box->text();
            if (QAbstractButton* yes = box->button(QMessageBox::Yes))
                yes->click();
            else
                box->close();
        });
        answerer.start(20);
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeWindow() == f.form.get(), test::Limit(5000));
        QTest::keyClick(f.form.get(), Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(asked, QStringList{QStringLiteral("Zentavo Player|Add this channel to My Favorites ?")});
        QVERIFY(!f.list->isVisible());
        QFile favourites(f.context.FavouritesPath());
        QVERIFY(favourites.open(QIODevice::ReadOnly));
        const QByteArray stored = favourites.readAll();
        QVERIFY2(stored.contains("<item id=\"2\" comment=\"\"/>"), stored.constData());
    }

    // The playlist items of the Channels menu open the list window's own dialogs.
    void playlistMenuItemsOpenTheirDialogs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("add") << QStringLiteral("AddPlaylist1") << QStringLiteral("Add playlist");
        QTest::newRow("manage") << QStringLiteral("ManagePlaylists1") << QStringLiteral("Manage playlists");
    }
    void playlistMenuItemsOpenTheirDialogs()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        ShellFixture f;
        f.ShowAndActivate();
        QString shown;
        QTimer closer;
        connect(&closer, &QTimer::timeout, f.form.get(), [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            closer.stop();
            shown = dialog->windowTitle();
            dialog->reject();
        });
        closer.start(20);
        f.form->findChild<QAction*>(name)->trigger(); // modal until closed
        QCOMPARE(shown, title);
        QVERIFY(!f.list->isVisible());
    }

    void menusHoldTheirItemsInOrder()
    {
        ShellFixture f;
        const auto names = [&](const char* menu) {
            QStringList list;
            // A submenu goes by its menu's name.
            for (QAction* a : f.form->findChild<QMenu*>(QLatin1String(menu))->actions())
                list << (a->menu() ? a->menu()->objectName() : a->objectName())
                        + (a->isSeparator() ? QStringLiteral("-") : QString());
            return list.join(QLatin1Char(' '));
        };
        QStringList bar;
        for (QAction* a : f.form->menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, (QStringList{QStringLiteral("Channels"), QStringLiteral("Options"), QStringLiteral("Help")}));
        QCOMPARE(names("Channels1"),
                 QStringLiteral("V1 N2- Radio1 N3- Webcam1 N4- MyFavorites1 N1- "
                                "AddthischanneltoMyFavorites1 N8- AddPlaylist1 ManagePlaylists1 Guide1 N5- Exit1"));
        QCOMPARE(names("View1"),
                 QStringLiteral("Showcontrol1 alwaysontop1 ShowChannelswindowwhenstartup1 N9- StreamInformation1 "
                                "RecentTitles1 AudioTrack1 N7- Preferences1"));
        QCOMPARE(names("Help1"), QStringLiteral("Homepage1 Keyboard1 N6- About1"));
    }

    void toolbarHoldsItsControlsInOrder()
    {
        ShellFixture f;
        QStringList names;
        for (QAction* a : Child<QToolBar>(f, "ToolBar_player")->actions())
            names << Child<QToolBar>(f, "ToolBar_player")->widgetForAction(a)->objectName();
        QCOMPARE(names,
                 (QStringList{QStringLiteral("btn_play"), QStringLiteral("btn_stop"), QStringLiteral("ToolButton3"),
                              QStringLiteral("btn_full"), QStringLiteral("ToolButton10"), QStringLiteral("btn_mute"),
                              QStringLiteral("JvTrackBar1"), QStringLiteral("btn_audio")}));
        QCOMPARE(Child<QToolButton>(f, "btn_full")->toolTip(),
                 QStringLiteral("Full screen [To exit full sreen, use ESC key on your keyboard.]"));
        QCOMPARE(Child<QToolButton>(f, "btn_stop")->toolTip(), QStringLiteral("Stop"));
        QCOMPARE(Child<QSlider>(f, "JvTrackBar1")->value(), 100);
        QCOMPARE(Child<QSpinBox>(f, "JvSpinEdit1")->minimum(), 5);
        QCOMPARE(Child<QSpinBox>(f, "JvSpinEdit1")->maximum(), 600);
        QCOMPARE(Child<QSpinBox>(f, "JvSpinEdit1")->value(), 30);
        QCOMPARE(Child<QLabel>(f, "Label1")->text(), QStringLiteral("Loading ... Please wait ..."));
        QVERIFY(Child<>(f, "Panel_foto")->isHidden());
        QVERIFY(Child<>(f, "Panel_load")->isHidden());
    }

    void firstShowResetsTheControlsAndShowsTheStartPage()
    {
        ShellFixture f;
        f.context.CurrentChannelId = QStringLiteral("9");
        QPointer<TSplashForm> splash = new TSplashForm;
        splash->show();
        f.form->SetSplashForm(splash);
        QSignalSpy loaded(f.form->Page(), &QWebEnginePage::loadFinished);
        f.ShowAndActivate();
        QVERIFY(splash.isNull());
        QCOMPARE(f.context.AppFolder, f.programDir.path() + QLatin1Char('/'));
        QVERIFY(f.context.CurrentChannelId.isEmpty());
        QCOMPARE(f.context.StreamPassphrase, BuildStreamPassphrase());
        QVERIFY(f.form->SoundOn());
        for (const char* name : {"btn_play", "btn_stop", "btn_full", "btn_mute", "JvTrackBar1"})
            QVERIFY2(!Child<>(f, name)->isEnabled(), name);
        QTRY_VERIFY_WITH_TIMEOUT(loaded.size() >= 1, test::Limit(20000));
        QVERIFY(loaded.first().first().toBool());
        QVERIFY(f.form->Page()->url().toString().endsWith(QLatin1String("start.zvo")));
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Zentavo Player"));
    }

    void storedOptionOnOpensTheListWindowOnceThenChecksTheItem()
    {
        ShellFixture f;
        f.settings.WriteChannelStart(true);
        int shown = 0;
        QTimer closer;
        connect(&closer, &QTimer::timeout, f.list.get(), [&] {
            if (f.list->isVisible()) {
                ++shown;
                QVERIFY(!Item(f, "ShowChannelswindowwhenstartup1")->isChecked());
                f.list->close();
            }
        });
        closer.start(50);
        f.ShowAndActivate();
        QCOMPARE(shown, 1);
        QVERIFY(Item(f, "ShowChannelswindowwhenstartup1")->isChecked());
        f.form->activateWindow();
        QVERIFY(test::StaysFor(std::chrono::milliseconds(1000), [&shown] { return shown == 1; }));
    }

    void storedOptionOtherThanOneLeavesItOff_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("zero") << QByteArray("0");
        QTest::newRow("blank one") << QByteArray("\" 1\"");
        QTest::newRow("true") << QByteArray("true");
        QTest::newRow("empty") << QByteArray();
    }
    void storedOptionOtherThanOneLeavesItOff()
    {
        QFETCH(QByteArray, stored);
        ShellFixture f;
        f.settings.CreateKey();
        QFile file(f.settings.FilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Software]\nZentavo\\channel-start=" + stored + "\n");
        file.close();
        f.ShowAndActivate();
        QVERIFY(!f.list->isVisible());
        QVERIFY(!Item(f, "ShowChannelswindowwhenstartup1")->isChecked());
    }

    void failedSettingsLoadIsReportedAndTriedAgainOnTheNextActivation()
    {
        ShellFixture f;
        // The config folder is a plain file: the key cannot be created.
        const QString folder = QFileInfo(f.settings.FilePath()).absolutePath();
        QDir(folder).removeRecursively();
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.form->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(!ReportedErrors().isEmpty(), test::Limit(10000));
        QCOMPARE(ReportedErrors().first(), QStringLiteral("Failed to create key Software/Zentavo."));
        QVERIFY(f.form->FirstActivationPending());
        // Playback does not depend on the settings store: the passphrase is there.
        QCOMPARE(f.context.StreamPassphrase, BuildStreamPassphrase());

        // The window coming back from the error box (or any window of the program) does not try
        // again at once, or the box would come back forever.
        f.preferences->show();
        f.preferences->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(f.preferences->isActiveWindow(), test::Limit(5000));
        f.preferences->hide();
        f.form->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(f.form->isActiveWindow(), test::Limit(5000));
        QVERIFY(test::StaysFor(std::chrono::milliseconds(1000), [] { return ReportedErrors().size() == 1; }));

        QFile::remove(folder);
        f.form->FormActivate();
        QVERIFY(!f.form->FirstActivationPending());
        QCOMPARE(ReportedErrors().size(), 1);
    }

    void valueOfAnotherTypeIsReportedAfterThePassphraseIsBuilt()
    {
        ShellFixture f;
        f.settings.CreateKey();
        QFile file(f.settings.FilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Software]\nZentavo\\channel-start=1, 1\n");
        file.close();
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.form->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(!ReportedErrors().isEmpty(), test::Limit(10000));
        QCOMPARE(ReportedErrors().first(), QStringLiteral("Invalid data type for 'channel-start'."));
        QCOMPARE(f.context.StreamPassphrase, BuildStreamPassphrase());
        QVERIFY(!Item(f, "ShowChannelswindowwhenstartup1")->isChecked());
        QVERIFY(!f.list->isVisible());
        QVERIFY(f.form->FirstActivationPending());
    }

    void errorBoxTextEndsWithOneFullStop_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("without") << "Failed to create key Software/Zentavo"
                                 << "Failed to create key Software/Zentavo.";
        QTest::newRow("with") << "Stream read error."
                              << "Stream read error.";
        QTest::newRow("trailing blanks") << "Sorry.  "
                                         << "Sorry.  .";
    }
    void errorBoxTextEndsWithOneFullStop()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(ErrorBoxText(message), shown);
    }

    void mainWindowStartsCentredWithItsClientSize()
    {
        ShellFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        QCOMPARE(f.form->centralWidget()->size(), QSize(469, 413));
        const QPoint offset = f.form->frameGeometry().center() - f.form->screen()->availableGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 4, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    }

    void optionItemClickedTwiceStoresOneThenZero()
    {
        ShellFixture f;
        f.ShowAndActivate();
        Item(f, "ShowChannelswindowwhenstartup1")->trigger();
        QCOMPARE(f.settings.ReadChannelStart(), QStringLiteral("1"));
        QVERIFY(Item(f, "ShowChannelswindowwhenstartup1")->isChecked());
        Item(f, "ShowChannelswindowwhenstartup1")->trigger();
        QCOMPARE(f.settings.ReadChannelStart(), QStringLiteral("0"));
    }

    void optionItemThatCannotBeStoredShowsWhatTheFileSays()
    {
        ShellFixture f;
        f.ShowAndActivate();
        // The settings folder is a plain file: nothing can be stored, and the file says nothing.
        QDir(f.configDir.filePath(QStringLiteral("zentavo"))).removeRecursively();
        QFile blocker(f.configDir.filePath(QStringLiteral("zentavo")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY_THROWS_EXCEPTION(std::exception, Item(f, "ShowChannelswindowwhenstartup1")->trigger());
        QVERIFY(!Item(f, "ShowChannelswindowwhenstartup1")->isChecked());
    }

    void preferencesShowTheOptionAndOkStoresTheBox()
    {
        ShellFixture f;
        f.ShowAndActivate();
        Item(f, "ShowChannelswindowwhenstartup1")->trigger(); // on, stored "1"
        auto* box = f.preferences->findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
        QCOMPARE(box->text(), QStringLiteral(" Show Channels window when &start-up."));

        f.preferences->show();
        QVERIFY(box->isChecked());
        box->setChecked(false);
        f.preferences->findChild<QPushButton*>(QStringLiteral("Button2"))->click(); // Cancel
        QVERIFY(!f.preferences->isVisible());
        QCOMPARE(f.settings.ReadChannelStart(), QStringLiteral("1"));
        QVERIFY(Item(f, "ShowChannelswindowwhenstartup1")->isChecked());

        f.preferences->show();
        QVERIFY(box->isChecked());
        box->setChecked(false);
        f.preferences->findChild<QPushButton*>(QStringLiteral("Button1"))->click(); // OK
        QVERIFY(!f.preferences->isVisible());
        QCOMPARE(f.settings.ReadChannelStart(), QStringLiteral("0"));
        QVERIFY(!Item(f, "ShowChannelswindowwhenstartup1")->isChecked());
    }

    void showControlBarActsOnTheBarOfTheMode()
    {
        ShellFixture f;
        f.ShowAndActivate();
        auto* toolbar = Child<>(f, "ToolBar_player");
        auto* foto = Child<>(f, "Panel_foto");
        QAction* item = Item(f, "Showcontrol1");
        item->trigger();
        QVERIFY(toolbar->isHidden());
        QVERIFY(!item->isChecked());
        item->trigger();
        QVERIFY(!toolbar->isHidden());
        QVERIFY(item->isChecked());

        f.Play(QStringLiteral("3"), QStringLiteral("Cam"));
        QVERIFY(f.form->SnapshotMode());
        QVERIFY(!foto->isHidden());
        QVERIFY(toolbar->isHidden());
        item->trigger();
        QVERIFY(foto->isHidden());
        QVERIFY(toolbar->isHidden());
        QVERIFY(!item->isChecked());

        // A stream channel shows its toolbar although the item stays unchecked; the next click checks it.
        f.Play(QStringLiteral("1"), QStringLiteral("TV"));
        QVERIFY(!toolbar->isHidden());
        QVERIFY(foto->isHidden());
        QVERIFY(!item->isChecked());
        item->trigger();
        QVERIFY(!toolbar->isHidden());
        QVERIFY(item->isChecked());
    }

    void playingAStreamChannelSetsUpTheToolbar()
    {
        ShellFixture f;
        f.ShowAndActivate();
        QSignalSpy started(f.form.get(), &TMainForm::ChannelStarted);
        f.Play(QStringLiteral("1"), QStringLiteral("Channel 1"));
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Zentavo Player - [ Channel 1 ]"));
        QCOMPARE(started.size(), 1);
        QCOMPARE(f.form->CurrentMediaKind(), 0);
        QVERIFY(!f.form->SnapshotMode());
        QVERIFY(!Child<>(f, "ToolBar_player")->isHidden());
        QVERIFY(Child<>(f, "Panel_foto")->isHidden());
        for (const char* name : {"btn_play", "btn_stop", "btn_full", "btn_mute", "JvTrackBar1"})
            QVERIFY2(Child<>(f, name)->isEnabled(), name);
        QVERIFY(Child<QToolButton>(f, "btn_play")->isChecked());
        QVERIFY(!Child<>(f, "Panel_load")->isHidden());
        QVERIFY(f.form->findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());
        QCOMPARE(f.form->findChild<QTimer*>(QStringLiteral("Timer2"))->interval(), 5000);
        QVERIFY(!f.form->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
        QVERIFY(Item(f, "AddthischanneltoMyFavorites1")->isEnabled());
        QCOMPARE(ScratchFiles().size(), 1);
        QVERIFY(!f.form->Page()->url().toString().endsWith(QLatin1String("start.zvo")));

        // The same channel again: a second page file, until the second page has loaded.
        f.Play(QStringLiteral("1"), QStringLiteral("Channel 1"));
        QCOMPARE(ScratchFiles().size(), 2);

        // Timer2 hides the loading indicator once.
        f.form->Timer2Timer();
        QVERIFY(Child<>(f, "Panel_load")->isHidden());
        QVERIFY(!f.form->findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());
    }

    // A play's page file goes once the next page has loaded; the page on show stays, since the
    // webcam refresh loads it again, and so does the last play's page behind the start page.
    void aPlaysPageFileGoesOnceTheNextPageHasLoaded()
    {
        ShellFixture f;
        f.ShowAndActivate();
        QSignalSpy loaded(f.form->Page(), &QWebEnginePage::loadFinished);
        const auto shownFile = [&] { return f.form->Page()->url().fileName(); };

        f.Play(QStringLiteral("3"), QStringLiteral("Cam"));
        QTRY_COMPARE_WITH_TIMEOUT(shownFile(), ScratchFiles().value(0), test::Limit(5000));
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), test::Limit(5000));
        const QStringList cam = ScratchFiles();
        QCOMPARE(cam.size(), 1);

        loaded.clear();
        Child<QPushButton>(f, "BitBtn1")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), test::Limit(5000));
        QCOMPARE(ScratchFiles(), cam);

        for (const char* id : {"1", "2", "1"}) {
            f.Play(QString::fromLatin1(id), QStringLiteral("Channel"));
            QCOMPARE(ScratchFiles().size(), 2);
            QTRY_COMPARE_WITH_TIMEOUT(ScratchFiles().size(), 1, test::Limit(5000));
            QCOMPARE(ScratchFiles().value(0), shownFile());
        }
        const QStringList last = ScratchFiles();
        loaded.clear();
        Child<QToolButton>(f, "btn_stop")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty()
                                     && f.form->Page()->url().toString().endsWith(QLatin1String("start.zvo")),
                                 test::Limit(5000));
        QCOMPARE(ScratchFiles(), last);
    }

    void snapshotChannelStartsTheRefreshEvenWithAutoRefreshCleared()
    {
        ShellFixture f;
        f.ShowAndActivate();
        auto* check = Child<QCheckBox>(f, "CheckBox1");
        auto* timer = f.form->findChild<QTimer*>(QStringLiteral("Timer1"));
        check->setChecked(false);
        QVERIFY(!timer->isActive());
        QVERIFY(!Child<>(f, "JvSpinEdit1")->isEnabled());
        f.Play(QStringLiteral("3"), QStringLiteral("Cam"));
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 30000);
        QCOMPARE(f.form->CurrentMediaKind(), 2);

        Child<QSpinBox>(f, "JvSpinEdit1")->setValue(5);
        QCOMPARE(timer->interval(), 5000);
        check->setChecked(true);
        QVERIFY(timer->isActive());
        QVERIFY(Child<>(f, "JvSpinEdit1")->isEnabled());
        check->setChecked(false);
        QVERIFY(!timer->isActive());

        // A stream channel afterwards hides the snapshot bar and stops the refresh.
        check->setChecked(true);
        f.Play(QStringLiteral("2"), QStringLiteral("Radio"));
        QVERIFY(!timer->isActive());
        QVERIFY(Child<>(f, "Panel_foto")->isHidden());
        QVERIFY(!Child<>(f, "ToolBar_player")->isHidden());
    }

    void unknownKindShowsAnEmptyPageAndLeavesTheBars()
    {
        ShellFixture f;
        f.ShowAndActivate();
        f.Play(QStringLiteral("4"), QStringLiteral("Odd"));
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Zentavo Player - [ Odd ]"));
        QVERIFY(Item(f, "AddthischanneltoMyFavorites1")->isEnabled());
        QVERIFY(!Child<>(f, "btn_play")->isEnabled());
        QVERIFY(Child<>(f, "Panel_load")->isHidden());
        QCOMPARE(ScratchFiles().size(), 1);
    }

    void missingCatalogueShowsTheListFileMessageAndChangesNothing()
    {
        ShellFixture f;
        f.ShowAndActivate();
        QFile::remove(f.DataPath(QStringLiteral("tv-all.xml")));
        QString shownText;
        QTimer closer;
        connect(&closer, &QTimer::timeout, f.form.get(), [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shownText = box->text() + QLatin1Char('|') + box->windowTitle();
                box->close();
            }
        });
        closer.start(50);
        f.Play(QStringLiteral("1"), QStringLiteral("Channel 1"));
        QCOMPARE(
            shownText,
            QStringLiteral("Sorry. The list file error, please reinstall this application.        |Zentavo Player"));
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Zentavo Player"));
        QVERIFY(!Item(f, "AddthischanneltoMyFavorites1")->isEnabled());
        QVERIFY(ScratchFiles().isEmpty());
    }

    // An id the catalogue lacks, and text that cannot be an id at all, fail in their own words.
    void anIdThatFindsNoChannelSaysWhy_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("message");
        QTest::newRow("number the catalogue lacks")
            << QStringLiteral("99") << QStringLiteral("The channel 99 is not in the channel list any more");
        const QString notANumber = QStringLiteral(
            "The channel id '%1' is not a number (digits only, without leading zeros), so it names no channel");
        for (const char* id : {"abc", "1 or 1=1", "01", "-1", ""})
            QTest::newRow(*id ? id : "empty") << QString::fromLatin1(id) << notANumber.arg(QLatin1String(id));
    }
    void anIdThatFindsNoChannelSaysWhy()
    {
        QFETCH(QString, id);
        QFETCH(QString, message);
        ShellFixture f;
        f.ShowAndActivate();
        try {
            f.Play(id, QStringLiteral("Channel"));
            QFAIL("the play did not fail");
        } catch (const std::runtime_error& error) {
            QCOMPARE(QString::fromUtf8(error.what()), message);
        }
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Zentavo Player"));
        QVERIFY(ScratchFiles().isEmpty());
    }

    // A page that cannot be written (here the scratch folder is a link to somewhere else) fails in
    // words before the window changes: the toolbar, title and page of the play before stay.
    void aPageThatCannotBeWrittenLeavesThePlayBefore()
    {
        ShellFixture f;
        f.ShowAndActivate();
        f.Play(QStringLiteral("2"), QStringLiteral("Radio"));
        QTRY_VERIFY_WITH_TIMEOUT(!f.form->Page()->url().toString().endsWith(QLatin1String("start.zvo")),
                                 test::Limit(5000));
        const QUrl radioPage = f.form->Page()->url();

        QTemporaryDir runtime;
        QTemporaryDir elsewhere;
        QVERIFY(QFile::link(elsewhere.path(), runtime.filePath(QStringLiteral("zvoplayer"))));
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        QString message;
        try {
            f.Play(QStringLiteral("3"), QStringLiteral("Cam"));
        } catch (const std::runtime_error& error) {
            message = QString::fromUtf8(error.what());
        }
        qputenv("XDG_RUNTIME_DIR", savedRuntime);

        QVERIFY2(message.contains(runtime.filePath(QStringLiteral("zvoplayer"))), qPrintable(message));
        QVERIFY2(message.contains(QLatin1String("link")), qPrintable(message));
        QVERIFY(QDir(elsewhere.path()).isEmpty());
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Zentavo Player - [ Radio ]"));
        QCOMPARE(f.form->CurrentMediaKind(), 1);
        QVERIFY(!f.form->SnapshotMode());
        QVERIFY(Child<>(f, "Panel_foto")->isHidden());
        QVERIFY(!Child<>(f, "ToolBar_player")->isHidden());
        QVERIFY(!f.form->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
        QCOMPARE(f.form->Page()->url(), radioPage);
    }

    // A channel of the user's own playlists plays from the catalogue that holds it; an id of their
    // range that no playlist holds any more says so, like any other.
    void anOwnChannelPlaysFromItsOwnCatalogue()
    {
        ShellFixture f;
        f.ShowAndActivate();
        const std::string address = "http://127.0.0.1:9/own-channel.mp4";
        PlaylistStore store(f.context.PlaylistsFolder().toStdString());
        ImportedChannel channel;
        channel.name = "Own";
        channel.country = "Testland";
        channel.type2 = "tv";
        channel.url = address;
        store.Add("Mine", "mine.m3u", {channel}, f.context.StreamPassphrase, 1);
        const QString id = QString::number(PreferredOwnId(address));
        f.Play(id, QStringLiteral("Own"));
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Zentavo Player - [ Own ]"));
        QCOMPARE(ScratchFiles().size(), 1);
        QFile page(QDir(ScratchPath()).filePath(ScratchFiles().at(0)));
        QVERIFY(page.open(QIODevice::ReadOnly));
        QVERIFY(page.readAll().contains("own-channel.mp4"));

        store.Remove(store.Playlists().at(0).key);
        try {
            f.Play(id, QStringLiteral("Own"));
            QFAIL("the play did not fail");
        } catch (const std::runtime_error& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("The channel %1 is not in the channel list any more").arg(id));
        }
    }

    void pauseShowsTheStartPageAndTurnsTheControlsOff()
    {
        ShellFixture f;
        f.ShowAndActivate();
        f.Play(QStringLiteral("3"), QStringLiteral("Cam"));
        QSignalSpy stopped(f.form.get(), &TMainForm::PlaybackStopped);
        QSignalSpy loaded(f.form->Page(), &QWebEnginePage::loadFinished);
        f.form->btn_stopClick();
        QCOMPARE(stopped.size(), 1);
        QVERIFY(!Item(f, "AddthischanneltoMyFavorites1")->isEnabled());
        QVERIFY(!Child<>(f, "ToolBar_player")->isHidden());
        QVERIFY(Child<>(f, "Panel_foto")->isHidden());
        for (const char* name : {"btn_play", "btn_stop", "btn_full", "btn_mute", "JvTrackBar1"})
            QVERIFY2(!Child<>(f, name)->isEnabled(), name);
        QVERIFY(!f.form->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
        QVERIFY(f.form->SnapshotMode());
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Zentavo Player - [ Cam ]"));
        QTRY_VERIFY_WITH_TIMEOUT(f.form->Page()->url().toString().endsWith(QLatin1String("start.zvo")),
                                 test::Limit(10000));
    }

    void alwaysOnTopClickedTwiceLeavesTheWindowsNormal()
    {
        ShellFixture f;
        f.ShowAndActivate();
        QAction* item = Item(f, "alwaysontop1");
        item->trigger();
        QVERIFY(item->isChecked());
        QVERIFY(f.form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(f.list->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(f.form->isVisible());
        item->trigger();
        QVERIFY(!item->isChecked());
        QVERIFY(!f.form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!f.list->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(f.form->isVisible());
    }

    void widthAboveThreeHundredFiftyOnly_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("350") << 350 << false;
        QTest::newRow("351") << 351 << true;
        QTest::newRow("100") << 100 << false;
        QTest::newRow("900") << 900 << true;
    }
    void widthAboveThreeHundredFiftyOnly()
    {
        QFETCH(int, width);
        QFETCH(bool, accepted);
        QCOMPARE(TMainForm::FormCanResize(QSize(width, 300)), accepted);
        ShellFixture f;
        f.form->show();
        f.form->resize(width, 300);
        QCOMPARE(f.form->width(), accepted ? width : 351);
    }

    void rightButtonPressAndDoubleClickNeverArrive()
    {
        ShellFixture f;
        f.ShowAndActivate();
        auto* view = Child<QWebEngineView>(f, "WebBrowser1");
        QTRY_VERIFY_WITH_TIMEOUT(view->focusProxy() != nullptr, test::Limit(10000));
        for (QWidget* target : {view->focusProxy(), static_cast<QWidget*>(f.list.get())}) {
            MouseRecorder recorder;
            target->installEventFilter(&recorder);
            QTest::mousePress(target, Qt::RightButton, {}, QPoint(20, 20));
            QTest::mouseRelease(target, Qt::RightButton, {}, QPoint(20, 20));
            QTest::mouseDClick(target, Qt::RightButton, {}, QPoint(20, 20));
            QTest::mousePress(target, Qt::LeftButton, {}, QPoint(20, 20));
            QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(20, 20));
            target->removeEventFilter(&recorder);
            for (const auto& [type, button] : recorder.seen) {
                if (button == Qt::RightButton)
                    QCOMPARE(type, QEvent::MouseButtonRelease);
                QVERIFY(type != QEvent::ContextMenu);
            }
            QVERIFY(recorder.seen.contains(qMakePair(QEvent::MouseButtonRelease, Qt::RightButton)));
            QVERIFY(recorder.seen.contains(qMakePair(QEvent::MouseButtonPress, Qt::LeftButton)));
        }
    }

    void homePageFallsBackToAFixedBrowser_data()
    {
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<int>("calls");
        QTest::newRow("default handler works") << QList<bool>{true} << 1;
        QTest::newRow("x-www-browser") << QList<bool>{false, true} << 2;
        QTest::newRow("firefox, silently") << QList<bool>{false, false, false} << 3;
    }
    void homePageFallsBackToAFixedBrowser()
    {
        QFETCH(QList<bool>, answers);
        QFETCH(int, calls);
        ShellFixture f;
        f.browser.answers = answers;
        Item(f, "Homepage1")->trigger();
        const QString address = QString::fromLatin1(kHomePageUrl);
        const QStringList expected{QStringLiteral("open ") + address, QStringLiteral("x-www-browser ") + address,
                                   QStringLiteral("firefox ") + address};
        QCOMPARE(f.browser.calls, expected.mid(0, calls));
        QVERIFY(ReportedErrors().isEmpty());
    }

    void aboutBoxClosesOnAPictureClickNotOnALabel()
    {
        ShellFixture f;
        f.ShowAndActivate();
        QString status;
        bool labelClickClosed = true;
        QTimer clicker;
        connect(&clicker, &QTimer::timeout, f.form.get(), [&] {
            auto* about = qobject_cast<TSplashForm*>(QApplication::activeModalWidget());
            if (!about || !about->isVisible())
                return;
            clicker.stop();
            status = about->findChild<QLabel*>(QStringLiteral("Label3"))->text();
            QTest::mouseClick(about->findChild<QLabel*>(QStringLiteral("Label4")), Qt::LeftButton);
            QTest::keyClick(about, Qt::Key_Escape);
            labelClickClosed = !about->isVisible();
            QTest::mouseClick(about->findChild<QLabel*>(QStringLiteral("Image1")), Qt::LeftButton, {}, QPoint(20, 20));
        });
        clicker.start(50);
        Item(f, "About1")->trigger(); // modal until the picture is clicked
        QCOMPARE(status, QStringLiteral("About ..."));
        QVERIFY2(!labelClickClosed, "a click on a label or Esc closed the About box");

        TSplashForm splash;
        QCOMPARE(splash.findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("Initializing files ..."));
        QCOMPARE(splash.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Version: 1.0"));
        QCOMPARE(splash.size(), QSize(435, 150));
        QCOMPARE(splash.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().size(), QSize(435, 149));
    }

    void preferencesIgnoreEnterAndEsc()
    {
        ShellFixture f;
        f.ShowAndActivate();
        f.form->SetShowChannelsAtStartup(false);
        bool stayedOpen = false;
        QTimer presser;
        connect(&presser, &QTimer::timeout, f.form.get(), [&] {
            auto* dialog = qobject_cast<TPreferenceForm*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            presser.stop();
            dialog->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(true);
            for (const char* button : {"Button1", "Button2"}) {
                dialog->findChild<QPushButton*>(QLatin1String(button))->setFocus();
                for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                    QTest::keyClick(dialog, key);
            }
            stayedOpen = dialog->isVisible();
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
        });
        presser.start(50);
        Item(f, "Preferences1")->trigger(); // modal until Cancel
        QVERIFY2(stayedOpen, "Enter or Esc closed the preferences dialog");
        QVERIFY(!f.form->ShowChannelsAtStartup()); // nothing was stored by a key
    }

    void closingClearsTheScratchFolder()
    {
        ShellFixture f;
        f.ShowAndActivate();
        f.Play(QStringLiteral("1"), QStringLiteral("Channel 1"));
        QCOMPARE(ScratchFiles().size(), 1);
        f.form->close();
        QVERIFY(!QDir(ScratchPath()).exists());
    }

    void volumeTextFollowsTheKindsScale_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("windowsMedia");
        QTest::addColumn<QString>("real");
        QTest::newRow("0") << 0 << "-2000"
                           << "0";
        QTest::newRow("50") << 50 << "-1000"
                            << "50";
        QTest::newRow("99") << 99 << "-20"
                            << "99";
        QTest::newRow("100") << 100 << "0"
                             << "100";
    }
    void volumeTextFollowsTheKindsScale()
    {
        QFETCH(int, position);
        QFETCH(QString, windowsMedia);
        QFETCH(QString, real);
        QCOMPARE(PageVolumeText(position, 0), windowsMedia);
        QCOMPARE(PageVolumeText(position, 1), real);
    }
};

int main(int argc, char** argv)
{
    MainFormTest test;
    return RunShellTest(test, argc, argv);
}

#include "test_main_form.moc"
