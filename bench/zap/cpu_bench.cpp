// Processor time per minute of playing: the player (its own process and every web engine process it
// started) against mpv drawing in a window of the same size, for 720p streams: an H.264 MP4 that the
// page plays itself, an H.264 MPEG-TS from a server without CORS consent that the gateway copies, and
// an MPEG-2 MPEG-TS that the gateway transcodes. Run it under Xvfb (bench/zap/cpu.sh does).
//
//   cpu_bench [seconds [rounds [cases]]]   (default 30 and 3: each case is measured for that long
//                                   after it plays, that many times, each round beside mpv; cases:
//                                   the ids of the cases to run, such as 13, else all)
//
// The player's view grows when the page asks for room for its picture, as the main window does; the
// H.264 MP4 is also played by a plain <video> element at the picture's size, the engine's floor.
// The MPEG-2 case stands beside that floor plus the ffmpeg program's own transcoding with the
// gateway's settings at the pace of playing; the gateway's threads (the worker and the decoder and
// encoder threads it starts, which bear its name) are also counted on their own.

#include "bench/zap/processor_time.h"
#include "bench/zap/round_figures.h"
#include "crypto/stream_passphrase.h"
#include "player/gateway/gateway_session.h"
#include "player/gateway/video_transcoder.h"
#include "player/page_generation.h"
#include "player/player_page.h"
#include "player/player_profile.h"
#include "player/scene_graph_backend.h"
#include "player/scratch_folder.h"
#include "tests/support/media_server.h"
#include "tests/support/page_script.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_media.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

using namespace zentavo;
using namespace zentavo::test;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The process and all its descendants, as /proc says now.
QList<qint64> ProcessTree(qint64 root)
{
    QHash<qint64, qint64> parents;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parents.insert(pid, fields[1].toLongLong());
    }
    QList<qint64> tree{root};
    for (int i = 0; i < tree.size(); ++i) {
        for (auto it = parents.cbegin(); it != parents.cend(); ++it) {
            if (it.value() == tree[i])
                tree.append(it.key());
        }
    }
    return tree;
}

double TreeSeconds(qint64 root, QHash<qint64, double>* perProcess = nullptr)
{
    double total = 0;
    for (qint64 pid : ProcessTree(root)) {
        const double seconds = bench::ProcessSeconds(pid);
        if (perProcess)
            perProcess->insert(pid, seconds);
        total += seconds;
    }
    return total;
}

// mpv in a window of the same size, sound to nowhere as the player's has no device under Xvfb.
double MpvSecondsPerMinute(const QUrl& url, int seconds)
{
    QProcess mpv;
    mpv.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    mpv.start(QStringLiteral("mpv"),
              {QStringLiteral("--no-config"), QStringLiteral("--really-quiet"), QStringLiteral("--vo=x11"),
               QStringLiteral("--ao=null"), QStringLiteral("--geometry=%1x%2").arg(kWidth).arg(kHeight),
               QStringLiteral("--loop-file=inf"), url.toString()});
    if (!mpv.waitForStarted(10000))
        return -1;
    Wait(5000); // opened and playing
    const double start = TreeSeconds(mpv.processId());
    Wait(seconds * 1000);
    const double used = TreeSeconds(mpv.processId()) - start;
    mpv.kill();
    mpv.waitForFinished();
    return used * 60.0 / seconds;
}

// The ffmpeg program transcoding the stream as the gateway does (libx264 with the gateway's preset for
// 720p, zerolatency, a key
// picture every 2 s, 2 threads; AAC) at the pace of playing (-re), to nowhere.
double FfmpegTranscodeSecondsPerMinute(const QUrl& url, int seconds)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-hide_banner"),
                  QStringLiteral("-loglevel"),
                  QStringLiteral("error"),
                  QStringLiteral("-nostdin"),
                  QStringLiteral("-re"),
                  QStringLiteral("-i"),
                  url.toString(),
                  QStringLiteral("-c:v"),
                  QStringLiteral("libx264"),
                  QStringLiteral("-preset"),
                  QString::fromLatin1(X264Preset(kWidth, kHeight)),
                  QStringLiteral("-tune"),
                  QStringLiteral("zerolatency"),
                  QStringLiteral("-g"),
                  QStringLiteral("50"),
                  QStringLiteral("-threads"),
                  QStringLiteral("2"),
                  QStringLiteral("-c:a"),
                  QStringLiteral("aac"),
                  QStringLiteral("-b:a"),
                  QStringLiteral("128k"),
                  QStringLiteral("-f"),
                  QStringLiteral("mpegts"),
                  QStringLiteral("-y"),
                  QStringLiteral("/dev/null")});
    if (!ffmpeg.waitForStarted(10000))
        return -1;
    Wait(3000); // opened and transcoding
    const double start = bench::ProcessSeconds(ffmpeg.processId());
    Wait(seconds * 1000);
    const double used = bench::ProcessSeconds(ffmpeg.processId()) - start;
    const bool running = ffmpeg.state() == QProcess::Running;
    ffmpeg.kill();
    ffmpeg.waitForFinished();
    return running ? used * 60.0 / seconds : -1;
}

// Processor time of this process and its engine processes over `seconds`, per minute; `split` gets
// each process's share, `gateway` (when given) the share of the gateway's threads in this process.
double MeasuredSeconds(int seconds, QString* split, double* gateway = nullptr)
{
    QHash<qint64, double> before;
    QHash<qint64, double> after;
    const auto gatewayBefore = bench::NamedThreadSeconds(GatewaySession::kThreadName);
    const double start = TreeSeconds(getpid(), &before);
    Wait(seconds * 1000);
    const double used = TreeSeconds(getpid(), &after) - start;
    if (gateway)
        *gateway = bench::SecondsBetween(gatewayBefore, bench::NamedThreadSeconds(GatewaySession::kThreadName)) * 60.0
            / seconds;
    QStringList parts;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        const double share = (it.value() - before.value(it.key())) * 60.0 / seconds;
        if (share < 0.05)
            continue;
        QFile comm(QStringLiteral("/proc/%1/cmdline").arg(it.key()));
        comm.open(QIODevice::ReadOnly);
        const QList<QByteArray> words = comm.readAll().split('\0');
        QString role = it.key() == getpid() ? QStringLiteral("host") : QStringLiteral("engine");
        for (const QByteArray& word : words) {
            if (word.startsWith("--type="))
                role = QString::fromLatin1(word.mid(7));
        }
        parts << QStringLiteral("%1 %2").arg(role).arg(share, 0, 'f', 1);
    }
    *split = parts.join(QStringLiteral(", "));
    return used * 60.0 / seconds;
}

} // namespace

int main(int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // As the player chooses (QT_QUICK_BACKEND=rhi measures the OpenGL way).
    const QString renderer = OpenGlRendererName();
    const bool software = ChooseSceneGraphBackend();
    std::fprintf(stderr, "cpu: OpenGL renderer '%s'; Qt Quick draws %s\n", qPrintable(renderer),
                 software ? "in software" : "with OpenGL");
    const int seconds = argc > 1 ? std::max(5, atoi(argv[1])) : 30;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;

    QTemporaryDir folder;
    const QString source =
        QStringLiteral("testsrc2=size=%1x%2:rate=25:duration=%3").arg(kWidth).arg(kHeight).arg(seconds + 40);
    const QStringList sound = {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(seconds + 40)};
    std::fprintf(stderr, "cpu: making 720p media\n");
    RunFfmpeg(folder.path(),
              QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), source} + sound
                  + QStringList{QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                                QStringLiteral("veryfast"), QStringLiteral("-profile:v"), QStringLiteral("main"),
                                QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-g"),
                                QStringLiteral("50"), QStringLiteral("-b:v"), QStringLiteral("3M"),
                                QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-movflags"),
                                QStringLiteral("+faststart"), QStringLiteral("720p.mp4")});
    RunFfmpeg(folder.path(),
              {QStringLiteral("-i"), QStringLiteral("720p.mp4"), QStringLiteral("-c"), QStringLiteral("copy"),
               QStringLiteral("-f"), QStringLiteral("mpegts"), QStringLiteral("720p.ts")});
    RunFfmpeg(folder.path(),
              {QStringLiteral("-i"), QStringLiteral("720p.mp4"), QStringLiteral("-c:v"), QStringLiteral("mpeg2video"),
               QStringLiteral("-b:v"), QStringLiteral("6M"), QStringLiteral("-g"), QStringLiteral("25"),
               QStringLiteral("-c:a"), QStringLiteral("mp2"), QStringLiteral("-f"), QStringLiteral("mpegts"),
               QStringLiteral("720p-mpeg2.ts")});

    MediaServer server(folder.path());
    MediaServer noCors(folder.path());
    noCors.SetCorsAllowed(false);
    struct Case {
        const char* name;
        const char* id;
        QUrl url;
        bool bareBaseline; // a plain <video> element can play it
        bool transcoded; // beside the bare page with the H.264 MP4 and ffmpeg's own transcoding
    };
    const QUrl mp4 = server.Url(QStringLiteral("720p.mp4"));
    const QList<Case> cases = {
        {"720p H.264 MP4, page's own engine", "1", mp4, true, false},
        {"720p H.264 TS, gateway copies", "2", noCors.Url(QStringLiteral("720p.ts")), false, false},
        {"720p MPEG-2 TS, gateway transcodes", "3", server.Url(QStringLiteral("720p-mpeg2.ts")), false, true},
    };
    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString(); // the ids of the cases to run
    QList<TestChannel> channels;
    for (const Case& each : cases)
        channels.append({each.id, 0, each.url.toString()});
    const QString catalogue = WriteTestCatalogue(folder.path(), channels);

    PlayerProfile profile;
    ScratchFolder scratch;
    profile.scripts()->insert(MediaWatchScript());
    const auto passphrase = BuildStreamPassphrase();

    // The player's page in a view that grows when the page asks for room, as the main window does.
    const auto playerSeconds = [&](const Case& each, QString* split, double* gateway) -> double {
        PlayerPage page(&profile, nullptr, PlayerPage::AlertDisplay::SignalOnly);
        QWebEngineView view;
        view.setPage(&page);
        view.resize(kWidth, kHeight);
        QObject::connect(&page, &PlayerPage::PictureRoomWanted, &view,
                         [&view](QSize room) { view.resize(view.size().expandedTo(room)); });
        view.show();
        FillOptions options;
        options.originalSize = true;
        options.channelName = each.name;
        const auto play = PreparePlay(catalogue.toStdString(), each.id, passphrase, options);
        const auto file = scratch.WritePage(play->page);
        page.load(profile.UrlForFile(QString::fromStdString(file.string()), zentavo::PagePlay{{}, true}));
        const QString failure = WaitUntilPlaying(page, 60000);
        if (!failure.isEmpty()) {
            *split = QStringLiteral("did not play: ") + failure;
            return -1;
        }
        Wait(3000);
        const double used = MeasuredSeconds(seconds, split, gateway);
        page.load(QUrl(QStringLiteral("about:blank")));
        Wait(2000);
        return used;
    };
    // A plain <video> element at the picture's size in a bare view: the engine's own floor.
    const auto bareSeconds = [&](const QUrl& url) -> double {
        QWebEnginePage page(&profile);
        QWebEngineView view;
        view.setPage(&page);
        view.resize(kWidth, kHeight);
        view.show();
        page.setHtml(QStringLiteral("<body style='margin:0;background:#000'><video src='%1' autoplay loop "
                                    "style='display:block;width:%2px;height:%3px'></video></body>")
                         .arg(url.toString())
                         .arg(kWidth)
                         .arg(kHeight),
                     url);
        if (!WaitUntilPlaying(page, 60000).isEmpty())
            return -1;
        Wait(3000);
        QString split;
        const double used = MeasuredSeconds(seconds, &split);
        page.load(QUrl(QStringLiteral("about:blank")));
        Wait(2000);
        return used;
    };

    std::printf("processor time per minute of playing, %d s measured, %d rounds (s/min; min / median / max)\n", seconds,
                rounds);
    for (const Case& each : cases) {
        if (!only.isEmpty() && !only.contains(QLatin1String(each.id)))
            continue;
        QList<double> player;
        QList<double> gateway;
        QList<double> mpv;
        QList<double> bare;
        QList<double> transcode; // ffmpeg's own
        QList<double> floor; // bare page + ffmpeg's transcoding
        QString split;
        for (int round = 0; round < rounds; ++round) {
            double gatewayShare = 0;
            player.append(playerSeconds(each, &split, &gatewayShare));
            gateway.append(gatewayShare);
            mpv.append(MpvSecondsPerMinute(each.url, seconds));
            if (each.bareBaseline || each.transcoded)
                bare.append(bareSeconds(mp4));
            if (each.transcoded) {
                transcode.append(FfmpegTranscodeSecondsPerMinute(each.url, seconds));
                floor.append(bare.back() > 0 && transcode.back() > 0 ? bare.back() + transcode.back() : -1);
            }
        }
        std::printf("%s\n  player %s\n  mpv    %s\n  player / mpv %s\n", each.name, qPrintable(bench::Spread(player)),
                    qPrintable(bench::Spread(mpv)), qPrintable(bench::Spread(bench::Ratios(player, mpv))));
        if (each.bareBaseline) {
            std::printf("  bare page %s\n  player / bare page %s\n", qPrintable(bench::Spread(bare)),
                        qPrintable(bench::Spread(bench::Ratios(player, bare))));
        }
        if (each.transcoded) {
            std::printf("  bare page (H.264 MP4) %s\n  ffmpeg's transcoding (-re) %s\n"
                        "  bare page + ffmpeg's transcoding %s\n  player / (bare page + ffmpeg's transcoding) %s\n"
                        "  gateway's threads %s\n  gateway's threads / ffmpeg's transcoding %s\n",
                        qPrintable(bench::Spread(bare)), qPrintable(bench::Spread(transcode)),
                        qPrintable(bench::Spread(floor)), qPrintable(bench::Spread(bench::Ratios(player, floor))),
                        qPrintable(bench::Spread(gateway)),
                        qPrintable(bench::Spread(bench::Ratios(gateway, transcode))));
        }
        std::printf("  last round by process: %s\n", qPrintable(split));
        std::fflush(stdout);
    }
    return 0;
}
