// The gateway's own processor time against ffmpeg's for the same work: the whole of the cpu bench's
// 720p MPEG-2 MPEG-TS (with MP2 sound), served on 127.0.0.1, transcoded by a gateway session (read
// as fast as it comes, unpaced) and by the ffmpeg program with the gateway's settings (libx264 with
// the gateway's preset for 720p, zerolatency, 2 threads, a key picture every 2 s; AAC at 128 kbit/s;
// MPEG-TS to nowhere).
// Only the session's threads are counted (the worker and the decoder and encoder threads it starts).
//
//   gateway_cost [seconds [rounds]]   (default 60 s of media, 3 rounds)

#include "bench/zap/processor_time.h"
#include "bench/zap/round_figures.h"
#include "player/gateway/gateway_session.h"
#include "player/gateway/video_transcoder.h"
#include "tests/support/media_server.h"
#include "tests/support/test_media.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

extern char** environ;

using namespace zentavo;

namespace {

// The session's processor time for the whole file, in seconds; -1 when it failed.
double GatewaySeconds(const QUrl& url)
{
    auto buffer = std::make_shared<StreamBuffer>(GatewaySession::kBufferBytes);
    QHash<qint64, double> seen;
    {
        GatewaySession session(url.toString().toStdString(), buffer, GatewaySession::kNetworkTimeout, {},
                               std::chrono::hours(24));
        std::vector<char> chunk(256 * 1024);
        while (!buffer->AtEnd()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            while (buffer->Read(chunk.data(), chunk.size()) > 0) {
            }
            // Threads that end take their figures with them: keep the last of each.
            const auto now = bench::NamedThreadSeconds(GatewaySession::kThreadName);
            for (auto it = now.cbegin(); it != now.cend(); ++it)
                seen[it.key()] = std::max(seen.value(it.key()), it.value());
        }
        if (!buffer->Error().empty()) {
            std::fprintf(stderr, "gateway: %s\n", buffer->Error().c_str());
            return -1;
        }
    }
    return bench::SecondsBetween({}, seen);
}

// ffmpeg's processor time for the same work, in seconds (its children's rusage); -1 when it failed.
double FfmpegSeconds(const QUrl& url)
{
    const QByteArray address = url.toString().toUtf8();
    std::vector<const char*> arguments = {"ffmpeg",
                                          "-hide_banner",
                                          "-loglevel",
                                          "error",
                                          "-nostdin",
                                          "-i",
                                          address.constData(),
                                          "-c:v",
                                          "libx264",
                                          "-preset",
                                          X264Preset(1280, 720),
                                          "-tune",
                                          "zerolatency",
                                          "-g",
                                          "50",
                                          "-threads",
                                          "2",
                                          "-c:a",
                                          "aac",
                                          "-b:a",
                                          "128k",
                                          "-f",
                                          "mpegts",
                                          "-y",
                                          "/dev/null",
                                          nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "ffmpeg", nullptr, nullptr, const_cast<char* const*>(arguments.data()), environ) != 0)
        return -1;
    // The server answers in this thread's event loop while ffmpeg reads.
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, WNOHANG, &usage) == 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    const auto seconds = [](const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(10, atoi(argv[1])) : 60;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    QTemporaryDir folder;
    std::fprintf(stderr, "gateway_cost: making %d s of 720p MPEG-2\n", seconds);
    test::RunFfmpeg(folder.path(),
                    {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("testsrc2=size=1280x720:rate=25:duration=%1").arg(seconds), QStringLiteral("-f"),
                     QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(seconds),
                     QStringLiteral("-c:v"), QStringLiteral("mpeg2video"), QStringLiteral("-b:v"), QStringLiteral("6M"),
                     QStringLiteral("-g"), QStringLiteral("25"), QStringLiteral("-c:a"), QStringLiteral("mp2"),
                     QStringLiteral("-f"), QStringLiteral("mpegts"), QStringLiteral("720p-mpeg2.ts")},
                    600000);
    test::MediaServer server(folder.path());
    const QUrl url = server.Url(QStringLiteral("720p-mpeg2.ts"));
    QList<double> gateway;
    QList<double> ffmpeg;
    QList<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        gateway.append(GatewaySeconds(url) * 60.0 / seconds);
        ffmpeg.append(FfmpegSeconds(url) * 60.0 / seconds);
        if (gateway.back() > 0 && ffmpeg.back() > 0)
            ratios.append(gateway.back() / ffmpeg.back());
        std::fprintf(stderr, "gateway_cost: round %d: gateway %.2f, ffmpeg %.2f s/min\n", round + 1, gateway.back(),
                     ffmpeg.back());
    }
    std::printf("720p MPEG-2 + MP2 to H.264 + AAC, processor time per minute of media (min / median / max)\n"
                "  gateway session %s\n  ffmpeg          %s\n  gateway / ffmpeg %s\n",
                qPrintable(bench::Spread(gateway)), qPrintable(bench::Spread(ffmpeg)),
                qPrintable(bench::Spread(ratios)));
    return 0;
}
