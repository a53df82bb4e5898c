// What a screen reader finds in the real windows, read through AT-SPI on a private session bus by
// a separate program (atspi_probe.py, on pyatspi), never from the widgets' properties: the names of
// the controls, the player's name and words on the browser area as they change, and the live region
// the page holds. Also the start page's key chips, clicked with the mouse, opening their tabs.
#include "shell_fixture.h"

#include "channels/ui/add_playlist_dialog.h"
#include "tests/support/media_server.h"
#include "tests/support/test_media.h"
#include "tests/support/waits.h"

#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <memory>

using namespace zentavo;

namespace {

// One object of the tree as the probe prints it.
struct TreeObject {
    int depth = 0;
    QString role;
    QString name;
    QString description;
};

// Debian's Python, which python3-pyatspi installs into (another python3 on the path may lack it).
const QString kPython = QStringLiteral("/usr/bin/python3");

QString ProbeScript()
{
    return QString::fromLocal8Bit(qgetenv("ZENTAVO_SOURCE_DIR")) + QStringLiteral("/tests/player/ui/atspi_probe.py");
}

// Runs the probe while this process keeps handling events: the accessibility bridge of this
// process answers the probe's questions from the event loop, so a blocking wait would hang both.
QString RunProbe(const QStringList& arguments, QString* errors)
{
    QProcess probe;
    QEventLoop loop;
    QObject::connect(&probe, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&probe, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(test::Limit(30000), &loop, &QEventLoop::quit);
    probe.start(kPython, QStringList{ProbeScript()} + arguments);
    loop.exec();
    if (probe.state() != QProcess::NotRunning) {
        probe.kill();
        probe.waitForFinished(5000);
    }
    *errors = QString::fromUtf8(probe.readAllStandardError());
    if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
        *errors += QStringLiteral(" (the probe ended with status %1)").arg(probe.exitCode());
    return QString::fromUtf8(probe.readAllStandardOutput());
}

QList<TreeObject> ReadTree(QString* errors)
{
    const QString output =
        RunProbe({QStringLiteral("tree"), QString::number(QCoreApplication::applicationPid())}, errors);
    QList<TreeObject> tree;
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() == 4)
            tree.append({fields[0].toInt(), fields[1], fields[2], fields[3]});
    }
    return tree;
}

std::optional<TreeObject> FindNamed(const QList<TreeObject>& tree, const QString& name)
{
    for (const TreeObject& object : tree) {
        if (object.name == name)
            return object;
    }
    return std::nullopt;
}

QString Describe(const QList<TreeObject>& tree)
{
    QStringList lines;
    for (const TreeObject& object : tree) {
        if (!object.name.isEmpty() || !object.description.isEmpty())
            lines << QStringLiteral("%1 [%2] %3 | %4")
                         .arg(object.depth)
                         .arg(object.role, object.name, object.description);
    }
    return lines.mid(0, 200).join(QLatin1Char('\n'));
}

// The probe's "watch" mode, running while the test does what should raise the events.
class EventWatch {
public:
    EventWatch()
    {
        probe_.start(kPython,
                     {ProbeScript(), QStringLiteral("watch"), QString::number(QCoreApplication::applicationPid()),
                      QString::number(test::Limit(60))});
    }
    ~EventWatch()
    {
        probe_.kill();
        probe_.waitForFinished(5000);
    }
    EventWatch(const EventWatch&) = delete;
    EventWatch& operator=(const EventWatch&) = delete;

    bool WaitUntilListening()
    {
        return QTest::qWaitFor([this] { return Read().startsWith(QLatin1String("ready")); }, test::Limit(30000));
    }
    // Everything the probe has printed so far.
    QString Read()
    {
        output_ += QString::fromUtf8(probe_.readAllStandardOutput());
        return output_;
    }
    QString Errors() { return QString::fromUtf8(probe_.readAllStandardError()); }

private:
    QProcess probe_;
    QString output_;
};

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(ProbeScript()), qPrintable(ProbeScript()));
        QVERIFY(media_.isValid());
        try {
            test::TestMedia::Generate(media_.path());
            server_ = std::make_unique<test::MediaServer>(media_.path());
        } catch (const std::exception& error) {
            QFAIL(error.what());
        }
    }

    void init()
    {
        f_ = std::make_unique<ShellFixture>();
        f_->ShowAndActivate();
        // The first reader on the bus starts the accessibility bus and its registry; the program
        // joins them a moment later.
        QString errors;
        QVERIFY2(QTest::qWaitFor([&] { return !ReadTree(&errors).isEmpty(); }, test::Limit(30000)), qPrintable(errors));
    }
    void cleanup() { f_.reset(); }

    void everyControlHasItsName()
    {
        // The channel list window and the Add playlist dialog, shown beside the main window.
        f_->list->show();
        QVERIFY(QTest::qWaitForWindowExposed(f_->list.get()));
        AddPlaylistDialog addPlaylist(f_->form.get());
        addPlaylist.show();
        QVERIFY(QTest::qWaitForWindowExposed(&addPlaylist));

        QString errors;
        const QList<TreeObject> tree = ReadTree(&errors);
        QVERIFY2(!tree.isEmpty(), qPrintable(errors));
        // Each name with the kind of control a screen reader announces.
        const QList<QPair<QString, QString>> expected{
            {QStringLiteral("Search channels"), QStringLiteral("text")},
            {QStringLiteral("TV Stations"), QStringLiteral("table")},
            {QStringLiteral("Radio Stations"), QStringLiteral("table")},
            {QStringLiteral("Webcams"), QStringLiteral("table")},
            {QStringLiteral("My Favorites"), QStringLiteral("table")},
            {QStringLiteral("Volume"), QStringLiteral("slider")},
            {QStringLiteral("Audio track"), QStringLiteral("button")},
            {QStringLiteral("Auto refresh interval in seconds"), QStringLiteral("spin button")},
            {QStringLiteral("Playlist file or address"), QStringLiteral("text")},
            {QStringLiteral("Start page"), QString()},
        };
        for (const auto& [name, role] : expected) {
            bool found = false;
            for (const TreeObject& object : tree)
                found = found || (object.name == name && object.role.contains(role));
            QVERIFY2(found, qPrintable(QStringLiteral("no %1 named \"%2\" in:\n").arg(role, name) + Describe(tree)));
        }
        addPlaylist.close();
        f_->list->hide();
    }

    void playerWordsReachAssistiveTechnologyAsTheyChange_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("words");
        QTest::newRow("a film that plays")
            << server_->Url(QLatin1String(test::TestMedia::kMp4)).toString() << QStringLiteral("Playing");
        QTest::newRow("a server that refuses") << test::MediaServer::RefusedUrl(QStringLiteral("gone.mp4")).toString()
                                               << QStringLiteral("Cannot play: the server refused the connection.");
    }

    void playerWordsReachAssistiveTechnologyAsTheyChange()
    {
        QFETCH(QString, address);
        QFETCH(QString, words);
        f_->AddChannel(5, "tv", 0, address);
        EventWatch watch;
        QVERIFY2(watch.WaitUntilListening(), qPrintable(watch.Errors()));
        f_->Play(QStringLiteral("5"), QStringLiteral("Channel 5"));
        // The browser area is renamed after the channel, and its description follows the player's words.
        const QString renamed = QStringLiteral("object:property-change:accessible-name\t");
        const QString said = QStringLiteral("\tPlayer: Channel 5\t") + words;
        const bool heard = QTest::qWaitFor(
            [&] {
                const QString events = watch.Read();
                return events.contains(renamed) && events.contains(QStringLiteral("Player: Channel 5"))
                    && events.contains(said);
            },
            test::Limit(30000));
        QVERIFY2(heard, qPrintable(watch.Read() + watch.Errors()));

        // The tree says the same when read afterwards, and the page's own live region holds the words.
        QString errors;
        const QList<TreeObject> tree = ReadTree(&errors);
        const std::optional<TreeObject> browser = FindNamed(tree, QStringLiteral("Player: Channel 5"));
        QVERIFY2(browser, qPrintable(errors + Describe(tree)));
        QCOMPARE(browser->description, words);

        // The page holds the same words in a live region of its own, for readers of the web content
        // (the web engine here leaves its content out of the tree unless forced to build it).
        auto* view = f_->form->findChild<QWebEngineView*>(QStringLiteral("WebBrowser1"));
        const auto spoken = std::make_shared<QString>();
        const QString query =
            QStringLiteral("(() => { const r = document.querySelector('[role=\"status\"][aria-live=\"polite\"]');"
                           " return r ? r.textContent : ''; })()");
        QVERIFY(QTest::qWaitFor(
            [&] {
                const auto answered = std::make_shared<bool>(false);
                view->page()->runJavaScript(query, [spoken, answered](const QVariant& answer) {
                    *spoken = answer.toString();
                    *answered = true;
                });
                return QTest::qWaitFor([answered] { return *answered; }, test::Limit(5000)) && *spoken == words;
            },
            test::Limit(10000)));
    }

    void keyChipsOfTheStartPageOpenTheirTabs_data()
    {
        QTest::addColumn<QString>("chip");
        QTest::addColumn<int>("tab");
        QTest::newRow("TV") << QStringLiteral("tv") << static_cast<int>(ChannelTab::Tv);
        QTest::newRow("Radio") << QStringLiteral("radio") << static_cast<int>(ChannelTab::Radio);
        QTest::newRow("Webcams") << QStringLiteral("webcams") << static_cast<int>(ChannelTab::Webcams);
        QTest::newRow("My Favorites") << QStringLiteral("favourites") << static_cast<int>(ChannelTab::Favourites);
    }

    void keyChipsOfTheStartPageOpenTheirTabs()
    {
        QFETCH(QString, chip);
        QFETCH(int, tab);
        auto* view = f_->form->findChild<QWebEngineView*>(QStringLiteral("WebBrowser1"));
        // Where the chip is on the screen, once the start page shows it.
        const auto centre = std::make_shared<QPoint>();
        const QString where =
            QStringLiteral("(() => { const b = document.querySelector('button[data-tab=\"%1\"]'); if (!b) return null;"
                           " const r = b.getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()")
                .arg(chip);
        QVERIFY(QTest::qWaitFor(
            [&] {
                const auto answered = std::make_shared<bool>(false);
                view->page()->runJavaScript(where, [centre, answered](const QVariant& answer) {
                    const QVariantList point = answer.toList();
                    if (point.size() == 2)
                        *centre = QPoint(point[0].toInt(), point[1].toInt());
                    *answered = true;
                });
                return QTest::qWaitFor([answered] { return *answered; }, test::Limit(5000)) && !centre->isNull();
            },
            test::Limit(20000)));
        // The list window is modal: what it shows is read while it is open, then it is closed.
        int shownTab = -1;
        QTimer reader;
        connect(&reader, &QTimer::timeout, f_->list.get(), [&] {
            if (!f_->list->isVisible())
                return;
            shownTab = static_cast<int>(f_->list->CurrentTab());
            f_->list->close();
        });
        reader.start(20);
        QWidget* surface = view->focusProxy() ? view->focusProxy() : view;
        QTest::mouseClick(surface, Qt::LeftButton, {}, *centre);
        QVERIFY(QTest::qWaitFor([&] { return shownTab >= 0; }, test::Limit(10000)));
        QCOMPARE(shownTab, tab);
    }

private:
    QTemporaryDir media_;
    std::unique_ptr<test::MediaServer> server_;
    std::unique_ptr<ShellFixture> f_;
};

int main(int argc, char** argv)
{
    // The program's accessibility on, as a running screen reader turns it on.
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    AccessibilityTest test;
    return RunShellTest(test, argc, argv);
}

#include "test_accessibility.moc"
