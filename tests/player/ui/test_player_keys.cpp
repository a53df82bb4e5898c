// The main window's own keys, pressed through the window with the web view holding the keyboard:
// a table of keys and what the user then sees (title, full screen, mute button, volume slider,
// the open menu); channel up and down through the list a channel was played from, in its order and
// search filter; back to the last channel; Help > Keyboard naming every key, none bound twice; and
// what the window remembers across a restart (volume, mute, place, the last channel).
#include "channels/ui/channel_list_view.h"
#include "shell_fixture.h"

#include "player/ui/player_keys.h"
#include "tests/support/waits.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>
#include <QWindow>
#include <memory>

using namespace zentavo;

namespace {

constexpr int kPageLimitMs = 20000;

// The number of the channel the window title names ("Channel 5" gives "5"); empty for none.
QString TitleChannel(const ShellFixture& f)
{
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Zentavo Player - \\[ .*Channel (\\d+).* \\]$"))
            .match(f.form->windowTitle());
    return match.hasMatch() ? match.captured(1) : QString();
}

// Opens the list window from the menu item, types the search text and plays the row of that id
// with Enter, as the user would.
void PlayFromList(ShellFixture& f, const char* menuItem, const char* listName, const QString& id,
                  const QString& search = {})
{
    QTimer picker;
    QObject::connect(&picker, &QTimer::timeout, f.list.get(), [&] {
        auto* view = f.list->findChild<ChannelListView*>(QLatin1String(listName));
        // The lists are read on a thread of their own when the main window first shows.
        if (!f.list->isVisible() || view->model()->rowCount() == 0)
            return;
        picker.stop();
        f.list->findChild<QLineEdit*>(QStringLiteral("Edit_search"))->setText(search);
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            if (view->model()->index(row, 1).data().toString() == id) {
                view->setCurrentIndex(view->model()->index(row, 0));
                view->setFocus();
                QTest::keyClick(view, Qt::Key_Return);
                return;
            }
        }
        f.list->close(); // not found: the title check fails
    });
    picker.start(20);
    f.form->findChild<QAction*>(QLatin1String(menuItem))->trigger(); // modal until the play closes it
    picker.stop();
}

// Waits until the page shows the player elements of a stream page (the play's page has loaded).
void WaitForPlayerElements(ShellFixture& f)
{
    // 0: no question out, 1: asked, 2: found. Asked again after each answer that finds none.
    const auto state = std::make_shared<int>(0);
    const auto found = [&f, state] {
        if (*state == 0) {
            *state = 1;
            f.form->Page()->runJavaScript(QStringLiteral("document.getElementsByName('HTML_Sound').length"),
                                          [state](const QVariant& count) { *state = count.toInt() > 0 ? 2 : 0; });
        }
        return *state == 2;
    };
    QTRY_VERIFY_WITH_TIMEOUT(found(), test::Limit(kPageLimitMs));
}

// The window active and the web view holding the keyboard, as after a click on the picture.
void FocusThePage(ShellFixture& f)
{
    f.form->activateWindow();
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeWindow() == f.form.get(), test::Limit(5000));
    auto* view = f.form->findChild<QWebEngineView*>(QStringLiteral("WebBrowser1"));
    view->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::focusWidget() && view->isAncestorOf(QApplication::focusWidget()),
                             test::Limit(5000));
}

// Through the window system's way in, so that shortcuts and the focused page see it as a real key.
void Press(ShellFixture& f, int key, int modifiers = 0)
{
    QTest::keyClick(f.form->windowHandle(), static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
}

// What the user sees of one thing.
QString Seen(ShellFixture& f, const QString& what)
{
    if (what == QLatin1String("channel"))
        return TitleChannel(f);
    if (what == QLatin1String("full screen"))
        return f.form->PlayerFillsScreen() && f.form->isFullScreen() ? QStringLiteral("on") : QStringLiteral("off");
    if (what == QLatin1String("mute"))
        return f.form->findChild<QToolButton*>(QStringLiteral("btn_mute"))->isChecked() ? QStringLiteral("on")
                                                                                        : QStringLiteral("off");
    if (what == QLatin1String("volume"))
        return QString::number(f.form->findChild<QSlider*>(QStringLiteral("JvTrackBar1"))->value());
    if (what == QLatin1String("open menu")) {
        QWidget* popup = QApplication::activePopupWidget();
        return popup ? popup->objectName() : QString();
    }
    return QStringLiteral("?");
}

} // namespace

class PlayerKeysTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ReportedErrors().clear(); }

    void keysDoWhatTheyAreListedFor_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("seen");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        // The TV list is 1, 4, 5, 6; channel 5 played, then channel 1, the volume at 50.
        QTest::newRow("Page Down: next in the list") << int(Qt::Key_PageDown) << 0 << "channel"
                                                     << "1"
                                                     << "4";
        QTest::newRow("Page Up: previous, wrapping") << int(Qt::Key_PageUp) << 0 << "channel"
                                                     << "1"
                                                     << "6";
        QTest::newRow("Backspace: the last channel") << int(Qt::Key_Backspace) << 0 << "channel"
                                                     << "1"
                                                     << "5";
        QTest::newRow("F11: full screen") << int(Qt::Key_F11) << 0 << "full screen"
                                          << "off"
                                          << "on";
        QTest::newRow("F: full screen") << int(Qt::Key_F) << 0 << "full screen"
                                        << "off"
                                        << "on";
        QTest::newRow("F11 again: back") << int(Qt::Key_F11) << 0 << "full screen"
                                         << "on"
                                         << "off";
        QTest::newRow("Esc: back") << int(Qt::Key_Escape) << 0 << "full screen"
                                   << "on"
                                   << "off";
        QTest::newRow("M: mute") << int(Qt::Key_M) << 0 << "mute"
                                 << "off"
                                 << "on";
        QTest::newRow("Up: louder") << int(Qt::Key_Up) << 0 << "volume"
                                    << "50"
                                    << "55";
        QTest::newRow("Down: quieter") << int(Qt::Key_Down) << 0 << "volume"
                                       << "50"
                                       << "45";
        QTest::newRow("Ctrl+Up: louder") << int(Qt::Key_Up) << int(Qt::ControlModifier) << "volume"
                                         << "50"
                                         << "55";
        QTest::newRow("Ctrl+Down: quieter") << int(Qt::Key_Down) << int(Qt::ControlModifier) << "volume"
                                            << "50"
                                            << "45";
        QTest::newRow("F10: the menu bar") << int(Qt::Key_F10) << 0 << "open menu"
                                           << ""
                                           << "Channels1";
    }
    void keysDoWhatTheyAreListedFor()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, seen);
        QFETCH(QString, before);
        QFETCH(QString, after);
        ShellFixture f;
        f.AddChannel(5, "tv", 0, QStringLiteral("http://127.0.0.1:9/five.mp4"));
        f.AddChannel(6, "tv", 0, QStringLiteral("http://127.0.0.1:9/six.mp4"));
        f.ShowAndActivate();
        PlayFromList(f, "V1", "ListView1", QStringLiteral("5"));
        PlayFromList(f, "V1", "ListView1", QStringLiteral("1"));
        QCOMPARE(TitleChannel(f), QStringLiteral("1"));
        WaitForPlayerElements(f);
        f.form->SetVolumePosition(50);
        if (seen == QLatin1String("full screen") && before == QLatin1String("on")) {
            f.form->ToggleFullScreen();
            QTRY_COMPARE_WITH_TIMEOUT(Seen(f, seen), before, test::Limit(10000));
        }
        FocusThePage(f);
        QCOMPARE(Seen(f, seen), before);

        Press(f, key, modifiers);
        QTRY_COMPARE_WITH_TIMEOUT(Seen(f, seen), after, test::Limit(10000));
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        QVERIFY2(ReportedErrors().isEmpty(), qPrintable(ReportedErrors().join(u'\n')));
    }

    // With nothing playing, the keys of the player change nothing and ask the start page for
    // nothing (it has no player elements, which would be reported).
    void playerKeysOnTheStartPageDoNothing()
    {
        ShellFixture f;
        QSignalSpy loaded(f.form->Page(), &QWebEnginePage::loadFinished);
        f.ShowAndActivate();
        QVERIFY(loaded.wait(test::Limit(kPageLimitMs)) || !loaded.isEmpty());
        FocusThePage(f);
        for (const Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Backspace, Qt::Key_M, Qt::Key_Up})
            Press(f, key);
        QVERIFY(test::StaysFor(std::chrono::milliseconds(1000), [&] {
            return f.form->windowTitle() == QLatin1String("Zentavo Player")
                && Seen(f, QStringLiteral("volume")) == QLatin1String("100")
                && Seen(f, QStringLiteral("mute")) == QLatin1String("off") && ReportedErrors().isEmpty();
        }));
    }

    // Channel up and down go by the rows the list showed when the channel was played: its search
    // filter leaves channels out, and the ends wrap around. A channel played from no list (here by
    // its id) has no list to go by; after Pause nothing plays to step from, and Backspace plays the
    // channel paused.
    void channelUpAndDownGoByTheListItWasPlayedFrom()
    {
        ShellFixture f;
        for (const int id : {5, 10, 11})
            f.AddChannel(id, "tv", 0, QStringLiteral("http://127.0.0.1:9/%1.mp4").arg(id));
        f.ShowAndActivate();
        // "1" finds channels 1, 10 and 11 of the TV list 1, 4, 5, 10, 11.
        PlayFromList(f, "V1", "ListView1", QStringLiteral("10"), QStringLiteral("1"));
        QCOMPARE(TitleChannel(f), QStringLiteral("10"));
        FocusThePage(f);
        QStringList seen;
        for (const Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp,
                                  Qt::Key_Backspace, Qt::Key_Backspace}) {
            Press(f, key);
            seen << TitleChannel(f);
        }
        QCOMPARE(seen,
                 (QStringList{QStringLiteral("11"), QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("1"),
                              QStringLiteral("10"), QStringLiteral("1")}));
        // Ctrl+D adds the channel reached by a key.
        QCOMPARE(f.context.CurrentChannelId, QStringLiteral("1"));

        f.form->findChild<QToolButton*>(QStringLiteral("btn_stop"))->click();
        QVERIFY(!f.form->CanStepChannels());
        QTRY_VERIFY_WITH_TIMEOUT(f.form->Page()->url().toString().endsWith(QLatin1String("start.zvo")),
                                 test::Limit(kPageLimitMs));
        Press(f, Qt::Key_PageDown);
        QVERIFY(test::StaysFor(std::chrono::milliseconds(500),
                               [&] { return f.form->Page()->url().toString().endsWith(QLatin1String("start.zvo")); }));
        Press(f, Qt::Key_Backspace);
        QCOMPARE(TitleChannel(f), QStringLiteral("1"));
        QVERIFY(f.form->CanStepChannels());

        f.Play(QStringLiteral("5"), QStringLiteral("Channel 5"));
        QVERIFY(!f.form->CanStepChannels());
        Press(f, Qt::Key_PageDown);
        QCOMPARE(TitleChannel(f), QStringLiteral("5"));
        QVERIFY2(ReportedErrors().isEmpty(), qPrintable(ReportedErrors().join(u'\n')));
    }

    // Help > Keyboard lists every key the window answers to, its own and the menu items'; no key
    // is bound to two things.
    void keyboardListNamesEveryKeyOnce()
    {
        ShellFixture f;
        f.ShowAndActivate();
        QList<QKeySequence> bound;
        for (const QShortcut* shortcut : f.form->findChildren<QShortcut*>())
            bound << shortcut->key();
        for (const QAction* action : f.form->findChildren<QAction*>()) {
            if (!action->shortcut().isEmpty())
                bound << action->shortcut();
        }
        QSet<QString> distinct;
        for (const QKeySequence& key : bound)
            distinct.insert(key.toString(QKeySequence::PortableText));
        QCOMPARE(distinct.size(), bound.size());
        for (const char* key : {"PgDown", "PgUp", "Backspace", "F11", "F", "Esc", "M", "Up", "Down", "Ctrl+Up",
                                "Ctrl+Down", "F10", "Ctrl+T", "Ctrl+R", "Ctrl+W", "Ctrl+F", "Ctrl+D"})
            QVERIFY2(distinct.contains(QLatin1String(key)), key);

        QString listed;
        QString title;
        QTimer reader;
        connect(&reader, &QTimer::timeout, f.form.get(), [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != QLatin1String("KeyboardDialog"))
                return;
            title = dialog->windowTitle();
            listed = dialog->findChild<QPlainTextEdit*>(QStringLiteral("KeyList"))->toPlainText();
            dialog->reject();
        });
        reader.start(20);
        QAction* item = f.form->findChild<QAction*>(QStringLiteral("Keyboard1"));
        QVERIFY(f.form->findChild<QMenu*>(QStringLiteral("Help1"))->actions().contains(item));
        item->trigger();
        QCOMPARE(title, QStringLiteral("Keyboard"));
        const QStringList lines = listed.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QKeySequence& key : bound) {
            const QString name = key.toString(QKeySequence::NativeText);
            const bool named = std::any_of(lines.begin(), lines.end(), [&name](const QString& line) {
                return line.section(QLatin1String("  "), 0, 0).split(QStringLiteral(", ")).contains(name);
            });
            QVERIFY2(named, qPrintable(name + QStringLiteral(" missing from:\n") + listed));
        }
        QVERIFY2(listed.contains(QLatin1String("Add this channel to My Favorites")), qPrintable(listed));
    }

    // The volume, mute, the window's place and the last channel come back after a restart; the
    // last channel plays only with the Preferences option on, which is off at first.
    void rememberedValuesComeBackAfterARestart()
    {
        ShellFixture f;
        f.AddChannel(5, "tv", 0, QStringLiteral("http://127.0.0.1:9/five.mp4"));
        f.ShowAndActivate();
        auto* playLast = f.preferences->findChild<QCheckBox*>(QStringLiteral("CheckBox2"));
        QCOMPARE(playLast->text(), QStringLiteral(" Play the &last channel at start-up."));
        f.preferences->show();
        QVERIFY(!playLast->isChecked());
        playLast->setChecked(true);
        f.preferences->findChild<QPushButton*>(QStringLiteral("Button1"))->click(); // OK
        QVERIFY(f.form->PlayLastChannelAtStartup());

        PlayFromList(f, "V1", "ListView1", QStringLiteral("5"));
        WaitForPlayerElements(f);
        FocusThePage(f);
        for (int i = 0; i < 4; ++i)
            Press(f, Qt::Key_Down); // 80
        Press(f, Qt::Key_M);
        QTRY_COMPARE_WITH_TIMEOUT(Seen(f, QStringLiteral("mute")), QStringLiteral("on"), test::Limit(10000));
        const QRect available = f.form->screen()->availableGeometry();
        const QRect place(available.x() + 40, available.y() + 30, 600, 420);
        f.form->setGeometry(place);
        QTRY_COMPARE_WITH_TIMEOUT(f.form->geometry(), place, test::Limit(5000));

        f.Restart();
        QCOMPARE(f.form->geometry(), place);
        f.ShowAndActivate();
        QCOMPARE(Seen(f, QStringLiteral("volume")), QStringLiteral("80"));
        QCOMPARE(Seen(f, QStringLiteral("mute")), QStringLiteral("on"));
        QTRY_COMPARE_WITH_TIMEOUT(TitleChannel(f), QStringLiteral("5"), test::Limit(kPageLimitMs));
        // It plays as from its list: channel up and down work at once.
        QVERIFY(f.form->CanStepChannels());
        QVERIFY2(ReportedErrors().isEmpty(), qPrintable(ReportedErrors().join(u'\n')));

        // The stored option keeps what Preferences' OK stored, beside the new keys of its group.
        const QSettings ini(f.settings.FilePath(), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("Software/Zentavo/channel-start")).toString(), QStringLiteral("0"));
        QCOMPARE(ini.value(QStringLiteral("Software/Zentavo/last-channel-id")).toString(), QStringLiteral("5"));
        QCOMPARE(ini.value(QStringLiteral("Software/Zentavo/play-last-channel")).toString(), QStringLiteral("1"));
    }

    // A last channel the lists no longer hold and a place no screen shows are passed over without a
    // word: the start page stays and the window comes up centred as on a first run.
    void rememberedValuesThatNoLongerFitAreSkipped()
    {
        ShellFixture f;
        const QRect fresh = f.form->geometry();
        f.settings.WriteChannelStart(false);
        f.form->SetPlayLastChannelAtStartup(true);
        {
            QSettings ini(f.settings.FilePath(), QSettings::IniFormat);
            ini.setValue(QStringLiteral("Software/Zentavo/last-channel-id"), QStringLiteral("99"));
            ini.setValue(QStringLiteral("Software/Zentavo/last-channel-name"), QStringLiteral("Channel 99"));
            ini.setValue(QStringLiteral("Software/Zentavo/window-geometry"), QStringLiteral("-9000 -9000 600 420"));
            ini.setValue(QStringLiteral("Software/Zentavo/volume"), QStringLiteral("loud"));
        }
        f.Restart();
        QCOMPARE(f.form->geometry(), fresh);
        QSignalSpy loaded(f.form->Page(), &QWebEnginePage::loadFinished);
        f.ShowAndActivate();
        QVERIFY(loaded.wait(test::Limit(kPageLimitMs)) || !loaded.isEmpty());
        QVERIFY(test::StaysFor(std::chrono::milliseconds(1000), [&] {
            return f.form->windowTitle() == QLatin1String("Zentavo Player") && ReportedErrors().isEmpty()
                && QApplication::activeModalWidget() == nullptr;
        }));
        QCOMPARE(Seen(f, QStringLiteral("volume")), QStringLiteral("100"));
        const QSettings ini(f.settings.FilePath(), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("Software/Zentavo/channel-start")).toString(), QStringLiteral("0"));
    }
};

int main(int argc, char** argv)
{
    PlayerKeysTest test;
    return RunShellTest(test, argc, argv);
}

#include "test_player_keys.moc"
