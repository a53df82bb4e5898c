// The times of one stream of the gateway's output: continuous and growing whatever the source does.
#include "player/gateway/timestamp_repair.h"

extern "C" {
#include <libavutil/avutil.h>
}

#include <QTest>

#include <vector>

using namespace zentavo;

namespace {

using Times = TimestampRepair::Times;
constexpr int64_t kNone = AV_NOPTS_VALUE;

QString Describe(const std::vector<Times>& times)
{
    QStringList parts;
    for (const Times& each : times)
        parts << QStringLiteral("%1/%2").arg(each.dts).arg(each.pts);
    return parts.join(QLatin1Char(' '));
}

} // namespace

Q_DECLARE_METATYPE(std::vector<TimestampRepair::Times>)

class TimestampRepairTest : public QObject {
    Q_OBJECT

private slots:
    void timesGoOnThroughJumps_data()
    {
        QTest::addColumn<std::vector<Times>>("source"); // dts, pts, duration of each packet
        QTest::addColumn<QString>("written"); // dts/pts of each packet as written
        // A limit of 100: a step forward of more than that is a jump of the source's clock.
        QTest::newRow("growing times are kept, B-frames' order too")
            << std::vector<Times>{{0, 20, 10}, {10, 40, 10}, {20, 30, 10}, {30, 50, 10}}
            << QStringLiteral("0/20 10/40 20/30 30/50");
        QTest::newRow("a clock that starts again goes on one step later")
            << std::vector<Times>{{1000, 1000, 10}, {1010, 1010, 10}, {0, 0, 10}, {10, 10, 10}}
            << QStringLiteral("1000/1000 1010/1010 1020/1020 1030/1030");
        QTest::newRow("a jump forward beyond the limit goes on one step later")
            << std::vector<Times>{{0, 0, 10}, {10, 10, 10}, {90000, 90000, 10}, {90010, 90020, 10}}
            << QStringLiteral("0/0 10/10 20/20 30/40");
        QTest::newRow("a gap within the limit is kept")
            << std::vector<Times>{{0, 0, 10}, {90, 90, 10}} << QStringLiteral("0/0 90/90");
        QTest::newRow("a time that does not grow is moved on by the last step")
            << std::vector<Times>{{0, 0, 0}, {40, 40, 0}, {40, 40, 0}, {80, 80, 0}}
            << QStringLiteral("0/0 40/40 80/80 120/120");
        QTest::newRow("missing times are made from the other, or from where the stream was")
            << std::vector<Times>{{kNone, 5, 10}, {15, kNone, 10}, {kNone, kNone, 10}}
            << QStringLiteral("5/5 15/15 25/25");
        QTest::newRow("presentation never before decoding")
            << std::vector<Times>{{0, 0, 10}, {10, 5, 10}} << QStringLiteral("0/0 10/10");
        QTest::newRow("every restart of a looped source goes on")
            << std::vector<Times>{{0, 0, 10}, {10, 10, 10}, {0, 0, 10}, {10, 10, 10}, {0, 0, 10}}
            << QStringLiteral("0/0 10/10 20/20 30/30 40/40");
    }

    void timesGoOnThroughJumps()
    {
        QFETCH(std::vector<Times>, source);
        QFETCH(QString, written);
        TimestampRepair repair(100);
        std::vector<Times> out;
        for (const Times& packet : source)
            out.push_back(repair.Fix(packet));
        QCOMPARE(Describe(out), written);
    }
};

QTEST_GUILESS_MAIN(TimestampRepairTest)
#include "test_timestamp_repair.moc"
