// The guide's windows on big guides, drawn for real (offscreen): the lists' "now on" column on a
// 100,000-channel list, and the guide window scrolled over 10,000 channels. A guide of CHANNELS
// channels (two-hour programmes over two days, every channel matched) is written with the
// player's writer. Then:
//  - list: SCREENS jumps to random places of a list of all the channels, each followed by a
//    repaint of the list (the guide asked for the rows on screen, the rows drawn);
//  - grid: FRAMES frames of the guide window over its first 10,000 channels, each a scroll by a
//    row and a quarter hour and a repaint (new rows and hours asked for as they come into view).
// Each prints min / median / 99th percentile / max in ms. Goals: at most 5 ms a list screen (the
// query alone: zentavo-bench-guide-now-next), every grid frame under 16 ms.
// usage: zentavo-bench-guide-windows [CHANNELS] [SCREENS] [FRAMES]
#include "channels/ui/channel_list_model.h"
#include "guide/guide_store.h"
#include "guide/guide_writer.h"
#include "guide/ui/guide_grid.h"
#include "guide/ui/now_next_column.h"
#include "guide/ui/now_next_delegate.h"

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

using namespace zentavo;

namespace {

void PrintTimes(const char* what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%s: min %.3f ms, median %.3f ms, p99 %.3f ms, max %.3f ms (%zu)\n", what, times.front(),
                times[times.size() / 2], times[times.size() * 99 / 100], times.back(), times.size());
}

double Milliseconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long channels = argc > 1 ? std::atol(argv[1]) : 100000;
    const int screens = argc > 2 ? std::atoi(argv[2]) : 300;
    const int frames = argc > 3 ? std::atoi(argv[3]) : 600;
    QTemporaryDir folder;
    const GuidePaths paths{folder.path().toStdString() + "/guide.sqlite",
                           folder.path().toStdString() + "/choices.sqlite"};
    const std::int64_t now = std::time(nullptr);
    const std::int64_t first = now - now % 86400 - 86400;
    std::vector<ListRow> rows;
    rows.reserve(static_cast<std::size_t>(channels));
    {
        GuideWriter writer(GuideWorkPath(paths.guide));
        GuideProgramme programme;
        programme.description = "A programme of the benchmark, with a description of a usual length for a guide.";
        for (long c = 0; c < channels; ++c) {
            const std::int64_t row = c + 1;
            writer.PutChannel(row, GuideChannel{"ch" + std::to_string(c) + ".bench", {"Bench " + std::to_string(c)}});
            for (int p = 0; p < 24; ++p) {
                // Staggered by channel, so that the grid's cells do not line up.
                programme.start = first + p * 7200 + (c % 7) * 600;
                programme.stop = programme.start + 7200;
                programme.title = "Programme " + std::to_string(p) + " of channel " + std::to_string(c);
                writer.AddProgramme(row, programme);
            }
            writer.SetListChannel(std::to_string(c + 1), row, GuideMatchKind::Id, 0);
            rows.push_back({"Bench channel " + std::to_string(c), std::to_string(c + 1), 0});
        }
        GuideReadSummary summary;
        summary.listChannels = summary.listChannelsMatched = channels;
        writer.Finish(summary, now);
        InstallGuide(writer.Path(), paths.guide);
    }
    GuideStore store(paths);
    const GuideClock clock = [now] { return now; };
    std::mt19937 random(42);

    {
        ChannelListModel model({});
        model.SetRows(rows);
        QTreeView view;
        view.setUniformRowHeights(true);
        view.setRootIsDecorated(false);
        view.setModel(&model);
        view.resize(400, 480);
        new NowNextColumn(&view, &model, store, clock);
        view.setItemDelegateForColumn(model.ExtraColumnIndex(), new NowNextDelegate(&view));
        view.setColumnWidth(0, 215);
        view.show();
        QApplication::processEvents();
        std::uniform_int_distribution<int> place(0, static_cast<int>(channels) - 40);
        std::vector<double> times;
        for (int s = 0; s < screens; ++s) {
            view.verticalScrollBar()->setValue(place(random));
            const auto started = std::chrono::steady_clock::now();
            view.viewport()->repaint();
            times.push_back(Milliseconds(started));
        }
        PrintTimes("list, a screen at a random place (query and drawing)", times);
    }
    {
        GuideGrid grid(store, clock);
        std::vector<GuideGridChannel> gridChannels;
        for (long c = 0; c < std::min(channels, 10000L); ++c)
            gridChannels.push_back({rows[static_cast<std::size_t>(c)].id,
                                    QString::fromStdString(rows[static_cast<std::size_t>(c)].caption)});
        grid.SetChannels(std::move(gridChannels));
        grid.resize(1280, 800);
        grid.show();
        grid.ScrollToNow();
        QApplication::processEvents();
        std::vector<double> times;
        for (int f = 0; f < frames; ++f) {
            const auto started = std::chrono::steady_clock::now();
            // Down a row each frame and across a quarter hour every other one; back up at the end.
            grid.verticalScrollBar()->setValue((grid.verticalScrollBar()->value() + 1)
                                               % grid.verticalScrollBar()->maximum());
            if (f % 2)
                grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->value()
                                                     + GuideGrid::kPixelsPerHour / 4);
            grid.viewport()->repaint();
            times.push_back(Milliseconds(started));
        }
        PrintTimes("guide window, a frame of scrolling over 10,000 channels", times);
        times.clear();
        std::uniform_int_distribution<int> place(0, grid.verticalScrollBar()->maximum());
        for (int f = 0; f < frames / 4; ++f) {
            const auto started = std::chrono::steady_clock::now();
            grid.verticalScrollBar()->setValue(place(random));
            grid.viewport()->repaint();
            times.push_back(Milliseconds(started));
        }
        PrintTimes("guide window, a jump to a random place", times);
    }
    return 0;
}
