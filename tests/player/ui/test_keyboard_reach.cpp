// The keyboard reaches every control: Tab pressed through the channel list window, the Preferences
// dialog, the Add playlist and Manage playlists dialogs and the text dialogs goes round their controls in reading order,
// and the keys people expect work there (Alt with a label's letter, Enter on a list row, Esc).
#include "channels/ui/channel_list_view.h"
#include "shell_fixture.h"

#include "channels/ui/add_playlist_dialog.h"
#include "player/ui/text_dialog.h"
#include "tests/support/waits.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace zentavo;

namespace {

// The name of the widget that has the keyboard: its object name, or its parent's for Qt's own
// inner widgets (the tab bar of a tab widget).
QString FocusName()
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return QStringLiteral("(none)");
    if (qobject_cast<QTabBar*>(focus) && focus->parentWidget())
        return focus->parentWidget()->objectName();
    if (focus->objectName().isEmpty())
        if (auto* button = qobject_cast<QAbstractButton*>(focus))
            return button->text().remove(QLatin1Char('&'));
    return focus->objectName();
}

// Presses Tab `presses` times in the window and returns where the keyboard was after each press,
// beginning with where it was at the start.
QStringList TabRound(QWidget* window, int presses)
{
    QStringList names{FocusName()};
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Tab);
        names << FocusName();
    }
    return names;
}

bool Activate(QWidget* window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window, test::Limit(5000));
}

} // namespace

class KeyboardReachTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        f_ = std::make_unique<ShellFixture>();
        f_->ShowAndActivate();
    }
    void cleanup() { f_.reset(); }

    void tabGoesRoundTheChannelListInReadingOrder()
    {
        TListForm& list = *f_->list;
        QVERIFY(Activate(&list));
        auto* search = list.findChild<QLineEdit*>(QStringLiteral("Edit_search"));
        search->setFocus(Qt::OtherFocusReason);
        // A row chosen with the keyboard: the play button can be reached.
        QTest::keyClick(search, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        auto* tv = list.findChild<ChannelListView*>(QStringLiteral("ListView1"));
        QTRY_VERIFY_WITH_TIMEOUT(tv->hasFocus(), test::Limit(2000));
        // The lists are read on a thread of their own when the window first shows.
        QTRY_VERIFY_WITH_TIMEOUT(tv->model()->rowCount() > 0, test::Limit(10000));
        QTest::keyClick(tv, Qt::Key_Down);
        QVERIFY(tv->selectionModel()->hasSelection());
        search->setFocus(Qt::OtherFocusReason);
        QCOMPARE(TabRound(&list, 6),
                 (QStringList{QStringLiteral("Edit_search"), QStringLiteral("PageControl1"),
                              QStringLiteral("ListView1"), QStringLiteral("RadioButton1"), QStringLiteral("Button3"),
                              QStringLiteral("ChannelsButton"), QStringLiteral("Edit_search")}));
        // The video size choice: the arrows move between its two buttons.
        list.findChild<QWidget*>(QStringLiteral("RadioButton1"))->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(FocusName(), QStringLiteral("RadioButton2"));
        QVERIFY(!list.OriginalSizeChosen());
        // On the tab bar, the arrows go to the next list.
        search->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(search, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(list.CurrentTab(), ChannelTab::Radio);
        list.hide();
    }

    void tabGoesRoundPreferencesWithTheOptionsFirst()
    {
        QDialog& preferences = *f_->preferences;
        QVERIFY(Activate(&preferences));
        preferences.findChild<QWidget*>(QStringLiteral("CheckBox1"))->setFocus(Qt::OtherFocusReason);
        QCOMPARE(TabRound(&preferences, 4),
                 (QStringList{QStringLiteral("CheckBox1"), QStringLiteral("CheckBox2"), QStringLiteral("Button1"),
                              QStringLiteral("Button2"), QStringLiteral("CheckBox1")}));
        // Space on an option turns it.
        auto* option = preferences.findChild<QAbstractButton*>(QStringLiteral("CheckBox2"));
        const bool before = option->isChecked();
        QTest::keyClick(option, Qt::Key_Space);
        QCOMPARE(option->isChecked(), !before);
        preferences.hide();
    }

    void addPlaylistIsFilledFromTheKeyboard()
    {
        AddPlaylistDialog dialog(f_->form.get());
        QVERIFY(Activate(&dialog));
        // Alt with the underlined letters of the labels goes to their fields.
        QTest::keyClick(dialog.windowHandle(), Qt::Key_N, Qt::AltModifier);
        QCOMPARE(FocusName(), QStringLiteral("NameEdit"));
        QTest::keyClick(dialog.windowHandle(), Qt::Key_A, Qt::AltModifier);
        QCOMPARE(FocusName(), QStringLiteral("SourceEdit"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("http://127.0.0.1:9/list.m3u"));
        QCOMPARE(TabRound(&dialog, 6),
                 (QStringList{QStringLiteral("SourceEdit"), QStringLiteral("BrowseButton"), QStringLiteral("NameEdit"),
                              QStringLiteral("TypeCombo"), QStringLiteral("Add"), QStringLiteral("Cancel"),
                              QStringLiteral("SourceEdit")}));
        // Enter adds, from whichever field has the keyboard.
        dialog.findChild<QWidget*>(QStringLiteral("NameEdit"))->setFocus(Qt::OtherFocusReason);
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(dialog.Source(), QStringLiteral("http://127.0.0.1:9/list.m3u"));
    }

    void managePlaylistsIsUsedAndClosedFromTheKeyboard()
    {
        QStringList round;
        bool closed = false;
        QTimer driver;
        connect(&driver, &QTimer::timeout, f_->form.get(), [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != QLatin1String("PlaylistsDialog") || !dialog->isActiveWindow())
                return;
            driver.stop();
            round = TabRound(dialog, 2);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            closed = !dialog->isVisible();
        });
        driver.start(20);
        f_->form->findChild<QAction*>(QStringLiteral("ManagePlaylists1"))->trigger();
        QVERIFY(closed);
        // Without playlists, Refresh and Remove are off: the table and Close take turns.
        QCOMPARE(
            round,
            (QStringList{QStringLiteral("PlaylistTable"), QStringLiteral("Close"), QStringLiteral("PlaylistTable")}));
    }

    void aTextDialogIsReadAndClosedFromTheKeyboard()
    {
        QString copied;
        bool closed = false;
        QTimer driver;
        connect(&driver, &QTimer::timeout, f_->form.get(), [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isActiveWindow())
                return;
            driver.stop();
            // The text has the keyboard: select all, then Esc closes.
            QCOMPARE(FocusName(), QStringLiteral("SomeText"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            copied = QApplication::focusWidget()->inputMethodQuery(Qt::ImCurrentSelection).toString();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            closed = true;
        });
        driver.start(20);
        ShowTextDialog(f_->form.get(), QStringLiteral("SomeDialog"), QStringLiteral("SomeText"), QStringLiteral("Some"),
                       QStringLiteral("first line\nsecond line\n"));
        QVERIFY(closed);
        QCOMPARE(copied.simplified(), QStringLiteral("first line second line"));
    }

private:
    std::unique_ptr<ShellFixture> f_;
};

int main(int argc, char** argv)
{
    KeyboardReachTest test;
    return RunShellTest(test, argc, argv);
}

#include "test_keyboard_reach.moc"
