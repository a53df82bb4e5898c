// Zap time: from the play command (PreparePlay, page file, navigation, as PlayChannel does it) to the
// first picture the page draws (the video element's frame callback; for sound only, its `playing`),
// channel after channel in alternating order; beside mpv's time from opening the same address to its
// first frame, measured in the same run. Prints minimum, median and maximum of each, of the per-round
// ratios, and the median of `playing` (which for some decoders comes well before the first picture). The kinds: what the page plays itself (local HLS, MPEG-TS, MP4 and MP3 over HTTP), then
// what goes through the media gateway: RTSP (VLC, H.264 + AAC copied), RTMP (nginx's rtmp module,
// copied), MMS over HTTP (VLC, WMV transcoded), WMV and MPEG-2 TS over HTTP (transcoded after the
// page's own try), and operator channels (copied): MPEG-TS that ffmpeg sends to udp://127.0.0.1, and
// an SRT server on 127.0.0.1 that the player calls. The player and mpv each get a sender of their own
// (a UDP port takes one receiver; an SRT server here serves one caller), started alike. Live servers
// run as nobody when this runs as root.
//
// With --shaped, only the kinds the page fetches over HTTP (HLS, MPEG-TS, MP4) are measured, each
// through a shaped network (shaping_proxy.py on 127.0.0.1: a delay each way, a round trip per new
// connection, a rate per direction): the player's channel addresses and mpv's name the port of a
// proxy of their own, so neither shares the other's rate. It also counts the new connections each
// side opened from the command (mpv: its start) to the first picture.
//
// With --steps, it also prints where the time of a zap goes: the median time from the command to each
// step of the page (navigation, page answered, scripts run, library loaded, media asked, first picture).
// --only NAME,NAME measures those kinds alone (as named in the output: HLS, MPEG-TS, ...).
//
//   zap_bench [runs] [--shaped DELAY_MS RATE_KBIT] [--steps] [--only NAME,...]
//       (runs: default 9; the first round of each kind warms up and is not counted)

#include "bench/zap/shaping_proxy.h"
#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"
#include "player/page_generation.h"
#include "player/player_page.h"
#include "player/player_profile.h"
#include "player/scratch_folder.h"
#include "tests/support/media_server.h"
#include "tests/support/page_script.h"
#include "tests/support/stream_servers.h"
#include "tests/support/test_media.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace zentavo;
using namespace zentavo::test;

namespace {

struct Kind {
    const char* name;
    const char* id;
    QString address;
    double target; // the most this may take against mpv (gateway: 2 where it copies, 3 where it transcodes)
    bool soundOnly; // no picture: the end point is `playing`
    std::vector<double> prepare; // PreparePlay + page file + navigation started
    std::vector<double> zap; // command -> first picture drawn (sound only: playing)
    std::vector<double> playing; // command -> playing
    std::vector<double> mpv; // mpv: opening -> playback restart complete
    std::vector<double> connections; // shaped: new connections, command -> first picture
    std::vector<double> mpvConnections; // shaped: new connections, mpv's start -> its first frame
    std::map<std::string, std::vector<double>> steps; // --steps: ms from the command to each step, per round
};

// A kind with no figures yet.
Kind NewKind(const char* name, const char* id, QString address, double target, bool soundOnly = false)
{
    return {name, id, std::move(address), target, soundOnly, {}, {}, {}, {}, {}, {}, {}};
}

// The shaped network of --shaped: the delay each way and the rate per direction (0: no limit).
// "--shaped 0 0" measures through the proxies with nothing added, as a baseline for the proxy itself.
struct Shaping {
    bool on = false;
    int delayMs = 0;
    int rateKbit = 0;
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Each round's ratio; a round where either side has no figure is left out.
std::vector<double> Ratios(const std::vector<double>& above, const std::vector<double>& below)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < std::min(above.size(), below.size()); ++i) {
        if (above[i] > 0 && below[i] > 0)
            ratios.push_back(above[i] / below[i]);
    }
    return ratios;
}

// The figures of the rounds that have one: above 0, or for counts (where 0 is a figure) not below it.
std::vector<double> Measured(std::vector<double> values, bool counts = false)
{
    values.erase(std::remove_if(values.begin(), values.end(), [counts](double v) { return counts ? v < 0 : v <= 0; }),
                 values.end());
    return values;
}

// "min / median / max" of the figures, or "-" when there are none.
QString Spread(std::vector<double> values, int decimals, bool counts = false)
{
    values = Measured(std::move(values), counts);
    if (values.empty())
        return QStringLiteral("-");
    std::sort(values.begin(), values.end());
    return QStringLiteral("%1 / %2 / %3")
        .arg(values.front(), 0, 'f', decimals)
        .arg(Median(values), 0, 'f', decimals)
        .arg(values.back(), 0, 'f', decimals);
}

// The steps of one zap that --steps breaks the time into, in the order they happen; each is read
// in the page (performance marks and timing entries) as ms from the play command.
struct Step {
    const char* key;
    const char* meaning;
};
constexpr Step kSteps[] = {
    {"navigation", "navigation start (renderer asked for the page)"},
    {"response", "page answered by the scheme handler"},
    {"objects", "player objects' script compiled and run"},
    {"parsed", "page parsed (DOMContentLoaded)"},
    {"libraryAsked", "streaming library asked for"},
    {"libraryReady", "streaming library fetched, compiled and run"},
    {"load", "page's load event (the template's playy)"},
    {"open", "player opens the address"},
    {"attach", "library attached to the video element"},
    {"mediaAsked", "first request to the media server"},
    {"mediaFetched", "its answer complete"},
    {"playing", "video element's playing"},
    {"frame", "first picture drawn"},
};

// A script that answers {step: ms from the command} for the steps the page went through (-1: none).
QString StepsScript(qint64 command)
{
    return QStringLiteral(R"js((function () {
  var t0 = performance.timeOrigin - %1, at = {}, n = performance.getEntriesByType('navigation')[0];
  function set(key, value) { at[key] = value > 0 ? t0 + value : -1; }
  function mark(key, name) { var e = performance.getEntriesByName(name)[0]; set(key, e ? e.startTime : 0); }
  at.navigation = t0;
  set('response', n.responseEnd);
  set('parsed', n.domContentLoadedEventStart);
  set('load', n.loadEventStart);
  mark('objects', 'zentavo-objects');
  mark('libraryReady', 'zentavo-library');
  mark('open', 'zentavo-open');
  mark('attach', 'zentavo-attach');
  mark('libraryAsked', 'zentavo-library-asked');
  var resources = performance.getEntriesByType('resource');
  var media = resources.filter(function (e) { return /^https?:/.test(e.name); })[0];
  set('mediaAsked', media ? media.startTime : 0);
  set('mediaFetched', media ? media.responseEnd : 0);
  var w = window.zentavoMediaWatch;
  at.playing = w && w.firstPlaying ? w.firstPlaying - %1 : -1;
  at.frame = w && w.firstFrame ? w.firstFrame - %1 : -1;
  return at;
})())js")
        .arg(command);
}

// mpv's own clock (--msg-time, from its start): from the line that opens the address to "playback
// restart complete". `shownAt`, when given, gets the time of that frame in ms since the epoch, counted
// back from mpv's end by its own clock (its start is later than the start of the process by an amount
// that varies; its last line comes just before it ends).
double MpvFirstFrameMs(const QUrl& url, qint64* shownAt = nullptr)
{
    QProcess mpv;
    mpv.setProcessChannelMode(QProcess::MergedChannels);
    mpv.start(QStringLiteral("mpv"),
              {QStringLiteral("--no-config"), QStringLiteral("--msg-time"), QStringLiteral("--msg-level=all=v"),
               QStringLiteral("--vo=null"), QStringLiteral("--ao=null"), QStringLiteral("--length=1"),
               // mpv asks RTSP servers for TCP only; FFmpeg's own order (UDP, then TCP) plays them all.
               QStringLiteral("--rtsp-transport=lavf"), url.toString()});
    // The media server runs on this thread: wait with the event loop running, never block it.
    QEventLoop loop;
    qint64 ended = 0;
    QObject::connect(&mpv, &QProcess::finished, &loop, [&] {
        ended = QDateTime::currentMSecsSinceEpoch();
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    if (mpv.state() != QProcess::NotRunning) {
        mpv.kill();
        mpv.waitForFinished();
        return -1;
    }
    const QString log = QString::fromUtf8(mpv.readAll());
    static const QRegularExpression line(QStringLiteral(R"(^\[\s*([0-9.]+)\]\s*(.*)$)"),
                                         QRegularExpression::MultilineOption);
    double opened = -1;
    double last = 0;
    for (auto it = line.globalMatch(log); it.hasNext();)
        last = it.next().captured(1).toDouble() * 1000;
    for (auto it = line.globalMatch(log); it.hasNext();) {
        const auto match = it.next();
        const double at = match.captured(1).toDouble() * 1000;
        const QString text = match.captured(2);
        if (opened < 0
            && (text.contains(QLatin1String("Playing: ")) || text.contains(QLatin1String("Opening "))
                || text.contains(url.toString())))
            opened = at;
        if (opened >= 0 && text.contains(QLatin1String("playback restart complete"))) {
            if (shownAt)
                *shownAt = ended - qint64(last - at);
            return at - opened;
        }
    }
    return -1;
}

// One line per step, one column per kind: the median ms from the command (a step a kind never
// reached: "-").
void PrintSteps(const std::vector<Kind>& kinds)
{
    std::printf("\nwhere the time goes: median ms from the play command\n%-16s", "step");
    for (const Kind& kind : kinds)
        std::printf(" %8s", kind.name);
    std::printf("\n");
    const auto row = [&kinds](const char* key, const char* meaning) {
        std::printf("%-16s", key);
        for (const Kind& kind : kinds) {
            const auto found = kind.steps.find(key);
            const std::vector<double> values =
                found == kind.steps.end() ? std::vector<double>{} : Measured(found->second);
            if (values.empty())
                std::printf(" %8s", "-");
            else
                std::printf(" %8.1f", Median(values));
        }
        std::printf("   %s\n", meaning);
    };
    row("written", "page written and navigation started (host)");
    for (const Step& step : kSteps)
        row(step.key, step.meaning);
}

} // namespace

int main(int argc, char** argv)
{
    PlayerProfile::RegisterUrlSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const int runs =
        !arguments.isEmpty() && !arguments[0].startsWith(QLatin1String("--")) ? std::max(1, arguments[0].toInt()) : 9;
    Shaping shaping;
    if (const auto at = arguments.indexOf(QStringLiteral("--shaped")); at >= 0) {
        if (at + 2 >= arguments.size()) {
            std::fprintf(stderr, "usage: zap_bench [runs] [--shaped DELAY_MS RATE_KBIT] [--steps] [--only NAME,...]\n");
            return 2;
        }
        shaping = {true, std::max(0, arguments[at + 1].toInt()), std::max(0, arguments[at + 2].toInt())};
    }
    // --steps: where the time of a zap goes, step by step (medians), after the figures.
    const bool showSteps = arguments.contains(QStringLiteral("--steps"));
    QStringList only;
    if (const auto at = arguments.indexOf(QStringLiteral("--only")); at >= 0 && at + 1 < arguments.size())
        only = arguments[at + 1].split(QLatin1Char(','), Qt::SkipEmptyParts);
    const bool haveMpv = !QStandardPaths::findExecutable(QStringLiteral("mpv")).isEmpty();

    QTemporaryDir folder;
    TestMedia::Generate(folder.path());
    MediaServer server(folder.path());
    const auto http = [&server](const char* path) { return server.Url(QLatin1String(path)).toString(); };
    std::vector<Kind> kinds = {
        NewKind("HLS", "1", http(TestMedia::kHls), 0),
        NewKind("MPEG-TS", "2", http(TestMedia::kMpegTs), 0),
        NewKind("MP4", "3", http(TestMedia::kMp4), 0),
    };
    // What mpv opens where it is not the player's own address.
    QHash<QString, QString> mpvAddresses;
    // The live servers read copies of the media from a folder that nobody may read. A server that
    // cannot start ends the benchmark with the reason (std::runtime_error names the package).
    std::unique_ptr<SharedFolder> shared;
    QString liveTs;
    QString liveWmv;
    const quint16 rtspPort = FreeLocalPort();
    const quint16 mmshPort = FreeLocalPort();
    std::unique_ptr<VlcStreamServer> rtsp;
    std::unique_ptr<VlcStreamServer> mmsh;
    std::unique_ptr<NginxRtmpServer> rtmp;
    // Operator channels: the same looped MPEG-TS for the player and for mpv, each to its own port.
    const quint16 udpPort = FreeLocalPort();
    const quint16 mpvUdpPort = FreeLocalPort();
    const quint16 srtPort = FreeLocalPort();
    const quint16 mpvSrtPort = FreeLocalPort();
    std::unique_ptr<ServerProcess> udp;
    std::unique_ptr<ServerProcess> mpvUdp;
    std::unique_ptr<ServerProcess> srt;
    std::unique_ptr<ServerProcess> mpvSrt;
    const auto srtAddress = [](quint16 port) { return QStringLiteral("srt://127.0.0.1:%1").arg(port); };
    const auto udpAddress = [](quint16 port) { return QStringLiteral("udp://@127.0.0.1:%1").arg(port); };
    // Shaped: a proxy for the player and one for mpv, both in front of the media server.
    std::unique_ptr<bench::ShapingProxy> playerLink;
    std::unique_ptr<bench::ShapingProxy> mpvLink;
    if (shaping.on) {
        const QString script = QStringLiteral(ZAP_SHAPING_PROXY);
        playerLink = std::make_unique<bench::ShapingProxy>(script, server.Port(), shaping.delayMs, shaping.rateKbit);
        mpvLink = std::make_unique<bench::ShapingProxy>(script, server.Port(), shaping.delayMs, shaping.rateKbit);
        for (Kind& kind : kinds) {
            QUrl address(kind.address);
            address.setPort(playerLink->Port());
            kind.address = address.toString();
            address.setPort(mpvLink->Port());
            mpvAddresses.insert(QLatin1String(kind.name), address.toString());
        }
    } else {
        shared = std::make_unique<SharedFolder>();
        liveTs = shared->Add(QDir(folder.path()).filePath(QLatin1String(TestMedia::kMpegTs)));
        const QString liveFlv = shared->Add(QDir(folder.path()).filePath(QLatin1String(TestMedia::kMp4)));
        liveWmv = shared->Add(QDir(folder.path()).filePath(QLatin1String(TestMedia::kWmvLive)));
        rtmp = std::make_unique<NginxRtmpServer>(*shared, liveFlv);
        udp = StartOperatorSender(OperatorProtocol::Udp, liveTs, udpPort);
        mpvUdp = StartOperatorSender(OperatorProtocol::Udp, liveTs, mpvUdpPort);
        mpvAddresses = {{QStringLiteral("UDP"), QStringLiteral("udp://127.0.0.1:%1").arg(mpvUdpPort)},
                        {QStringLiteral("SRT"), srtAddress(mpvSrtPort)}};
        kinds.insert(kinds.end(),
                     {
                         NewKind("MP3", "4", http(TestMedia::kMp3), 0, true),
                         NewKind("RTSP", "5", QStringLiteral("rtsp://127.0.0.1:%1/live").arg(rtspPort), 2),
                         NewKind("RTMP", "6", rtmp->Url(), 2),
                         NewKind("MMSH", "7", QStringLiteral("mmsh://127.0.0.1:%1/").arg(mmshPort), 3),
                         NewKind("WMV", "8", http(TestMedia::kWmv), 3),
                         NewKind("MPEG-2", "9", http(TestMedia::kMpeg2Ts), 3),
                         NewKind("UDP", "10", udpAddress(udpPort), 2),
                         NewKind("SRT", "11", srtAddress(srtPort), 2),
                     });
    }
    if (!only.isEmpty()) {
        kinds.erase(std::remove_if(kinds.begin(), kinds.end(),
                                   [&only](const Kind& kind) { return !only.contains(QLatin1String(kind.name)); }),
                    kinds.end());
    }
    const auto measures = [&kinds](const char* name) {
        return std::any_of(kinds.begin(), kinds.end(),
                           [name](const Kind& kind) { return qstrcmp(kind.name, name) == 0; });
    };
    const std::string passphrase = BuildStreamPassphrase();
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n");
    for (const Kind& kind : kinds) {
        const std::string address = kind.address.toStdString();
        xml += QStringLiteral("<item><id>%1</id><name>%2</name><country>-</country><bandwidth>-</bandwidth>"
                              "<type2>tv</type2><imgindex>0</imgindex><url>%3</url></item>\n")
                   .arg(QLatin1String(kind.id), QLatin1String(kind.name),
                        QString::fromStdString(EncipherString(address, passphrase, KeySize::Key256)));
    }
    WriteTextFile(folder.path(), QStringLiteral("tv-all.xml"), xml + QStringLiteral("</items>\n"));
    const std::string catalogue = QDir(folder.path()).filePath(QStringLiteral("tv-all.xml")).toStdString();

    PlayerProfile profile;
    ScratchFolder scratch;
    profile.scripts()->insert(MediaWatchScript());
    PlayerPage page(&profile, nullptr, PlayerPage::AlertDisplay::SignalOnly);
    QWebEngineView view;
    view.setPage(&page);
    view.resize(640, 480);
    view.show();

    for (int round = 0; round <= runs; ++round) {
        if (!shaping.on) {
            // VLC's streams of a file end with it: new servers each round, started before the clock runs.
            rtsp.reset();
            mmsh.reset();
            if (measures("RTSP"))
                rtsp = StartVlcRtsp(liveTs, rtspPort);
            if (measures("MMSH"))
                mmsh = StartVlcMmsh(liveWmv, mmshPort);
            // An SRT server here ends with its caller.
            srt.reset();
            mpvSrt.reset();
            if (measures("SRT")) {
                srt = StartOperatorSender(OperatorProtocol::Srt, liveTs, srtPort);
                mpvSrt = StartOperatorSender(OperatorProtocol::Srt, liveTs, mpvSrtPort);
            }
        }
        for (Kind& kind : kinds) {
            const qint64 command = QDateTime::currentMSecsSinceEpoch();
            QElapsedTimer clock;
            clock.start();
            FillOptions options;
            options.channelName = kind.name;
            const auto play = PreparePlay(catalogue, kind.id, passphrase, options);
            const auto file = scratch.WritePage(play->page);
            const QUrl url = profile.UrlForFile(QString::fromStdString(file.string()), zentavo::PagePlay{{}, true});
            page.load(url);
            const double prepared = clock.nsecsElapsed() / 1e6;
            const QString playingHere =
                QStringLiteral("location.href === '%1' && window.zentavoMediaWatch && "
                               "zentavoMediaWatch.%2 > 0")
                    .arg(url.toString(),
                         kind.soundOnly ? QStringLiteral("firstPlaying") : QStringLiteral("firstFrame"));
            if (!WaitForJavaScript(page, playingHere, 30000)) {
                std::fprintf(stderr, "%s did not play in round %d\n", kind.name, round);
                continue;
            }
            // A page whose picture shows before it reports `playing` has no `playing` figure for the round.
            const double playedAt = RunJavaScript(page, QStringLiteral("zentavoMediaWatch.firstPlaying")).toDouble();
            const double playing = playedAt > 0 ? playedAt - double(command) : -1;
            const double shown = kind.soundOnly
                ? playing
                : RunJavaScript(page, QStringLiteral("zentavoMediaWatch.firstFrame")).toDouble() - double(command);
            const qint64 mpvStarted = QDateTime::currentMSecsSinceEpoch();
            qint64 mpvShownAt = -1;
            const double mpv = haveMpv
                ? MpvFirstFrameMs(QUrl(mpvAddresses.value(QLatin1String(kind.name), kind.address)), &mpvShownAt)
                : -1;
            if (showSteps && round > 0) {
                const QVariantMap at = RunJavaScript(page, StepsScript(command)).toMap();
                for (const Step& step : kSteps)
                    kind.steps[step.key].push_back(at.value(QLatin1String(step.key), -1).toDouble());
                kind.steps["written"].push_back(prepared);
            }
            if (round == 0)
                continue; // warm-up: the web engine's processes start
            kind.prepare.push_back(prepared);
            kind.zap.push_back(shown);
            kind.playing.push_back(playing);
            kind.mpv.push_back(mpv);
            if (shaping.on) {
                kind.connections.push_back(playerLink->AcceptedBetween(command, command + qint64(shown)));
                kind.mpvConnections.push_back(mpv > 0 ? mpvLink->AcceptedBetween(mpvStarted, mpvShownAt) : -1);
            }
        }
    }
    page.load(QUrl(QStringLiteral("about:blank")));

    if (shaping.on) {
        const QString rate =
            shaping.rateKbit > 0 ? QStringLiteral("%1 kbit/s").arg(shaping.rateKbit) : QStringLiteral("no rate limit");
        std::printf("shaped network: %d ms each way, a round trip per new connection, %s per direction\n",
                    shaping.delayMs, qPrintable(rate));
        std::printf("zap time to the first picture drawn, %d rounds (ms; min / median / max); new connections "
                    "from the command (mpv: its start) to that picture\n",
                    runs);
        std::printf("%-8s %22s %22s %22s %16s %16s\n", "stream", "first picture", "mpv", "ratio to mpv", "connections",
                    "mpv connections");
        for (const Kind& kind : kinds) {
            std::printf("%-8s %22s %22s %22s %16s %16s\n", kind.name, qPrintable(Spread(kind.zap, 0)),
                        qPrintable(Spread(kind.mpv, 0)), qPrintable(Spread(Ratios(kind.zap, kind.mpv), 2)),
                        qPrintable(Spread(kind.connections, 0, true)),
                        qPrintable(Spread(kind.mpvConnections, 0, true)));
        }
        if (showSteps)
            PrintSteps(kinds);
        return 0;
    }
    std::printf("zap time to the first picture drawn (sound only: to playing), %d rounds (ms; min / median / "
                "max)\n",
                runs);
    std::printf("%-8s %8s %22s %10s %22s %22s %7s\n", "stream", "command", "first picture", "playing", "mpv",
                "ratio to mpv", "target");
    for (const Kind& kind : kinds) {
        const QString target = kind.target > 0 ? QString::number(kind.target, 'f', 1) : QStringLiteral("-");
        std::printf("%-8s %8.1f %22s %10.1f %22s %22s %7s\n", kind.name, Median(kind.prepare),
                    qPrintable(Spread(kind.zap, 0)), Median(Measured(kind.playing)), qPrintable(Spread(kind.mpv, 0)),
                    qPrintable(Spread(Ratios(kind.zap, kind.mpv), 2)), qPrintable(target));
    }
    if (showSteps)
        PrintSteps(kinds);
    return 0;
}
