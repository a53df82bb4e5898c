// Reads a guide file into a fresh guide database as the player does (ReadGuide) and prints the
// time, the summary and the memory the reading took above the process's idle state: the peak of
// resident memory (VmHWM) and the peak of anonymous memory (RssAnon, sampled after every MB read).
// The list channels are "ch<N>.bench" for N below MATCHED (default: every channel of the generator),
// keyed N + 1. With DATABASE the guide database is written there and kept (the start-up benchmark
// stores a guide so); otherwise it goes with a temporary folder.
// usage: zentavo-bench-guide-read GUIDE [MATCHED] [DATABASE]
#include "bench/guide/process_status.h"
#include "guide/guide_reading.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>

using namespace zentavo;

namespace {

double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s GUIDE [MATCHED] [DATABASE]\n", argv[0]);
        return 2;
    }
    const long matched = argc > 2 ? std::atol(argv[2]) : 10000;
    std::vector<GuideListChannel> channels;
    for (long i = 0; i < matched; ++i)
        channels.push_back({std::to_string(i + 1), "ch" + std::to_string(i) + ".bench", "", "", 0});
    QTemporaryDir folder;
    const GuidePaths paths{argc > 3 ? std::filesystem::path(argv[3])
                                    : std::filesystem::path(folder.path().toStdString()) / "guide.sqlite",
                           std::filesystem::path(folder.path().toStdString()) / "choices.sqlite"};

    const double idleProcessCpu = CpuSeconds(RUSAGE_SELF);
    const double idleThreadCpu = CpuSeconds(RUSAGE_THREAD);
    const long idleRss = StatusKb("VmRSS");
    const long idleAnon = StatusKb("RssAnon");
    long peakAnon = idleAnon;
    const auto started = std::chrono::steady_clock::now();
    const GuideReadSummary summary = ReadGuide({GuideSource{argv[1], argv[1], {}}}, channels, paths, std::time(nullptr),
                                               [&peakAnon](std::int64_t, std::int64_t) {
                                                   peakAnon = std::max(peakAnon, StatusKb("RssAnon"));
                                                   return true;
                                               });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    peakAnon = std::max(peakAnon, StatusKb("RssAnon"));
    std::printf("read_seconds %.2f\n", seconds);
    // The parsing thread (this one) and the database writer apart: on a machine with a core free
    // for each, the reading takes about as long as the busier of the two.
    const double process = CpuSeconds(RUSAGE_SELF) - idleProcessCpu;
    const double parser = CpuSeconds(RUSAGE_THREAD) - idleThreadCpu;
    std::printf("cpu_seconds_parsing_thread %.2f\n", parser);
    std::printf("cpu_seconds_writing_thread %.2f\n", process - parser);
    std::printf("peak_rss_above_idle_mb %.1f\n", (StatusKb("VmHWM") - idleRss) / 1024.0);
    std::printf("peak_anon_above_idle_mb %.1f\n", (peakAnon - idleAnon) / 1024.0);
    std::printf("database_mb %.1f\n", std::filesystem::file_size(paths.guide) / 1048576.0);
    std::printf("summary %s\n", DescribeGuideSummary(summary).c_str());
    return 0;
}
