// The guide's windows over a store read from a generated guide: the lists' "now on" column and its
// change when a programme ends, the programme of the channel that plays, the guide window from the
// keyboard (moving, searching channels and titles, playing), the hand choice of a guide channel, the
// list window with a guide, the Guides part of Manage playlists reading a listed guide, the guide
// window's group filter, and a playlist added from 127.0.0.1 whose header names a guide there.
#include "guide_fixture.h"

#include "channels/ui/channel_list_model.h"
#include "channels/ui/list_form.h"
#include "guide/ui/guide_channel_dialog.h"
#include "guide/ui/guide_form.h"
#include "guide/ui/guide_grid.h"
#include "guide/ui/guide_sources_panel.h"
#include "guide/ui/guide_windows.h"
#include "guide/ui/now_next_column.h"
#include "guide/ui/playing_programme.h"
#include "guide/ui/programme_text.h"
#include "tests/channels/ui/list_fixture.h"
#include "tests/support/media_server.h"
#include "tests/support/waits.h"
#include "tests/support/window_answer.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <fstream>
#include <functional>

using namespace zentavo;
using test::Answer;
using test::GuideFixture;

namespace {

constexpr std::int64_t kNoon = GuideFixture::kNoon;

std::string Programmes()
{
    using test::Programme;
    std::string xml;
    // One.tv: a programme that ends two seconds after noon, and the one after it.
    xml += Programme({"one.tv", kNoon - 3600, kNoon + 2, "Morning News"});
    xml += Programme({"one.tv", kNoon + 2, kNoon + 7200, "Noon Film"});
    // Two.tv: one with every detail, half run at noon; one after it; one three days ahead.
    xml += "<programme start=\"" + test::XmltvTime(kNoon - 1800) + "\" stop=\"" + test::XmltvTime(kNoon + 1800)
        + "\" channel=\"two.tv\"><title>Cartoons</title><sub-title>The Cat</sub-title>"
          "<desc>A cat and a mouse.</desc><category>Kids</category>"
          "<episode-num system=\"onscreen\">S2 E5</episode-num></programme>\n";
    xml += Programme({"two.tv", kNoon + 1800, kNoon + 5400, "Sports"});
    xml += Programme({"two.tv", kNoon + 3 * 86400, kNoon + 3 * 86400 + 3600, "Late Show"});
    return xml;
}

std::vector<ListRow> Rows()
{
    return {{"One", "c1", 0}, {"Two", "c2", 0}, {"Three", "c3", 0}};
}

} // namespace

class GuideWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void nowColumnShowsTheProgrammeOnWithTheNextInItsTooltip();
    void nowColumnMovesOnWhenTheProgrammeEnds();
    void playingProgrammeFollowsTheChannelThroughTheGuide();
    void guideWindowMovesByKeyboardShowsDetailsAndPlaysOnEnter();
    void guideWindowNarrowsChannelsAndGoesToTitlesOfAnyDay();
    void handChoiceIsKeptUntilUndone();
    void listWindowShowsTheColumnOnceThereIsAGuideAndOffersItsCommands();
    void guidesPartReadsAListedGuideAndRemovesIt();
    void guideWindowNarrowsChannelsToAGroup();
    void playlistAddedWithAGuideHasTheGuideRead();
};

void GuideWindowsTest::nowColumnShowsTheProgrammeOnWithTheNextInItsTooltip()
{
    GuideFixture guide(Programmes());
    guide.SetClock(kNoon);
    ChannelListModel model({});
    model.SetRows(Rows());
    QTreeView view;
    view.setModel(&model);
    auto* column = new NowNextColumn(&view, &model, *guide.store, guide.Clock());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const int now = model.ExtraColumnIndex();
    QCOMPARE(model.columnCount(), now + 1);

    QCOMPARE(model.index(1, now).data().toString(), QStringLiteral("Cartoons"));
    QCOMPARE(model.index(1, now).data(Qt::ToolTipRole).toString(),
             QStringLiteral("Now: %1-%2 Cartoons\nNext: %2-%3 Sports")
                 .arg(ClockTime(kNoon - 1800), ClockTime(kNoon + 1800), ClockTime(kNoon + 5400)));
    // Half of Cartoons has run at noon (a second or two more on a slow machine).
    const double progress = model.index(1, now).data(NowNextColumn::ProgressRole).toDouble();
    QVERIFY2(progress >= 0.5 && progress < 0.52, qPrintable(QString::number(progress)));
    // A channel without a guide shows nothing, not even a tooltip or a bar.
    QCOMPARE(model.index(2, now).data().toString(), QString());
    QVERIFY(!model.index(2, now).data(Qt::ToolTipRole).isValid());
    QVERIFY(!model.index(2, now).data(NowNextColumn::ProgressRole).isValid());
    // The caption and id columns are the list's own, as before.
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("One"));

    delete column;
    QCOMPARE(model.columnCount(), now);
}

void GuideWindowsTest::nowColumnMovesOnWhenTheProgrammeEnds()
{
    GuideFixture guide(Programmes());
    guide.SetClock(kNoon);
    ChannelListModel model({});
    model.SetRows(Rows());
    QTreeView view;
    view.setModel(&model);
    new NowNextColumn(&view, &model, *guide.store, guide.Clock());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QModelIndex one = model.index(0, model.ExtraColumnIndex());
    QCOMPARE(one.data().toString(), QStringLiteral("Morning News"));
    // Morning News ends two seconds after noon; what the column keeps is asked for again then.
    QTRY_COMPARE_WITH_TIMEOUT(one.data().toString(), QStringLiteral("Noon Film"), test::Limit(10000));
    QVERIFY(one.data(Qt::ToolTipRole).toString().startsWith(QStringLiteral("Now: ")));
}

void GuideWindowsTest::playingProgrammeFollowsTheChannelThroughTheGuide()
{
    GuideFixture guide(Programmes());
    guide.SetClock(kNoon);
    PlayingProgramme playing(*guide.store, guide.Clock());
    QSignalSpy changes(&playing, &PlayingProgramme::Changed);
    playing.Track(QStringLiteral("c1"));
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.at(0).at(0).toString(), QStringLiteral("Morning News"));
    QCOMPARE(changes.at(0).at(1).toString(), QStringLiteral("Morning News (until %1)").arg(ClockTime(kNoon + 2)));
    QTRY_COMPARE_WITH_TIMEOUT(playing.Title(), QStringLiteral("Noon Film"), test::Limit(10000));
    QCOMPARE(changes.size(), 2);
    // A channel without a guide, then nothing playing: no programme, said once.
    playing.Track(QStringLiteral("c3"));
    QCOMPARE(changes.size(), 3);
    QCOMPARE(changes.at(2).at(0).toString(), QString());
    playing.Stop();
    QCOMPARE(changes.size(), 3);
}

void GuideWindowsTest::guideWindowMovesByKeyboardShowsDetailsAndPlaysOnEnter()
{
    GuideFixture guide(Programmes());
    guide.SetClock(kNoon);
    GuideForm form(*guide.store, guide.Clock());
    form.SetChannels(Rows());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    GuideGrid* grid = form.Grid();
    grid->setFocus();
    auto* details = form.findChild<QLabel*>(QStringLiteral("ProgrammeDetails"));
    QVERIFY(details);
    const auto title = [grid] {
        const std::optional<GuideProgramme> programme = grid->CurrentProgramme();
        return programme ? QString::fromStdString(programme->title) : QString();
    };
    QCOMPARE(grid->CurrentRow(), 0);
    QCOMPARE(title(), QStringLiteral("Morning News"));

    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->CurrentRow(), 1);
    QCOMPARE(title(), QStringLiteral("Cartoons"));
    for (const char* part : {"Two", "Cartoons", "The Cat", "Episode: S2 E5", "Category: Kids", "A cat and a mouse."})
        QVERIFY2(details->text().contains(QString::fromUtf8(part)), qPrintable(details->text()));
    GuideProgramme cartoons;
    cartoons.start = kNoon - 1800;
    cartoons.stop = kNoon + 1800;
    QVERIFY(details->text().contains(ProgrammeTimes(cartoons)));

    QTest::keyClick(grid, Qt::Key_Right);
    QCOMPARE(title(), QStringLiteral("Sports"));
    QTest::keyClick(grid, Qt::Key_Left);
    QCOMPARE(title(), QStringLiteral("Cartoons"));
    // Down keeps the time: on a channel without a guide there is no programme to show.
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->CurrentRow(), 2);
    QCOMPARE(title(), QString());
    QVERIFY(details->text().contains(QStringLiteral("No programme")));
    QTest::keyClick(grid, Qt::Key_Down); // the last row stays
    QCOMPARE(grid->CurrentRow(), 2);
    QTest::keyClick(grid, Qt::Key_PageUp);
    QCOMPARE(grid->CurrentRow(), 0);

    QSignalSpy plays(&form, &GuideForm::PlayChannelRequested);
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(plays.size(), 1);
    QCOMPARE(plays.at(0).at(0).toString(), QStringLiteral("c1"));
    QCOMPARE(plays.at(0).at(1).toString(), QStringLiteral("One"));
    QVERIFY(!form.isVisible());

    // A double click on a row plays that channel.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint secondRow(GuideGrid::kChannelWidth / 2, GuideGrid::kRulerHeight + GuideGrid::kRowHeight * 3 / 2);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, secondRow);
    QCOMPARE(plays.size(), 2);
    QCOMPARE(plays.at(1).at(0).toString(), QStringLiteral("c2"));
}

void GuideWindowsTest::guideWindowNarrowsChannelsAndGoesToTitlesOfAnyDay()
{
    GuideFixture guide(Programmes());
    guide.SetClock(kNoon);
    GuideForm form(*guide.store, guide.Clock());
    form.SetChannels(Rows());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    GuideGrid* grid = form.Grid();
    auto* channels = form.findChild<QLineEdit*>(QStringLiteral("ChannelSearch"));
    auto* titles = form.findChild<QLineEdit*>(QStringLiteral("TitleSearch"));
    auto* hits = form.findChild<QListWidget*>(QStringLiteral("TitleHits"));
    QVERIFY(channels && titles && hits);

    // The channel search narrows the rows as the lists' search does; Enter goes to the grid.
    channels->setFocus();
    QTest::keyClicks(channels, QStringLiteral("thr"));
    QCOMPARE(grid->Channels().size(), std::size_t(1));
    QCOMPARE(grid->Channels().front().caption, QStringLiteral("Three"));
    QTest::keyClick(channels, Qt::Key_Return);
    QVERIFY(grid->hasFocus());

    // A title three days ahead, on a channel the search hides: the hit clears the search.
    titles->setFocus();
    QTest::keyClicks(titles, QStringLiteral("late"));
    QTest::keyClick(titles, Qt::Key_Return);
    QVERIFY(hits->isVisible());
    QCOMPARE(hits->count(), 1);
    QVERIFY(hits->item(0)->text().contains(QStringLiteral("Late Show")));
    QTest::keyClick(titles, Qt::Key_Down);
    QVERIFY(hits->hasFocus());
    QTest::keyClick(hits, Qt::Key_Return);
    QVERIFY(grid->hasFocus());
    QCOMPARE(channels->text(), QString());
    QCOMPARE(grid->Channels().size(), std::size_t(3));
    QCOMPARE(grid->CurrentRow(), 1);
    QCOMPARE(QString::fromStdString(grid->CurrentProgramme().value_or(GuideProgramme{}).title),
             QStringLiteral("Late Show"));

    // A title that no programme has says so, and its line leads nowhere.
    titles->selectAll();
    QTest::keyClicks(titles, QStringLiteral("nothing like it"));
    QTest::keyClick(titles, Qt::Key_Return);
    QCOMPARE(hits->count(), 1);
    QVERIFY(hits->item(0)->text().startsWith(QStringLiteral("No programme title holds")));
    hits->setFocus();
    QTest::keyClick(hits, Qt::Key_Return);
    QCOMPARE(grid->CurrentRow(), 1);
}

void GuideWindowsTest::handChoiceIsKeptUntilUndone()
{
    GuideFixture guide(Programmes());
    {
        // "Three" matches nothing; the user finds a guide channel for it by a word of its name.
        GuideChannelDialog dialog(*guide.store, "c3", QStringLiteral("Three"));
        QVERIFY(dialog.CurrentMatchText().startsWith(QStringLiteral("No guide channel")));
        dialog.show();
        auto* search = dialog.findChild<QLineEdit*>(QStringLiteral("GuideChannelSearch"));
        auto* found = dialog.findChild<QListWidget*>(QStringLiteral("GuideChannels"));
        QCOMPARE(found->count(), 3); // every channel before anything is typed
        QTest::keyClicks(search, QStringLiteral("spare"));
        QCOMPARE(found->count(), 1);
        QCOMPARE(found->item(0)->text(), QStringLiteral("Spare Channel (spare.tv)"));
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QCOMPARE(guide.store->MatchOf("c3"), (GuideMatch{"spare.tv", GuideMatchKind::Hand, 0}));

    // A new reading of the guide keeps the choice.
    FillGuideFromXmltv(test::Guide(test::Channel("one.tv", {"One"}) + test::Channel("spare.tv", {"Spare Channel"})),
                       GuideFixture::ListChannels(), guide.paths, kNoon);
    guide.store->Reopen();
    QCOMPARE(guide.store->MatchOf("c3"), (GuideMatch{"spare.tv", GuideMatchKind::Hand, 0}));

    {
        // "One": no guide at all, by hand.
        GuideChannelDialog dialog(*guide.store, "c1", QStringLiteral("One"));
        QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("AutomaticMatch"))->isEnabled());
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("NoGuide")), Qt::LeftButton);
    }
    QCOMPARE(guide.store->MatchOf("c1"), (GuideMatch{"", GuideMatchKind::Hand, 0}));
    {
        // And back to the automatic match.
        GuideChannelDialog dialog(*guide.store, "c1", QStringLiteral("One"));
        QVERIFY(dialog.CurrentMatchText().contains(QStringLiteral("No guide for this channel")));
        auto* automatic = dialog.findChild<QPushButton*>(QStringLiteral("AutomaticMatch"));
        QVERIFY(automatic->isEnabled());
        QTest::mouseClick(automatic, Qt::LeftButton);
    }
    QCOMPARE(guide.store->MatchOf("c1"), (GuideMatch{"one.tv", GuideMatchKind::Id, 0}));
}

void GuideWindowsTest::listWindowShowsTheColumnOnceThereIsAGuideAndOffersItsCommands()
{
    ListFixture lists;
    TListForm form(lists.context);
    form.LoadChannelLists();
    QTemporaryDir folder;
    const GuidePaths paths{folder.filePath(QStringLiteral("guide.sqlite")).toStdString(),
                           folder.filePath(QStringLiteral("choices.sqlite")).toStdString()};
    GuideWindows guide(paths, [] { return kNoon; });
    guide.AttachLists(form);
    ChannelListView* tv = form.ListView(ChannelTab::Tv);
    ChannelListModel* model = form.Model(ChannelTab::Tv);
    const int now = model->ExtraColumnIndex();
    // Without a guide the lists look as they always did.
    QVERIFY(tv->isColumnHidden(now));

    // A reading gives "News One" (id 17) a guide: the column shows once the windows hear of it.
    FillGuideFromXmltv(test::Guide(test::Channel("one.tv", {"One"}) + Programmes()),
                       {{"17", "one.tv", "", "News One", 0}}, paths, kNoon);
    guide.GuideChanged();
    QVERIFY(!tv->isColumnHidden(now));
    const int row = model->ShownRowOf("17");
    QVERIFY(row >= 0);
    QCOMPARE(model->index(row, now).data().toString(), QStringLiteral("Morning News"));

    // The rows' popup menus have Guide channel..., the Channels menu Guide... (Ctrl+G).
    for (const char* name : {"PopupMenu1", "PopupMenu2"}) {
        const QList<QAction*> actions = form.findChild<QMenu*>(QString::fromLatin1(name))->actions();
        QVERIFY2(
            std::any_of(actions.begin(), actions.end(),
                        [](const QAction* action) { return action->text() == QStringLiteral("Guide channel..."); }),
            name);
    }
    auto* open = form.findChild<QAction*>(QStringLiteral("GuideAction"));
    QVERIFY(open && form.ChannelsMenu()->actions().contains(open));
    QCOMPARE(open->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));
    QSignalSpy requests(&guide, &GuideWindows::GuideRequested);
    open->trigger();
    QCOMPARE(requests.size(), 1);

    // The guide window lists the channels of the TV and radio lists.
    GuideForm* window = guide.ShowGuide(nullptr);
    QVERIFY(window);
    const std::size_t tvAndRadio =
        form.Model(ChannelTab::Tv)->Rows().size() + form.Model(ChannelTab::Radio)->Rows().size();
    QCOMPARE(window->Grid()->Channels().size(), tvAndRadio);
    window->close();
}

void GuideWindowsTest::guidesPartReadsAListedGuideAndRemovesIt()
{
    QTemporaryDir folder;
    const std::filesystem::path root = folder.path().toStdString();
    GuideRefreshSettings settings;
    settings.paths = {root / "guide.sqlite", root / "guide-choices.sqlite"};
    settings.sourcesFile = root / "guide-sources.json";
    settings.shippedCatalogue = root / "tv-all.xml";
    settings.playlistsFolder = root / "playlists";
    std::ofstream(settings.shippedCatalogue)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items><item><id>1</id><name>Das Erste HD</name>"
           "<country>Germany</country><bandwidth/><type2>tv</type2><url>00</url><imgindex>0</imgindex></item></"
           "items>\n";
    const std::int64_t now = QDateTime::currentSecsSinceEpoch();
    std::ofstream(root / "guide.xml") << test::Guide(
        test::Channel("daserste.de", {"Das Erste"})
        + test::Programme({"daserste.de", now - 3600, now + 3600, "Tagesschau"}));
    GuideSourceList(settings.sourcesFile).Add((root / "guide.xml").string());

    QNetworkAccessManager network;
    GuideRefresh refresh(network, settings);
    GuideSourcesPanel panel(refresh, settings.sourcesFile);
    panel.show();
    auto* table = panel.findChild<QTreeWidget*>(QStringLiteral("GuideTable"));
    QCOMPARE(table->topLevelItemCount(), 1);
    QCOMPARE(table->topLevelItem(0)->text(2), QStringLiteral("not read yet"));

    // The outcome comes in a message box; the test reads and closes it.
    QStringList messages;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&messages] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            messages << box->text();
            box->accept();
        }
    });
    closer.start(20);
    QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("RefreshGuides")), Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(table->topLevelItem(0)->text(2), QStringLiteral("read"));
    QVERIFY(!table->topLevelItem(0)->text(3).isEmpty());
    GuideStore store(settings.paths);
    const GuideNowNext nowNext = store.NowNext("1", now);
    QVERIFY(nowNext.now);
    QCOMPARE(nowNext.now->title, std::string("Tagesschau"));

    QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("RemoveGuide")), Qt::LeftButton);
    QCOMPARE(table->topLevelItemCount(), 0);
    QVERIFY(GuideSourceList(settings.sourcesFile).Sources().empty());
    QVERIFY(!panel.findChild<QPushButton*>(QStringLiteral("RefreshGuides"))->isEnabled());
}

void GuideWindowsTest::guideWindowNarrowsChannelsToAGroup()
{
    GuideFixture guide(Programmes());
    guide.SetClock(kNoon);
    GuideForm form(*guide.store, guide.Clock());
    form.SetChannels(Rows());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    GuideGrid* grid = form.Grid();
    auto* channels = form.findChild<QLineEdit*>(QStringLiteral("ChannelSearch"));
    auto* titles = form.findChild<QLineEdit*>(QStringLiteral("TitleSearch"));
    auto* hits = form.findChild<QListWidget*>(QStringLiteral("TitleHits"));
    auto* groups = form.findChild<QComboBox*>(QStringLiteral("GroupFilter"));
    QVERIFY(channels && titles && hits && groups);
    // Rows without groups have no filter to show, as in the lists.
    QVERIFY(!groups->isVisible());

    std::vector<ListRow> rows = Rows();
    rows[0].group = "News";
    rows[1].group = "Kids";
    rows[2].group = "News";
    form.SetChannels(rows);
    QVERIFY(groups->isVisible());
    QStringList offered;
    for (int i = 0; i < groups->count(); ++i)
        offered << groups->itemText(i);
    QCOMPARE(offered, (QStringList{QStringLiteral("All groups"), QStringLiteral("Kids"), QStringLiteral("News")}));
    const auto shown = [grid] {
        QStringList captions;
        for (const GuideGridChannel& channel : grid->Channels())
            captions << channel.caption;
        return captions;
    };

    // From the keyboard: Tab from the channel search reaches it, the arrows choose.
    channels->setFocus();
    QTest::keyClick(channels, Qt::Key_Tab);
    QVERIFY(groups->hasFocus());
    QTest::keyClick(groups, Qt::Key_Down);
    QCOMPARE(shown(), QStringList{QStringLiteral("Two")});
    QTest::keyClick(groups, Qt::Key_Down);
    QCOMPARE(shown(), (QStringList{QStringLiteral("One"), QStringLiteral("Three")}));
    // With the search, both narrow.
    QTest::keyClicks(channels, QStringLiteral("thr"));
    QCOMPARE(shown(), QStringList{QStringLiteral("Three")});
    channels->clear();
    // Rows read again keep the group while they have it, and show every group once they do not.
    form.SetChannels(rows);
    QCOMPARE(groups->currentText(), QStringLiteral("News"));
    QCOMPARE(shown(), (QStringList{QStringLiteral("One"), QStringLiteral("Three")}));
    std::vector<ListRow> regrouped = rows;
    for (ListRow& row : regrouped)
        row.group = row.group == "News" ? "Info" : row.group;
    form.SetChannels(regrouped);
    QCOMPARE(groups->currentText(), QStringLiteral("All groups"));
    QCOMPARE(shown().size(), 3);

    // A title on a channel the group hides: the hit wins over the group too.
    form.SetChannels(rows);
    groups->setFocus();
    QTest::keyClick(groups, Qt::Key_End);
    QCOMPARE(groups->currentText(), QStringLiteral("News"));
    titles->setFocus();
    QTest::keyClicks(titles, QStringLiteral("late"));
    QTest::keyClick(titles, Qt::Key_Return);
    QCOMPARE(hits->count(), 1);
    hits->setFocus();
    hits->setCurrentRow(0);
    QTest::keyClick(hits, Qt::Key_Return);
    QCOMPARE(groups->currentText(), QStringLiteral("All groups"));
    QCOMPARE(shown().size(), 3);
    QCOMPARE(grid->CurrentRow(), 1);
}

namespace {

// An environment variable set for the life of the object.
class EnvironmentValue {
public:
    EnvironmentValue(const char* name, const QByteArray& value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~EnvironmentValue()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

} // namespace

void GuideWindowsTest::playlistAddedWithAGuideHasTheGuideRead()
{
    // A playlist on 127.0.0.1 whose header names a gzip guide on 127.0.0.1 under a name that does
    // not say so; the playlist's channel and the guide's share a tvg-id.
    ListFixture lists;
    const EnvironmentValue data("XDG_DATA_HOME", lists.dir.filePath(QStringLiteral("xdg-data")).toLocal8Bit());
    lists.context.StreamPassphrase = "guide test passphrase";
    QTemporaryDir served;
    test::MediaServer server(served.path());
    const std::int64_t now = QDateTime::currentSecsSinceEpoch();
    ListFixture::WriteFile(served.filePath(QStringLiteral("epg.dat")),
                           QByteArray::fromStdString(test::Gzip(
                               test::Guide(test::Channel("Erste.de", {"Das Erste"})
                                           + test::Programme({"Erste.de", now - 3600, now + 3600, "Tagesschau"})))));
    const QString guideAddress = server.Url(QStringLiteral("epg.dat")).toString();
    ListFixture::WriteFile(served.filePath(QStringLiteral("tv.m3u")),
                           "#EXTM3U x-tvg-url=\"" + guideAddress.toUtf8()
                               + "\"\n#EXTINF:-1 tvg-id=\"Erste.de\",Erste Programm\nhttp://erste.example/live.m3u8\n");

    TListForm form(lists.context);
    form.LoadChannelLists();
    QTemporaryDir folder;
    const std::filesystem::path root = folder.path().toStdString();
    GuideRefreshSettings settings;
    settings.paths = {root / "guide.sqlite", root / "guide-choices.sqlite"};
    settings.sourcesFile = root / "guide-sources.json";
    settings.shippedCatalogue = lists.context.CataloguePath().toStdString();
    settings.playlistsFolder = lists.context.PlaylistsFolder().toStdString();
    GuideWindows guide(settings.paths, SystemGuideClock());
    guide.AttachLists(form);
    guide.EnableSources([settings] { return settings; });
    form.show();

    // Channels > Add playlist... with the address; the summary box is read and closed.
    const Answer add(QStringLiteral("AddPlaylistDialog"), [&server](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("SourceEdit"))
            ->setText(server.Url(QStringLiteral("tv.m3u")).toString());
        dialog->findChild<QLineEdit*>(QStringLiteral("NameEdit"))->setText(QStringLiteral("Guide test"));
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    const Answer summary(QStringLiteral("PlaylistSummary"),
                         [](QWidget* box) { static_cast<QMessageBox*>(box)->accept(); });
    form.findChild<QAction*>(QStringLiteral("AddPlaylistAction"))->trigger();
    QVERIFY(add.Answered());
    QVERIFY(summary.Answered());

    // The guide it names is listed for it and read in the background.
    const GuideSourceList sources(settings.sourcesFile);
    QCOMPARE(sources.Sources().size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(sources.Sources()[0].address), guideAddress);
    QTRY_VERIFY_WITH_TIMEOUT(sources.Sources()[0].updated != 0 && guide.Refresh() && !guide.Refresh()->Running(),
                             test::Limit(30000));
    QCOMPARE(guide.Refresh()->Result().outcome, GuideRefreshResult::Outcome::Done);
    QVERIFY(sources.Sources()[0].problem.empty());
    ChannelListModel* tv = form.Model(ChannelTab::Tv);
    std::string id;
    for (const ListRow& row : tv->Rows()) {
        if (QString::fromStdString(row.caption).contains(QStringLiteral("Erste Programm")))
            id = row.id;
    }
    QVERIFY(!id.empty());
    const GuideNowNext nowNext = guide.Store()->NowNext(id, now);
    QVERIFY(nowNext.now);
    QCOMPARE(nowNext.now->title, std::string("Tagesschau"));
    const int shownRow = tv->ShownRowOf(id);
    QVERIFY(!form.ListView(ChannelTab::Tv)->isColumnHidden(tv->ExtraColumnIndex()));
    QCOMPARE(tv->index(shownRow, tv->ExtraColumnIndex()).data().toString(), QStringLiteral("Tagesschau"));

    // Manage playlists shows the guide with the playlist and in the Guides part; removing the
    // playlist takes its guide along.
    const Answer manage(QStringLiteral("PlaylistsDialog"), [&](QWidget* dialog) {
        auto* playlists = dialog->findChild<QTreeWidget*>(QStringLiteral("PlaylistTable"));
        auto* guides = dialog->findChild<QTreeWidget*>(QStringLiteral("GuideTable"));
        QVERIFY(playlists && guides);
        QCOMPARE(playlists->topLevelItem(0)->text(4), guideAddress);
        QCOMPARE(guides->topLevelItemCount(), 1);
        QCOMPARE(guides->topLevelItem(0)->text(0), guideAddress);
        QCOMPARE(guides->topLevelItem(0)->text(1), QStringLiteral("playlist \u201CGuide test\u201D"));
        QCOMPARE(guides->topLevelItem(0)->text(2), QStringLiteral("read"));
        const Answer yes(QStringLiteral("RemovePlaylistQuestion"),
                         [](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
        playlists->setCurrentItem(playlists->topLevelItem(0));
        dialog->findChild<QPushButton*>(QStringLiteral("RemoveButton"))->click();
        QVERIFY(yes.Answered());
        QCOMPARE(playlists->topLevelItemCount(), 0);
        QCOMPARE(guides->topLevelItemCount(), 0);
        static_cast<QDialog*>(dialog)->reject();
    });
    form.findChild<QAction*>(QStringLiteral("ManagePlaylistsAction"))->trigger();
    QVERIFY(manage.Answered());
    QVERIFY(sources.Sources().empty());
}

QTEST_MAIN(GuideWindowsTest)
#include "test_guide_windows.moc"
