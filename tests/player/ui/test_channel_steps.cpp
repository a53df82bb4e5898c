// Channel up and down and back to the last channel without a window: the neighbours of a channel
// in a list's rows (wrapping around, and from a channel the rows no longer show), the last channel
// as plays and a stop change it; which stored window places are used again, and where the window
// goes when a page asks for room for its picture.
#include "player/ui/channel_steps.h"
#include "player/ui/picture_room.h"
#include "player/ui/window_place.h"

#include <QTest>

using namespace zentavo;

namespace {

std::vector<StepRow> Rows(const QStringList& ids)
{
    std::vector<StepRow> rows;
    for (const QString& id : ids)
        rows.push_back({id, QStringLiteral("Channel ") + id});
    return rows;
}

} // namespace

class ChannelStepsTest : public QObject {
    Q_OBJECT
private slots:
    void neighbourInTheRows_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("to"); // empty: none
        const QStringList four{QStringLiteral("7"), QStringLiteral("3"), QStringLiteral("9"), QStringLiteral("1")};
        QTest::newRow("next in the middle") << four << "3" << 1 << "9";
        QTest::newRow("previous in the middle") << four << "9" << -1 << "3";
        QTest::newRow("next wraps to the first") << four << "1" << 1 << "7";
        QTest::newRow("previous wraps to the last") << four << "7" << -1 << "1";
        QTest::newRow("one row steps to itself") << QStringList{QStringLiteral("5")} << "5" << 1 << "5";
        QTest::newRow("gone: next is the first") << four << "42" << 1 << "7";
        QTest::newRow("gone: previous is the last") << four << "42" << -1 << "1";
        QTest::newRow("no rows") << QStringList{} << "3" << 1 << "";
    }
    void neighbourInTheRows()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, from);
        QFETCH(int, step);
        QFETCH(QString, to);
        const std::optional<StepRow> next = ChannelSteps::Neighbour(Rows(rows), from, step);
        QCOMPARE(next ? next->id : QString(), to);
        if (next)
            QCOMPARE(next->name, QStringLiteral("Channel ") + to);
    }

    void lastChannelFollowsPlaysAndStops()
    {
        ChannelSteps steps;
        QVERIFY(!steps.CanStep());
        QVERIFY(!steps.Last());

        steps.Played({QStringLiteral("1"), QStringLiteral("One"), ChannelTab::Tv});
        QVERIFY(steps.CanStep());
        QVERIFY(!steps.Last()); // nothing played before
        steps.Played({QStringLiteral("1"), QStringLiteral("One"), ChannelTab::Tv});
        QVERIFY(!steps.Last()); // the same channel again is no new last channel

        steps.Played({QStringLiteral("2"), QStringLiteral("Two"), ChannelTab::Radio});
        QCOMPARE(steps.Last()->id, QStringLiteral("1"));
        QCOMPARE(steps.Last()->tab, std::optional(ChannelTab::Tv));
        // Back and forth: going back makes the channel left the last one.
        steps.Played(*steps.Last());
        QCOMPARE(steps.Current()->id, QStringLiteral("1"));
        QCOMPARE(steps.Last()->id, QStringLiteral("2"));

        // A channel that came from no list: nothing to step through, but back still works.
        steps.Played({QStringLiteral("3"), QStringLiteral("Three"), std::nullopt});
        QVERIFY(!steps.CanStep());
        QCOMPARE(steps.Last()->id, QStringLiteral("1"));

        // After a stop, back plays the channel that stopped; nothing plays to step from.
        steps.Played({QStringLiteral("4"), QStringLiteral("Four"), ChannelTab::Webcams});
        steps.Stopped();
        QVERIFY(!steps.CanStep());
        QCOMPARE(steps.Last()->id, QStringLiteral("4"));
        QCOMPARE(steps.Current()->id, QStringLiteral("4"));
    }

    void storedPlaceIsUsedOnlyWhereAScreenShowsIt_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<bool>("used");
        // Two screens side by side, the right one shorter.
        QTest::newRow("on the first") << QRect(100, 100, 600, 400) << true;
        QTest::newRow("on the second") << QRect(2000, 100, 600, 400) << true;
        QTest::newRow("across both") << QRect(1700, 100, 600, 400) << true;
        QTest::newRow("a corner on screen") << QRect(-500, -300, 620, 350) << true;
        QTest::newRow("a sliver on screen") << QRect(-590, 100, 600, 400) << false;
        QTest::newRow("below the shorter screen") << QRect(2000, 900, 600, 400) << false;
        QTest::newRow("far away") << QRect(-5000, -5000, 600, 400) << false;
        QTest::newRow("a screen that is gone") << QRect(4000, 0, 600, 400) << false;
        QTest::newRow("no size") << QRect(100, 100, 0, 0) << false;
    }
    void storedPlaceIsUsedOnlyWhereAScreenShowsIt()
    {
        QFETCH(QRect, window);
        QFETCH(bool, used);
        const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 800)};
        QCOMPARE(ReachableOnScreens(window, screens), used);
        QVERIFY(!ReachableOnScreens(window, {}));
    }
    void windowGrowsForPictureRoomOnlyWhereTheScreenHoldsIt_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QSize>("view");
        QTest::addColumn<QSize>("room");
        QTest::addColumn<QRect>("expected"); // a null rectangle: the window stays as it is
        QTest::newRow("grows by what the view lacks")
            << QRect(100, 100, 500, 450) << QSize(480, 380) << QSize(1280, 742) << QRect(100, 100, 1300, 812);
        QTest::newRow("grows only where it lacks")
            << QRect(100, 100, 1400, 450) << QSize(1380, 380) << QSize(1280, 742) << QRect(100, 100, 1400, 812);
        QTest::newRow("view already has the room")
            << QRect(100, 100, 1400, 900) << QSize(1380, 800) << QSize(1280, 742) << QRect();
        QTest::newRow("moves back onto the screen")
            << QRect(900, 500, 500, 450) << QSize(480, 380) << QSize(1280, 742) << QRect(300, 188, 1300, 812);
        QTest::newRow("too wide for the screen")
            << QRect(0, 0, 500, 450) << QSize(480, 380) << QSize(1920, 742) << QRect();
        QTest::newRow("too tall for the screen")
            << QRect(0, 0, 500, 450) << QSize(480, 380) << QSize(1280, 1080) << QRect();
    }

    void windowGrowsForPictureRoomOnlyWhereTheScreenHoldsIt()
    {
        QFETCH(QRect, frame);
        QFETCH(QSize, view);
        QFETCH(QSize, room);
        QFETCH(QRect, expected);
        const auto placed = FrameForPictureRoom(frame, view, room, QRect(0, 0, 1600, 1000));
        QCOMPARE(placed.value_or(QRect()), expected);
    }
};

QTEST_GUILESS_MAIN(ChannelStepsTest)
#include "test_channel_steps.moc"
