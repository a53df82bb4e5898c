// When the gateway lets each packet out: a lead ahead of a clock started at the first packet, the
// clock started again when the output fell behind or the media's times jumped; and which sources
// are paced at all.

#include "player/gateway/playing_pace.h"

#include <QTest>

#include <vector>

using namespace zentavo;

namespace {

using Clock = PlayingPace::Clock;
using std::chrono::milliseconds;

struct Step {
    double media; // the packet's time, seconds
    int now; // wall time when it is ready, ms from the first packet
    int due; // when it may go out, ms from the first packet
};

} // namespace

Q_DECLARE_METATYPE(std::vector<Step>)

class PlayingPaceTest : public QObject {
    Q_OBJECT

private slots:
    void packetsGoOutALeadAheadOfPlaying_data();
    void packetsGoOutALeadAheadOfPlaying();
    void onlyFilesOverHttpArePaced_data();
    void onlyFilesOverHttpArePaced();
};

void PlayingPaceTest::packetsGoOutALeadAheadOfPlaying_data()
{
    QTest::addColumn<std::vector<Step>>("steps"); // with a lead of 4 s, in bursts of 1 s
    QTest::newRow("the first packet and the lead go at once; then at the pace of playing, a second's burst at a time")
        << std::vector<Step>{{10.0, 0, 0},       {12.0, 0, 0},       {14.0, 1, 1},        {15.0, 2, 2000},
                             {15.5, 2000, 2000}, {16.0, 2000, 2000}, {16.25, 2000, 3250}, {20.0, 1000, 7000}};
    QTest::newRow("a packet late within the lead goes at once, the clock kept")
        << std::vector<Step>{{0.0, 0, 0}, {1.0, 4500, 4500}, {10.0, 4600, 7000}};
    QTest::newRow("behind by more than the lead (a paused reader): the clock starts again")
        << std::vector<Step>{{0.0, 0, 0}, {5.0, 30000, 30000}, {9.0, 30001, 30001}, {10.0, 30002, 32000}};
    QTest::newRow("a jump forward of the media's times: no long wait, the clock starts again")
        << std::vector<Step>{{0.0, 0, 0}, {60.0, 10, 10}, {63.0, 20, 20}, {65.0, 30, 2010}};
    QTest::newRow("times going back: at once") << std::vector<Step>{{100.0, 0, 0}, {50.0, 10, 10}, {51.0, 20, 20}};
}

void PlayingPaceTest::packetsGoOutALeadAheadOfPlaying()
{
    QFETCH(std::vector<Step>, steps);
    PlayingPace pace(milliseconds(4000), milliseconds(1000));
    const Clock::time_point start{std::chrono::seconds(1000)};
    for (const Step& step : steps) {
        const auto due = pace.Due(step.media, start + milliseconds(step.now));
        const auto dueMs = std::chrono::duration_cast<milliseconds>(due - start).count();
        QVERIFY2(dueMs == step.due,
                 qPrintable(QStringLiteral("media %1 s ready at %2 ms: due at %3 ms, not %4 ms")
                                .arg(step.media)
                                .arg(step.now)
                                .arg(dueMs)
                                .arg(step.due)));
    }
}

void PlayingPaceTest::onlyFilesOverHttpArePaced_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("format");
    QTest::addColumn<qint64>("duration"); // microseconds; 0 or less: unknown
    QTest::addColumn<qint64>("bytes"); // 0 or less: unknown
    QTest::addColumn<bool>("paced");
    QTest::newRow("http file with a length in time") << "http"
                                                     << "asf" << qint64(20000000) << qint64(500000) << true;
    QTest::newRow("http file known by its size only (MPEG-TS)") << "https"
                                                                << "mpegts" << qint64(0) << qint64(500000) << true;
    QTest::newRow("http without a length: live") << "http"
                                                 << "mpegts" << qint64(0) << qint64(-1) << false;
    QTest::newRow("http, neither known to FFmpeg") << "http"
                                                   << "mp3" << qint64(INT64_MIN) << qint64(0) << false;
    QTest::newRow("HLS that ends") << "http"
                                   << "hls" << qint64(600000000) << qint64(300) << true;
    QTest::newRow("HLS that goes on: its playlist's size says nothing") << "http"
                                                                        << "hls" << qint64(0) << qint64(300) << false;
    QTest::newRow("DASH that goes on") << "https"
                                       << "dash" << qint64(0) << qint64(2000) << false;
    QTest::newRow("rtsp on demand: the server paces") << "rtsp"
                                                      << "rtsp" << qint64(20000000) << qint64(0) << false;
    QTest::newRow("rtmp: the server paces") << "rtmp"
                                            << "flv" << qint64(20000000) << qint64(0) << false;
    QTest::newRow("mmsh: the server paces") << "mmsh"
                                            << "asf" << qint64(20000000) << qint64(500000) << false;
}

void PlayingPaceTest::onlyFilesOverHttpArePaced()
{
    QFETCH(QString, scheme);
    QFETCH(QString, format);
    QFETCH(qint64, duration);
    QFETCH(qint64, bytes);
    QFETCH(bool, paced);
    QCOMPARE(PacedSource(scheme.toStdString(), format.toStdString(), duration, bytes), paced);
}

QTEST_APPLESS_MAIN(PlayingPaceTest)
#include "test_playing_pace.moc"
