// The start-up sequence, run as a child process of this test (one start-up per process):
// the order of its steps, the refusal of a blocked language, the two ways to end, and what the
// player remembers from one run to the next.
#include "app/startup.h"
#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"
#include "player/scratch_folder.h"
#include "player/ui/main_form.h"
#include "player/ui/splash_form.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEnginePage>
#include <cstdio>
#include <cstdlib>

using namespace zentavo;

namespace {

void Say(const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

// Where every player of this user writes its pages.
QString ScratchPath()
{
    return QString::fromStdString(ScratchFolder().Path().string());
}

template <typename T> int VisibleCount()
{
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        count += qobject_cast<T*>(w) && w->isVisible() ? 1 : 0;
    return count;
}

template <typename T> T* Find()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w))
            return t;
    return nullptr;
}

// What a new user may do first: the main window's Channels > Add playlist... and Manage
// playlists..., before the window was ever activated and before the channel list window was ever
// shown. Says the title of each dialog that comes up and whether it is centred on the main window.
void OpenPlaylistDialogsFirst(TMainForm& form)
{
    Say(QStringLiteral("first activation pending: %1").arg(form.FirstActivationPending() ? 1 : 0));
    QTimer dialogs;
    QObject::connect(&dialogs, &QTimer::timeout, &form, [&form] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || qobject_cast<QMessageBox*>(dialog) || !dialog->isVisible())
            return;
        const QPoint offset = dialog->frameGeometry().center() - form.frameGeometry().center();
        Say(QStringLiteral("dialog: %1, centred: %2")
                .arg(dialog->windowTitle())
                .arg(std::abs(offset.x()) <= 40 && std::abs(offset.y()) <= 40 ? 1 : 0));
        dialog->reject();
    });
    dialogs.start(50);
    for (const char* action : {"AddPlaylist1", "ManagePlaylists1"})
        form.findChild<QAction*>(QLatin1String(action))->trigger();
}

// A first run that leaves something to remember: the Preferences option on, channel 1 played from
// the TV list, the volume at 30, the sound muted and the window moved; then the window closes.
void LeaveSomethingToRemember(TMainForm& form)
{
    form.SetPlayLastChannelAtStartup(true);
    form.PlayChannelFromList(QStringLiteral("1"), QStringLiteral("Remembered TV"), ChannelTab::Tv);
    auto* mute = form.findChild<QToolButton*>(QStringLiteral("btn_mute"));
    // The volume and mute need the player page's elements: once it has loaded.
    auto* page = form.Page();
    QObject::connect(page, &QWebEnginePage::loadFinished, &form, [&form, page, mute] {
        if (page->url().toString().endsWith(QLatin1String("start.zvo")) || mute->isChecked())
            return;
        form.findChild<QSlider*>(QStringLiteral("JvTrackBar1"))->setValue(30);
        mute->click();
    });
    auto* poll = new QTimer(&form);
    QObject::connect(poll, &QTimer::timeout, &form, [&form, mute, poll] {
        if (!mute->isChecked())
            return;
        poll->stop();
        form.setGeometry(60, 50, 620, 430);
        QTimer::singleShot(0, &form, &QWidget::close);
    });
    poll->start(50);
}

// A second run: says what it finds once the remembered channel plays.
void ReportWhatCameBack(TMainForm& form)
{
    auto* poll = new QTimer(&form);
    QObject::connect(poll, &QTimer::timeout, &form, [&form, poll] {
        if (form.windowTitle() == QLatin1String("Zentavo Player"))
            return;
        poll->stop();
        const QRect place = form.geometry();
        Say(QStringLiteral("title: ") + form.windowTitle());
        Say(QStringLiteral("volume: %1").arg(form.findChild<QSlider*>(QStringLiteral("JvTrackBar1"))->value()));
        Say(QStringLiteral("muted: %1").arg(form.findChild<QToolButton*>(QStringLiteral("btn_mute"))->isChecked()));
        Say(QStringLiteral("place: %1 %2 %3 %4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height()));
        Say(QStringLiteral("page is the start page: %1")
                .arg(form.Page()->requestedUrl().toString().endsWith(QLatin1String("start.zvo"))));
        QTimer::singleShot(0, &form, &QWidget::close);
    });
    poll->start(50);
}

// The child: runs the player and says what it sees. mode "close" closes the main window after
// the first activation, "close-after-message" once a message box has been read as well (the lists
// are read on a thread, so their message may come after the activation), "exit" chooses Exit;
// all first write a page into the scratch folder.
int RunChild(int argc, char** argv, const QString& mode)
{
    StartupHooks hooks;
    hooks.errorSink = [](const QString& text) { Say(QStringLiteral("error: ") + text); };
    hooks.startupFailureBox = [](const QString& text) {
        Say(QStringLiteral("box: ") + QString(text).replace(QLatin1Char('\n'), QLatin1Char('|')));
        Say(QStringLiteral("windows: %1").arg(QApplication::topLevelWidgets().size()));
    };
    static ScratchFolder* scratch = nullptr;
    static bool messageRead = false;
    hooks.scratchFolder = [](ScratchFolder& folder) { scratch = &folder; };
    hooks.onStep = [mode](const char* step) {
        const QString name = QString::fromLatin1(step);
        Say(QStringLiteral("step: ") + name);
        if (name == QLatin1String("main window")) {
            // Message boxes are read and closed, as a person would.
            auto* boxes = new QTimer(Find<TMainForm>());
            QObject::connect(boxes, &QTimer::timeout, [] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    Say(QStringLiteral("message: ") + box->text());
                    messageRead = true;
                    box->close();
                }
            });
            boxes->start(50);
        }
        if (name == QLatin1String("main window"))
            Say(QStringLiteral("splash visible: %1, main visible: %2")
                    .arg(VisibleCount<TSplashForm>())
                    .arg(VisibleCount<TMainForm>()));
        if (name != QLatin1String("loop"))
            return;
        TMainForm* form = Find<TMainForm>();
        if (mode == QLatin1String("first-menus"))
            OpenPlaylistDialogsFirst(*form);
        if (mode == QLatin1String("report")) {
            ReportWhatCameBack(*form);
            return;
        }
        auto* poll = new QTimer(form);
        QObject::connect(poll, &QTimer::timeout, form, [form, poll, mode] {
            if (!form->isVisible() || form->FirstActivationPending()
                || (mode == QLatin1String("close-after-message") && !messageRead))
                return;
            poll->stop();
            if (mode == QLatin1String("remember")) {
                LeaveSomethingToRemember(*form);
                return;
            }
            Say(QStringLiteral("activated; splash alive: %1").arg(Find<TSplashForm>() ? 1 : 0));
            scratch->WritePage("<html></html>");
            if (mode == QLatin1String("exit"))
                form->findChild<QAction*>(QStringLiteral("Exit1"))->trigger();
            else
                form->close();
        });
        poll->start(50);
    };
    const int status = RunPlayer(argc, argv, hooks);
    Say(QStringLiteral("status: %1").arg(status));
    return 0;
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

    QStringList RunStartup(const QString& mode, const QString& language = QStringLiteral("en_GB.UTF-8"),
                           const QString& program = QCoreApplication::applicationFilePath(),
                           const QString& configFolder = {})
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!configFolder.isEmpty())
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder);
        env.remove(QStringLiteral("LC_ALL"));
        env.remove(QStringLiteral("LC_MESSAGES"));
        env.remove(QStringLiteral("LANGUAGE"));
        env.insert(QStringLiteral("LANG"), language);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(program, {QStringLiteral("--child"), mode});
        if (!child.waitForFinished(90000)) {
            child.kill();
            child.waitForFinished();
        }
        return QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private slots:
    void startsInOrderWithTheSplashBeforeTheMainWindow()
    {
        const QStringList lines = RunStartup(QStringLiteral("close"));
        QStringList steps;
        for (const QString& line : lines)
            if (line.startsWith(QLatin1String("step: ")))
                steps << line.mid(6);
        QCOMPARE(steps,
                 (QStringList{QStringLiteral("application"), QStringLiteral("title"), QStringLiteral("gate"),
                              QStringLiteral("splash"), QStringLiteral("main window"), QStringLiteral("list window"),
                              QStringLiteral("preferences"), QStringLiteral("loop"), QStringLiteral("end")}));
        QVERIFY2(lines.contains(QStringLiteral("splash visible: 1, main visible: 0")), qPrintable(lines.join(u'\n')));
        QVERIFY2(lines.contains(QStringLiteral("activated; splash alive: 0")), qPrintable(lines.join(u'\n')));
        QVERIFY(lines.contains(QStringLiteral("status: 0")));
        QVERIFY2(lines.filter(QStringLiteral("error:")).isEmpty(), qPrintable(lines.join(u'\n')));
    }

    void blockedLanguageGetsOnlyTheApplicationErrorBox()
    {
        const QStringList lines = RunStartup(QStringLiteral("close"), QStringLiteral("la_VA.UTF-8"));
        QVERIFY2(lines.contains(QStringLiteral("step: refused")), qPrintable(lines.join(u'\n')));
        QVERIFY(lines.filter(QStringLiteral("step: splash")).isEmpty());
        QVERIFY(lines.filter(QStringLiteral("step: main window")).isEmpty());
        QVERIFY(lines.contains(QStringLiteral("windows: 0")));
        const QStringList boxes = lines.filter(QStringLiteral("box: "));
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().startsWith(QLatin1String("box: Exception ConversionError in module test_startup at ")),
                 qPrintable(boxes.first()));
        QVERIFY(boxes.first().endsWith(QLatin1String(".|'dll.-+|' is not a valid integer value.")));
        QVERIFY(lines.contains(QStringLiteral("status: 1")));
    }

    // A program folder without its data folder still starts and ends as usual; the lists say that
    // the list file is broken, and nothing else goes wrong.
    void missingDataFolderStartsWithTheListFileMessage()
    {
        QTemporaryDir programDir;
        const QString program = programDir.filePath(QStringLiteral("zentavo-player"));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QStringList lines =
            RunStartup(QStringLiteral("close-after-message"), QStringLiteral("en_GB.UTF-8"), program);
        QVERIFY2(lines.contains(QStringLiteral("status: 0")), qPrintable(lines.join(u'\n')));
        QVERIFY2(lines.contains(QStringLiteral("activated; splash alive: 0")), qPrintable(lines.join(u'\n')));
        const QStringList messages = lines.filter(QStringLiteral("message: "));
        QVERIFY2(!messages.isEmpty(), qPrintable(lines.join(u'\n')));
        for (const QString& message : messages)
            QCOMPARE(message,
                     QStringLiteral("message: Sorry. The list file error, please reinstall this application.        "));
        QVERIFY2(lines.filter(QStringLiteral("error:")).isEmpty(), qPrintable(lines.join(u'\n')));
        QVERIFY(!QFileInfo::exists(programDir.filePath(QStringLiteral("data"))));
    }

    void playlistDialogsOpenFromTheMainWindowFirst()
    {
        const QStringList lines = RunStartup(QStringLiteral("first-menus"));
        const QString all = lines.join(u'\n');
        QVERIFY2(lines.contains(QStringLiteral("first activation pending: 1")), qPrintable(all));
        QVERIFY2(lines.filter(QStringLiteral("error:")).isEmpty(), qPrintable(all));
        QCOMPARE(lines.filter(QStringLiteral("dialog: ")),
                 (QStringList{QStringLiteral("dialog: Add playlist, centred: 1"),
                              QStringLiteral("dialog: Manage playlists, centred: 1")}));
        QVERIFY2(lines.contains(QStringLiteral("status: 0")), qPrintable(all));
    }

    // The volume, mute, the window's place and the last channel survive a restart of the program;
    // the stored option's key is left alone.
    void rememberedValuesSurviveARestart()
    {
        QTemporaryDir programDir;
        QTemporaryDir configDir;
        const QString program = programDir.filePath(QStringLiteral("zentavo-player"));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(QDir(programDir.path()).mkpath(QStringLiteral("data")));
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/data/start.zvo"),
                            programDir.filePath(QStringLiteral("data/start.zvo"))));
        QFile catalogue(programDir.filePath(QStringLiteral("data/tv-all.xml")));
        QVERIFY(catalogue.open(QIODevice::WriteOnly));
        const std::string url = EncipherString("http://127.0.0.1:9/tv.mp4", BuildStreamPassphrase(), KeySize::Key256);
        catalogue.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items><item><id>1</id><name>Remembered "
                        "TV</name><country>Nowhere</country><bandwidth>300k</bandwidth><type2>tv</type2><imgindex>0"
                        "</imgindex><url>"
                        + QByteArray::fromStdString(url) + "</url></item></items>\n");
        catalogue.close();

        const QStringList first =
            RunStartup(QStringLiteral("remember"), QStringLiteral("en_GB.UTF-8"), program, configDir.path());
        QVERIFY2(first.contains(QStringLiteral("status: 0")), qPrintable(first.join(u'\n')));
        QVERIFY2(first.filter(QStringLiteral("error:")).isEmpty(), qPrintable(first.join(u'\n')));

        const QStringList second =
            RunStartup(QStringLiteral("report"), QStringLiteral("en_GB.UTF-8"), program, configDir.path());
        const QString all = second.join(u'\n');
        QVERIFY2(second.contains(QStringLiteral("title: Zentavo Player - [  Nowhere - Remembered TV  (300k) ]")),
                 qPrintable(all));
        QVERIFY2(second.contains(QStringLiteral("volume: 30")), qPrintable(all));
        QVERIFY2(second.contains(QStringLiteral("muted: 1")), qPrintable(all));
        QVERIFY2(second.contains(QStringLiteral("place: 60 50 620 430")), qPrintable(all));
        QVERIFY2(second.contains(QStringLiteral("page is the start page: 0")), qPrintable(all));
        QVERIFY2(second.filter(QStringLiteral("error:")).isEmpty()
                     && second.filter(QStringLiteral("message:")).isEmpty(),
                 qPrintable(all));
        QVERIFY2(second.contains(QStringLiteral("status: 0")), qPrintable(all));

        const QSettings ini(configDir.filePath(QStringLiteral("zentavo/player.ini")), QSettings::IniFormat);
        QVERIFY(!ini.contains(QStringLiteral("Software/Zentavo/channel-start")));
        QCOMPARE(ini.value(QStringLiteral("Software/Zentavo/last-channel-id")).toString(), QStringLiteral("1"));
    }

    void closingTheMainWindowClearsTheScratchFolder()
    {
        QDir(ScratchPath()).removeRecursively();
        const QStringList lines = RunStartup(QStringLiteral("close"));
        QVERIFY(lines.contains(QStringLiteral("status: 0")));
        QVERIFY(!QDir(ScratchPath()).exists());
    }

    // Exit leaves its page behind; the next start-up removes it, and nothing that is not a page of
    // a player (the folder stays while it holds something else).
    void exitLeavesThePageUntilTheNextStartUp()
    {
        const QStringList lines = RunStartup(QStringLiteral("exit"));
        QVERIFY2(lines.contains(QStringLiteral("status: 0")), qPrintable(lines.join(u'\n')));
        QDir scratch(ScratchPath());
        QCOMPARE(scratch.entryList(QDir::Files).size(), 1);

        QFile notOurs(scratch.filePath(QStringLiteral("notes.txt")));
        QVERIFY(notOurs.open(QIODevice::WriteOnly));
        notOurs.close();
        QVERIFY(RunStartup(QStringLiteral("close")).contains(QStringLiteral("status: 0")));
        QCOMPARE(scratch.entryList(QDir::Files), QStringList{QStringLiteral("notes.txt")});
        scratch.removeRecursively();
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--child") == 0) {
        const QString mode = QString::fromLatin1(argv[2]);
        int childArgc = 1;
        return RunChild(childArgc, argv, mode);
    }
    QCoreApplication app(argc, argv);
    StartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_startup.moc"
