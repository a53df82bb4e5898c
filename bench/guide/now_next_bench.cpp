// Now and next for a screenful of rows (30) of a 100,000-channel guide: a guide database of
// CHANNELS channels (default 100000) with two-hour programmes over two days is written with the
// player's writer, every channel matched to a list channel; then SCREENS screens (default 300) at
// random places of the list are asked for their rows, and the time of each screen is printed as
// min / median / 99th percentile / max. The goal is at most 5 ms a screen.
// usage: zentavo-bench-guide-now-next [CHANNELS] [SCREENS]
#include "guide/guide_store.h"
#include "guide/guide_writer.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

using namespace zentavo;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const long channels = argc > 1 ? std::atol(argv[1]) : 100000;
    const int screens = argc > 2 ? std::atoi(argv[2]) : 300;
    constexpr int kRows = 30;
    QTemporaryDir folder;
    const GuidePaths paths{folder.path().toStdString() + "/guide.sqlite",
                           folder.path().toStdString() + "/choices.sqlite"};
    const std::int64_t now = std::time(nullptr);
    const std::int64_t first = now - now % 86400 - 86400;

    const auto writeStarted = std::chrono::steady_clock::now();
    {
        GuideWriter writer(GuideWorkPath(paths.guide));
        GuideProgramme programme;
        programme.description = "A programme of the benchmark, with a description of a usual length for a guide.";
        for (long c = 0; c < channels; ++c) {
            const std::int64_t row = c + 1;
            writer.PutChannel(row, GuideChannel{"ch" + std::to_string(c) + ".bench", {"Bench " + std::to_string(c)}});
            for (int p = 0; p < 24; ++p) {
                programme.start = first + p * 7200;
                programme.stop = programme.start + 7200;
                programme.title = "Programme " + std::to_string(p);
                writer.AddProgramme(row, programme);
            }
            writer.SetListChannel(std::to_string(c + 1), row, GuideMatchKind::Id, 0);
        }
        GuideReadSummary summary;
        summary.listChannels = summary.listChannelsMatched = channels;
        writer.Finish(summary, now);
        InstallGuide(writer.Path(), paths.guide);
    }
    const double writeSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - writeStarted).count();

    GuideStore store(paths);
    std::mt19937 random(42);
    std::uniform_int_distribution<long> place(0, channels - kRows);
    std::vector<double> times;
    long found = 0;
    for (int s = 0; s < screens; ++s) {
        const long top = place(random);
        std::vector<std::string> keys;
        for (int r = 0; r < kRows; ++r)
            keys.push_back(std::to_string(top + r + 1));
        const auto started = std::chrono::steady_clock::now();
        const std::vector<GuideNowNext> rows = store.NowNext(keys, now);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count());
        found += std::count_if(rows.begin(), rows.end(), [](const GuideNowNext& row) { return row.now && row.next; });
    }
    std::sort(times.begin(), times.end());
    std::printf("guide: %ld channels, %ld programmes, written in %.1f s\n", channels, channels * 24, writeSeconds);
    std::printf("now and next, %d rows a screen, %d screens: min %.3f ms, median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                kRows, screens, times.front(), times[times.size() / 2], times[times.size() * 99 / 100], times.back());
    std::printf("rows with now and next: %ld of %ld\n", found, static_cast<long>(screens) * kRows);
    return found == static_cast<long>(screens) * kRows ? 0 : 1;
}
