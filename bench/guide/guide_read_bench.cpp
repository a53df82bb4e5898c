// Reads a guide file into a fresh guide database as the player does (ReadGuide) and prints the
// time, the summary and the memory the reading took above the process's idle state: the peak of
// resident memory (VmHWM) and the peak of anonymous memory (RssAnon, sampled after every MB read).
// The list channels are "ch<N>.bench" for N below MATCHED (default: every channel of the generator).
// usage: zentavo-bench-guide-read GUIDE [MATCHED]
#include "guide/guide_reading.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

using namespace zentavo;

namespace {

// A field of /proc/self/status in kB.
long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s GUIDE [MATCHED]\n", argv[0]);
        return 2;
    }
    const long matched = argc > 2 ? std::atol(argv[2]) : 10000;
    std::vector<GuideListChannel> channels;
    for (long i = 0; i < matched; ++i)
        channels.push_back({std::to_string(i + 1), "ch" + std::to_string(i) + ".bench", "", "", 0});
    QTemporaryDir folder;
    const GuidePaths paths{folder.path().toStdString() + "/guide.sqlite",
                           folder.path().toStdString() + "/choices.sqlite"};

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
    std::printf("peak_rss_above_idle_mb %.1f\n", (StatusKb("VmHWM") - idleRss) / 1024.0);
    std::printf("peak_anon_above_idle_mb %.1f\n", (peakAnon - idleAnon) / 1024.0);
    std::printf("database_mb %.1f\n", std::filesystem::file_size(paths.guide) / 1048576.0);
    std::printf("summary %s\n", DescribeGuideSummary(summary).c_str());
    return 0;
}
