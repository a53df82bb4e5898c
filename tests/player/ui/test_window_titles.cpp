// What the desktop shows: the titles of the real windows and boxes as the X server holds them
// (_NET_WM_NAME, read with xprop under Xvfb), and the texts, buttons and icons of the real question
// and input dialogs of the favourites commands; text from outside shown as written in them.
#include "shell_fixture.h"

#include "app/startup.h"
#include "app/zentavo_application.h"
#include "channels/ui/dialog_prompts.h"
#include "tests/support/waits.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <optional>

using namespace zentavo;

namespace {

// _NET_WM_NAME of a window as the window manager reads it; empty when the property is missing.
QString NetWmName(const QWidget* window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window->winId()), QStringLiteral("-notype"),
                 QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(10000) || xprop.exitStatus() != QProcess::NormalExit || xprop.exitCode() != 0)
        qFatal("xprop did not run (install x11-utils): %s", xprop.readAllStandardError().constData());
    // _NET_WM_NAME = "text"
    const QString line = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype first = line.indexOf(QLatin1Char('"'));
    const qsizetype last = line.lastIndexOf(QLatin1Char('"'));
    if (first < 0 || last <= first)
        return {};
    return line.mid(first + 1, last - first - 1);
}

// Runs `inspect` on the modal dialog that `open` brings up, then closes it through `close`.
template <typename Dialog>
void WhileModal(const std::function<void()>& open, const std::function<void(Dialog*)>& inspect,
                const std::function<void(Dialog*)>& close)
{
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || !QTest::qWaitForWindowExposed(dialog, 100))
            return;
        poll.stop();
        seen = true;
        inspect(dialog);
        close(dialog);
    });
    poll.start(50);
    QTimer::singleShot(15000, &poll, [&] {
        // A dialog that never came up must not hang the test.
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    open();
    QVERIFY2(seen, "the dialog did not come up");
}

} // namespace

class WindowTitlesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        // The program's own names, as the player sets them at start-up.
        ZentavoApplication::SetIdentity();
    }

    void windowsShowTheirCaptionsExactly()
    {
        ShellFixture f;
        f.ShowAndActivate();
        QTRY_COMPARE_WITH_TIMEOUT(NetWmName(f.form.get()), QStringLiteral("Zentavo Player"), test::Limit(10000));
        f.Play(QStringLiteral("1"), QStringLiteral("Channel 1"));
        QTRY_COMPARE_WITH_TIMEOUT(NetWmName(f.form.get()), QStringLiteral("Zentavo Player - [ Channel 1 ]"),
                                  test::Limit(10000));

        f.list->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.list.get()));
        QCOMPARE(NetWmName(f.list.get()), QStringLiteral("Channels ..."));
        f.list->close();

        f.preferences->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.preferences.get()));
        QCOMPARE(NetWmName(f.preferences.get()), QStringLiteral("Preferences ..."));
        f.preferences->close();
    }

    void boxesShowTheirCaptionsExactly()
    {
        QString failureTitle;
        WhileModal<QMessageBox>([] { ShowStartupFailureBox(QStringLiteral("Sorry, this program cannot run here.")); },
                                [&](QMessageBox* box) { failureTitle = NetWmName(box); },
                                [](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
        QCOMPARE(failureTitle, QStringLiteral("Application Error"));

        QString errorTitle;
        QString errorText;
        const ErrorReporter errors; // the real error box
        WhileModal<QMessageBox>([&] { errors.Report(QStringLiteral("Something went wrong")); },
                                [&](QMessageBox* box) {
                                    errorTitle = NetWmName(box);
                                    errorText = box->text();
                                    QCOMPARE(box->icon(), QMessageBox::Critical);
                                },
                                [](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
        QCOMPARE(errorTitle, QStringLiteral("Zentavo Player"));
        QCOMPARE(errorText, QStringLiteral("Something went wrong."));
    }

    // Text from outside (an error's words, the names of left-out rows, a start-up failure) shows as
    // written: the label of the box takes it as plain text however much it looks like markup, and a
    // channel's name in the window title keeps Qt's "[*]" placeholder as written.
    void outsideTextShowsAsWritten()
    {
        const QString markup = QStringLiteral("<h1 style=\"color:red\">Imported 999 channels</h1>"
                                              "<img src=\"file:///etc/hostname\"><a href=\"file:///etc/\">open</a>");
        const ErrorReporter errors;
        DialogPrompts prompts;
        const struct {
            const char* box;
            std::function<void()> open;
            QString shows;
        } cases[] = {
            {"error report", [&] { errors.Report(markup); }, markup + QLatin1Char('.')},
            {"left-out rows", [&] { prompts.ShowLeftOutRows(markup); }, markup},
            {"start-up failure", [&] { ShowStartupFailureBox(markup); }, markup},
        };
        for (const auto& each : cases) {
            QString text;
            Qt::TextFormat format = Qt::AutoText;
            WhileModal<QMessageBox>(
                each.open,
                [&](QMessageBox* box) {
                    const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                    QVERIFY(label);
                    text = label->text();
                    format = label->textFormat();
                },
                [](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
            QVERIFY2(format == Qt::PlainText, each.box);
            QCOMPARE(text, each.shows);
        }

        ShellFixture f;
        f.ShowAndActivate();
        f.Play(QStringLiteral("1"), QStringLiteral("<b>News</b> [*] 24"));
        QTRY_COMPARE_WITH_TIMEOUT(NetWmName(f.form.get()), QStringLiteral("Zentavo Player - [ <b>News</b> [*] 24 ]"),
                                  test::Limit(10000));
    }

    void addQuestionIsAYesNoQuestionBox_data()
    {
        QTest::addColumn<bool>("answerYes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }
    void addQuestionIsAYesNoQuestionBox()
    {
        QFETCH(bool, answerYes);
        DialogPrompts prompts;
        bool answer = !answerYes;
        QString title;
        QString text;
        QList<QMessageBox::StandardButton> buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QAbstractButton* defaultButton = nullptr;
        QAbstractButton* yes = nullptr;
        WhileModal<QMessageBox>(
            [&] { answer = prompts.ConfirmAdd(); },
            [&](QMessageBox* box) {
                title = NetWmName(box);
                text = box->text();
                icon = box->icon();
                for (QAbstractButton* button : box->buttons())
                    buttons << box->standardButton(button);
                defaultButton = box->defaultButton();
                yes = box->button(QMessageBox::Yes);
            },
            [&](QMessageBox* box) { box->button(answerYes ? QMessageBox::Yes : QMessageBox::No)->click(); });
        QCOMPARE(title, QStringLiteral("Zentavo Player"));
        QCOMPARE(text, QStringLiteral("Add this channel to My Favorites ?"));
        QCOMPARE(icon, QMessageBox::Question);
        std::sort(buttons.begin(), buttons.end());
        QCOMPARE(buttons, (QList<QMessageBox::StandardButton>{QMessageBox::Yes, QMessageBox::No}));
        QCOMPARE(defaultButton, yes);
        QCOMPARE(answer, answerYes);
    }

    void commentPromptIsAnInputDialogWithTheOldComment_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void commentPromptIsAnInputDialogWithTheOldComment()
    {
        QFETCH(bool, accept);
        DialogPrompts prompts;
        std::optional<QString> answer;
        QString title;
        QString label;
        QString shown;
        WhileModal<QInputDialog>([&] { answer = prompts.AskComment(QStringLiteral("evening news")); },
                                 [&](QInputDialog* dialog) {
                                     title = NetWmName(dialog);
                                     label = dialog->labelText();
                                     shown = dialog->findChild<QLineEdit*>()->text();
                                     dialog->findChild<QLineEdit*>()->setText(QStringLiteral("late news"));
                                 },
                                 [&](QInputDialog* dialog) {
                                     auto* box = dialog->findChild<QDialogButtonBox*>();
                                     box->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
                                 });
        QCOMPARE(title, QStringLiteral("My Favorites"));
        QCOMPARE(label, QStringLiteral("add new comment:"));
        QCOMPARE(shown, QStringLiteral("evening news"));
        if (accept)
            QCOMPARE(answer, std::optional<QString>(QStringLiteral("late news")));
        else
            QVERIFY(!answer.has_value());
    }
};

int main(int argc, char** argv)
{
    WindowTitlesTest test;
    return RunShellTest(test, argc, argv);
}

#include "test_window_titles.moc"
