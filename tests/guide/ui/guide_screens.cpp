// Pictures of the guide window and of a channel list with its "now on" column, for a person to
// look at: xvfb-run build/bin/guide_screens DIR
#include "channels/ui/channel_list_model.h"
#include "guide/guide_reading.h"
#include "guide/guide_store.h"
#include "guide/ui/guide_form.h"
#include "guide/ui/guide_grid.h"
#include "guide/ui/now_next_column.h"
#include "guide/ui/now_next_delegate.h"
#include "tests/guide/xmltv_samples.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace zentavo;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QTemporaryDir folder;
    const GuidePaths paths{folder.filePath(QStringLiteral("guide.sqlite")).toStdString(),
                           folder.filePath(QStringLiteral("choices.sqlite")).toStdString()};
    const std::int64_t now = QDateTime::currentSecsSinceEpoch();
    const std::int64_t hour = now - now % 3600;
    const char* names[] = {"Das Erste", "ZDF", "Arte", "BBC One",  "BBC Two",   "France 2",
                           "Rai 1",     "TVE", "CNN",  "Euronews", "NHK World", "DW"};
    const char* titles[] = {"News",
                            "Weather",
                            "Documentary: The Alps",
                            "Quiz Night",
                            "Film: The Long Road",
                            "Sports Live",
                            "Cooking Together",
                            "Late Talk",
                            "Children's Hour",
                            "Concert"};
    std::string body;
    std::vector<GuideListChannel> listChannels;
    std::vector<ListRow> rows;
    for (int c = 0; c < 12; ++c) {
        const std::string id = "ch" + std::to_string(c) + ".tv";
        body += test::Channel(id, {names[c]});
        std::int64_t start = hour - 3600 - (c % 4) * 900;
        for (int p = 0; start < hour + 12 * 3600; ++p) {
            const std::int64_t length = 1800 * (1 + (c + p) % 4);
            body += test::Programme({id, start, start + length, titles[(c * 3 + p) % 10]});
            start += length;
        }
        listChannels.push_back({std::to_string(c + 1), id, "", names[c], 0});
        rows.push_back({names[c], std::to_string(c + 1), 0});
    }
    rows.push_back({"Local Webcam", "99", 0});
    FillGuideFromXmltv(test::Guide(body), listChannels, paths, now);
    GuideStore store(paths);
    const GuideClock clock = [] { return QDateTime::currentSecsSinceEpoch(); };

    ChannelListModel model({});
    model.SetRows(rows);
    QTreeView view;
    view.setRootIsDecorated(false);
    view.setUniformRowHeights(true);
    view.setHeaderHidden(true);
    view.setModel(&model);
    new NowNextColumn(&view, &model, store, clock);
    view.setItemDelegateForColumn(model.ExtraColumnIndex(), new NowNextDelegate(&view));
    view.setColumnHidden(1, true);
    view.setColumnWidth(0, 215);
    view.setColumnWidth(model.ExtraColumnIndex(), 165);
    view.resize(400, 300);
    view.show();
    QTest::qWait(300);
    view.grab().save(out + QStringLiteral("/list-now-column.png"));

    GuideForm form(store, clock);
    form.SetChannels(rows);
    form.show();
    form.Grid()->setFocus();
    QTest::keyClick(form.Grid(), Qt::Key_Down);
    QTest::qWait(300);
    form.grab().save(out + QStringLiteral("/guide-window.png"));
    return 0;
}
