// Memory over long use: the anonymous memory (heap, stacks, the engine's own allocations) of this
// program and every process it started (the web engine's processes), and beside it their
// proportional set sizes (PSS), after 10 channel switches and after 210, for the player's
// main window playing channels through PlayChannel, beside a bare QWebEngineView navigated the same
// number of times to similar pages (a video, an audio or a picture element, served beside the media).
//
// The channels are local media served on 127.0.0.1, in turn: HLS, MP4, MP3 and a webcam picture.
// Each switch waits until the new page plays (or shows its picture) and lets it play for a second
// (MEMORY_DWELL_MS), then the next one starts. MEMORY_DETAIL=1 prints each process's share.
//
//   memory_bench [switches]           runs both kinds, each in a process of its own (default 210)
//   memory_bench player|bare N        one kind only; prints "<kind> <switches> <anonymous MiB> <PSS MiB>"

#include "app/settings_store.h"
#include "channels/app_context.h"
#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"
#include "player/player_profile.h"
#include "player/scene_graph_backend.h"
#include "player/scratch_folder.h"
#include "player/ui/browser_launcher.h"
#include "player/ui/error_report.h"
#include "player/ui/main_form.h"
#include "tests/support/media_server.h"
#include "tests/support/page_script.h"
#include "tests/support/test_media.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

using namespace zentavo;
using namespace zentavo::test;

namespace {

constexpr int kFirstReading = 10;

// The parent of each process on the machine, from /proc/<pid>/stat (the web engine starts its
// processes from more than one thread, so the per-thread children lists would miss some).
std::multimap<qint64, qint64> ChildrenByParent()
{
    std::multimap<qint64, qint64> children;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number)
            continue;
        QFile stat(proc.filePath(entry + QStringLiteral("/stat")));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')'); // the command name may hold blanks
        if (close < 0)
            continue;
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() > 1)
            children.emplace(fields.at(1).toLongLong(), pid);
    }
    return children;
}

struct Footprint {
    double anonymous = 0; // MiB
    double pss = 0; // MiB
};

// The anonymous memory and PSS of the process and all its descendants.
Footprint TreeFootprint(qint64 pid)
{
    const auto children = ChildrenByParent();
    std::vector<qint64> queue{pid};
    qint64 pssKib = 0;
    qint64 anonymousKib = 0;
    while (!queue.empty()) {
        const qint64 current = queue.back();
        queue.pop_back();
        const auto range = children.equal_range(current);
        for (auto it = range.first; it != range.second; ++it)
            queue.push_back(it->second);
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(current));
        if (!rollup.open(QIODevice::ReadOnly))
            continue;
        qint64 own = 0;
        qint64 anonymous = 0;
        for (const QByteArray& line : rollup.readAll().split('\n')) {
            if (line.startsWith("Pss:"))
                own = line.mid(4).trimmed().split(' ').value(0).toLongLong();
            else if (line.startsWith("Anonymous:"))
                anonymous = line.mid(10).trimmed().split(' ').value(0).toLongLong();
        }
        pssKib += own;
        anonymousKib += anonymous;
        if (qEnvironmentVariableIsSet("MEMORY_DETAIL")) {
            // Which process holds what: its PSS and the web engine's process type.
            QFile command(QStringLiteral("/proc/%1/cmdline").arg(current));
            QByteArray type = "main";
            if (command.open(QIODevice::ReadOnly))
                for (const QByteArray& argument : command.readAll().split('\0'))
                    if (argument.startsWith("--type="))
                        type = argument.mid(7);
            std::fprintf(stderr, "  pid %lld %s anonymous %.1f MiB, PSS %.1f MiB\n", current, type.constData(),
                         double(anonymous) / 1024.0, double(own) / 1024.0);
        }
    }
    return {double(anonymousKib) / 1024.0, double(pssKib) / 1024.0};
}

void Pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Channel {
    const char* name;
    const char* type2;
    int kind; // 0 Windows Media page, 1 Real page, 2 webcam snapshot page
    const char* path;
};

// HLS, MP4, MP3 and a webcam picture, in turn.
const std::vector<Channel> kChannels = {
    {"HLS", "tv", 0, TestMedia::kHls},
    {"MP4", "tv", 0, TestMedia::kMp4},
    {"MP3", "radio", 1, TestMedia::kMp3},
    {"Webcam", "webcam", 2, TestMedia::kJpeg},
};

// True once the page at `url` plays its media (or shows its picture, for a picture page).
QString ShownCondition(const QUrl& url, bool picture)
{
    const QString here = QStringLiteral("location.href === '%1' && ").arg(url.toString());
    return here
        + (picture ? QStringLiteral("document.images.length > 0 && document.images[0].complete && "
                                    "document.images[0].naturalWidth > 0")
                   : QStringLiteral("window.zentavoMediaWatch && zentavoMediaWatch.firstPlaying > 0"));
}

// Runs `switches` switches; `play(i)` starts switch i and returns the condition that says it is shown.
int Measure(const char* kind, QWebEnginePage& page, int switches, const std::function<QString(int)>& play)
{
    for (int i = 1; i <= switches; ++i) {
        const QString shown = play(i);
        if (!WaitForJavaScript(page, shown, 30000)) {
            std::fprintf(
                stderr, "%s: switch %d did not play: %s\n", kind, i,
                qPrintable(RunJavaScript(page,
                                         QStringLiteral("location.href + ' ' + JSON.stringify(window.zentavoMediaWatch "
                                                        "&& zentavoMediaWatch.events)"))
                               .toString()));
            return 1;
        }
        // A channel is watched for a while, as a person zapping would (its buffers fill).
        static const int dwell =
            qEnvironmentVariableIsSet("MEMORY_DWELL_MS") ? qEnvironmentVariableIntValue("MEMORY_DWELL_MS") : 1000;
        if (dwell > 0)
            Pause(dwell);
        if (i == kFirstReading || i == switches || i % 50 == 0) {
            // The figure swings with the engine's garbage collections: the median of five readings,
            // a second apart, once the page has played for two seconds.
            Pause(2000);
            std::vector<double> anonymous;
            std::vector<double> pss;
            for (int reading = 0; reading < 5; ++reading) {
                if (reading > 0)
                    Pause(1000);
                const Footprint footprint = TreeFootprint(QCoreApplication::applicationPid());
                anonymous.push_back(footprint.anonymous);
                pss.push_back(footprint.pss);
            }
            std::sort(anonymous.begin(), anonymous.end());
            std::sort(pss.begin(), pss.end());
            std::printf("%s %d %.1f %.1f\n", kind, i, anonymous[anonymous.size() / 2], pss[pss.size() / 2]);
            std::fflush(stdout);
        }
    }
    return 0;
}

int RunPlayer(int switches, MediaServer& server)
{
    QTemporaryDir programDir;
    QDir(programDir.path()).mkpath(QStringLiteral("data"));
    QFile::copy(QStringLiteral(ZENTAVO_SOURCE_DIR "/data/start.zvo"),
                programDir.filePath(QStringLiteral("data/start.zvo")));
    const std::string passphrase = BuildStreamPassphrase();
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n");
    for (size_t i = 0; i < kChannels.size(); ++i) {
        const std::string address = server.Url(QLatin1String(kChannels[i].path)).toString().toStdString();
        xml += QStringLiteral("<item><id>%1</id><name>%2</name><country>-</country><bandwidth>-</bandwidth>"
                              "<type2>%3</type2><imgindex>%4</imgindex><url>%5</url></item>\n")
                   .arg(i + 1)
                   .arg(QLatin1String(kChannels[i].name), QLatin1String(kChannels[i].type2))
                   .arg(kChannels[i].kind)
                   .arg(QString::fromStdString(EncipherString(address, passphrase, KeySize::Key256)));
    }
    WriteTextFile(programDir.path(), QStringLiteral("data/tv-all.xml"), xml + QStringLiteral("</items>\n"));

    AppContext context;
    SettingsStore settings(programDir.filePath(QStringLiteral("config/player.ini")));
    const ErrorReporter errors([](const QString& text) { std::fprintf(stderr, "player: %s\n", qPrintable(text)); });
    BrowserLauncher browser;
    PlayerProfile profile;
    ScratchFolder scratch;
    TMainForm form(context,
                   MainFormServices{settings, errors, browser, profile, scratch, programDir.path() + QLatin1Char('/'),
                                    PlayerPage::AlertDisplay::SignalOnly});
    form.Page()->profile()->scripts()->insert(MediaWatchScript());
    form.show();
    context.StreamPassphrase = passphrase;
    if (!WaitForJavaScript(*form.Page(), QStringLiteral("document.readyState === 'complete'"), 20000)) {
        std::fprintf(stderr, "player: the start page did not load\n");
        return 1;
    }
    return Measure("player", *form.Page(), switches, [&](int i) {
        const size_t which = size_t(i - 1) % kChannels.size();
        context.CurrentChannelId = QString::number(which + 1);
        context.CurrentChannelName = QLatin1String(kChannels[which].name);
        form.PlayChannel();
        return ShownCondition(form.Page()->requestedUrl(), kChannels[which].kind == 2);
    });
}

int RunBare(int switches, const QString& mediaFolder, MediaServer& server)
{
    // Pages as small as a page can be that plays the same media: a video, an audio or a picture element,
    // served beside the media.
    const QString video = server.Url(QLatin1String(TestMedia::kMp4)).toString();
    const QString audio = server.Url(QLatin1String(TestMedia::kMp3)).toString();
    const QString picture = server.Url(QLatin1String(TestMedia::kJpeg)).toString();
    const QString bodies[] = {
        QStringLiteral("<video autoplay src=\"%1\" width=\"469\" height=\"380\"></video>").arg(video),
        QStringLiteral("<video autoplay src=\"%1\" width=\"469\" height=\"380\"></video>").arg(video),
        QStringLiteral("<audio autoplay controls src=\"%1\"></audio>").arg(audio),
        QStringLiteral("<img src=\"%1\">").arg(picture),
    };

    QWebEngineView view;
    view.page()->profile()->scripts()->insert(MediaWatchScript());
    view.page()->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    view.resize(469, 413);
    view.show();
    return Measure("bare", *view.page(), switches, [&](int i) {
        const size_t which = size_t(i - 1) % kChannels.size();
        const QString name = QStringLiteral("page-%1.html").arg(i);
        WriteTextFile(mediaFolder, QStringLiteral("pages/") + name,
                      QStringLiteral("<!DOCTYPE html><html><body style=\"margin:0;background:#000\">%1</body></html>")
                          .arg(bodies[which]));
        const QUrl url = server.Url(QStringLiteral("pages/") + name);
        view.load(url);
        return ShownCondition(url, which == 3);
    });
}

// Runs one kind in a child process and returns its readings (switches -> MiB).
std::map<int, Footprint> RunChild(const QString& kind, int switches)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {kind, QString::number(switches)});
    child.waitForFinished(-1);
    std::map<int, Footprint> readings;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 4)
            readings[fields[1].toInt()] = {fields[2].toDouble(), fields[3].toDouble()};
    }
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        std::fprintf(stderr, "%s run failed\n", qPrintable(kind));
    return readings;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3) {
        const QString kind = QString::fromLocal8Bit(argv[1]);
        const int switches = std::max(kFirstReading, std::atoi(argv[2]));
        PlayerProfile::RegisterUrlSchemes();
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        QApplication app(argc, argv);
        // The player and the bare page both draw the way the player chooses.
        ChooseSceneGraphBackend();
        QTemporaryDir folder;
        TestMedia::Generate(folder.path());
        MediaServer server(folder.path());
        if (kind == QLatin1String("player"))
            return RunPlayer(switches, server);
        if (kind == QLatin1String("bare"))
            return RunBare(switches, folder.path(), server);
        std::fputs("usage: memory_bench [switches] | memory_bench player|bare switches\n", stderr);
        return 2;
    }
    QCoreApplication app(argc, argv);
    const int switches = argc > 1 ? std::max(kFirstReading + 1, std::atoi(argv[1])) : 210;
    const auto player = RunChild(QStringLiteral("player"), switches);
    const auto bare = RunChild(QStringLiteral("bare"), switches);
    std::printf("memory of the program and its web engine processes (MiB), HLS/MP4/MP3/webcam in turn\n");
    std::printf("%-8s %12s %12s %9s %10s %10s\n", "switches", "player anon", "bare anon", "ratio", "player PSS",
                "bare PSS");
    for (const auto& [count, mine] : player) {
        const auto other = bare.find(count);
        const Footprint theirs = other == bare.end() ? Footprint{-1, -1} : other->second;
        std::printf("%-8d %12.1f %12.1f %9.2f %10.1f %10.1f\n", count, mine.anonymous, theirs.anonymous,
                    theirs.anonymous > 0 ? mine.anonymous / theirs.anonymous : 0.0, mine.pss, theirs.pss);
    }
    const auto growth = [&](const std::map<int, Footprint>& readings) {
        if (readings.size() < 2 || !readings.count(kFirstReading))
            return -1.0;
        return readings.rbegin()->second.anonymous - readings.at(kFirstReading).anonymous;
    };
    std::printf("growth of anonymous memory from switch %d to %d: player %+.1f MiB, bare %+.1f MiB\n", kFirstReading,
                switches, growth(player), growth(bare));
    return player.empty() || bare.empty() ? 1 : 0;
}
