// The words of the two "what plays" dialogs without a window: the page's answer read defensively
// (the page's libraries take their values from the stream), the gateway's facts winning over what
// the page sees of the gateway's output, unknown fields said so; and the recent titles kept as plain
// text, bounded in length and count, a title heard again right after itself not kept twice.
#include "player/recent_titles.h"
#include "player/stream_info.h"

#include <QRegularExpression>
#include <QTest>
#include <QVariantMap>

#include <limits>

using namespace zentavo;

namespace {

QString Field(const QString& text, const QString& name)
{
    const QRegularExpression line(QStringLiteral("^") + QRegularExpression::escape(name) + QStringLiteral(":\\s+(.*)$"),
                                  QRegularExpression::MultilineOption);
    return line.match(text).captured(1);
}

QString TextOf(const QVariantMap& answer)
{
    return StreamInformationText(StreamFactsFromPage(answer));
}

QDateTime At(int second)
{
    return QDateTime(QDate(2026, 12, 11), QTime(7, 0, second));
}

} // namespace

class WhatPlaysTextTest : public QObject {
    Q_OBJECT

private slots:
    void aPageWithoutPlayerSaysNothingPlays_data()
    {
        QTest::addColumn<QVariant>("answer");
        QTest::newRow("null") << QVariant();
        QTest::newRow("a number") << QVariant(42);
        QTest::newRow("a text") << QVariant(QStringLiteral("playing"));
        QTest::newRow("a list") << QVariant(QVariantList{1, 2});
    }
    void aPageWithoutPlayerSaysNothingPlays()
    {
        QFETCH(QVariant, answer);
        QCOMPARE(StreamInformationText(StreamFactsFromPage(answer)), QStringLiteral("Nothing plays now.\n"));
    }

    void everyFieldHasALineAndUnknownsSaySo()
    {
        const QString text = TextOf({{QStringLiteral("engine"), QStringLiteral("native")}});
        const QStringList names{QStringLiteral("Address kind"),   QStringLiteral("Container"),
                                QStringLiteral("Video codec"),    QStringLiteral("Video size"),
                                QStringLiteral("Frame rate"),     QStringLiteral("Audio codec"),
                                QStringLiteral("Audio channels"), QStringLiteral("Sample rate"),
                                QStringLiteral("Bit rate"),       QStringLiteral("Gateway")};
        QCOMPARE(text.count(QLatin1Char('\n')), names.size());
        for (const QString& name : names.mid(1, 8))
            QCOMPARE(Field(text, name), QStringLiteral("unknown"));
        QCOMPARE(Field(text, QStringLiteral("Address kind")), QStringLiteral("played by the web engine's own player"));
        QCOMPARE(Field(text, QStringLiteral("Gateway")), QStringLiteral("not used"));
    }

    void thePagesFactsInWords()
    {
        const QString text = TextOf({
            {QStringLiteral("address"), QStringLiteral("HTTPS://example.invalid/live/index.m3u8")},
            {QStringLiteral("engine"), QStringLiteral("hls")},
            {QStringLiteral("container"), QStringLiteral("HLS")},
            {QStringLiteral("videoCodec"), QStringLiteral("avc1.64001f")},
            {QStringLiteral("audioCodec"), QStringLiteral("mp4a.40.2")},
            {QStringLiteral("width"), 1280},
            {QStringLiteral("height"), 720},
            {QStringLiteral("frameRate"), 29.97},
            {QStringLiteral("channels"), 2},
            {QStringLiteral("sampleRate"), 48000},
            {QStringLiteral("bitRate"), 2500000},
        });
        QCOMPARE(Field(text, QStringLiteral("Address kind")),
                 QStringLiteral("HTTPS address, HLS playlist, played by hls.js"));
        QCOMPARE(Field(text, QStringLiteral("Video size")), QStringLiteral("1280 x 720"));
        QCOMPARE(Field(text, QStringLiteral("Frame rate")), QStringLiteral("29.97 frames a second"));
        QCOMPARE(Field(text, QStringLiteral("Audio channels")), QStringLiteral("2"));
        QCOMPARE(Field(text, QStringLiteral("Sample rate")), QStringLiteral("48000 Hz"));
        QCOMPARE(Field(text, QStringLiteral("Bit rate")), QStringLiteral("2.50 Mbit/s"));
        // The address itself is not shown: catalogues keep their addresses protected.
        QVERIFY(!text.contains(QLatin1String("example.invalid")));
    }

    void valuesOutOfRangeAreUnknown_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("field");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double infinity = std::numeric_limits<double>::infinity();
        QTest::newRow("negative width") << "width" << QVariant(-320) << "Video size";
        QTest::newRow("huge height") << "height" << QVariant(1e12) << "Video size";
        QTest::newRow("frame rate not a number") << "frameRate" << QVariant(nan) << "Frame rate";
        QTest::newRow("endless frame rate") << "frameRate" << QVariant(infinity) << "Frame rate";
        QTest::newRow("frame rate as words") << "frameRate" << QVariant(QStringLiteral("fast")) << "Frame rate";
        QTest::newRow("zero channels") << "channels" << QVariant(0) << "Audio channels";
        QTest::newRow("a thousand channels") << "channels" << QVariant(1000) << "Audio channels";
        QTest::newRow("negative bit rate") << "bitRate" << QVariant(-1) << "Bit rate";
    }
    void valuesOutOfRangeAreUnknown()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        QFETCH(QString, field);
        QVariantMap answer{{QStringLiteral("width"), 320}, {QStringLiteral("height"), 240}};
        answer.insert(key, value);
        QCOMPARE(Field(TextOf(answer), field), QStringLiteral("unknown"));
    }

    void textsFromTheStreamStayOnTheirLineAndShort()
    {
        const QString text = TextOf({
            {QStringLiteral("videoCodec"), QStringLiteral("avc1\nGateway:   forged\tline")},
            {QStringLiteral("audioCodec"), QString(5000, QLatin1Char('a'))},
        });
        QCOMPARE(text.count(QLatin1Char('\n')), 10);
        QCOMPARE(Field(text, QStringLiteral("Video codec")), QStringLiteral("avc1 Gateway: forged line"));
        QCOMPARE(Field(text, QStringLiteral("Gateway")), QStringLiteral("not used"));
        QVERIFY(Field(text, QStringLiteral("Audio codec")).size() <= 80);
    }

    void theGatewaysFactsWinOverWhatThePageSeesOfItsOutput()
    {
        std::optional<StreamFacts> facts = StreamFactsFromPage(QVariantMap{
            {QStringLiteral("address"), QStringLiteral("mms://127.0.0.1/live")},
            {QStringLiteral("engine"), QStringLiteral("gateway")},
            {QStringLiteral("container"), QStringLiteral("MPEG-TS")},
            {QStringLiteral("videoCodec"), QStringLiteral("avc1.42c01e")},
            {QStringLiteral("width"), 320},
            {QStringLiteral("height"), 240},
            {QStringLiteral("gatewaySession"), QStringLiteral("k1")},
        });
        QVERIFY(facts);
        QCOMPARE(facts->gatewaySession, QStringLiteral("k1"));
        QCOMPARE(Field(StreamInformationText(facts), QStringLiteral("Gateway")),
                 QStringLiteral("used; the source is not open yet"));
        SourceFacts source;
        source.container = QStringLiteral("ASF (Advanced / Active Streaming Format)");
        source.hasVideo = true;
        source.videoCodec = QStringLiteral("wmv2");
        source.width = 320;
        source.height = 240;
        source.frameRate = 25;
        source.hasAudio = true;
        source.audioCodec = QStringLiteral("mp3");
        source.audioCopied = true;
        source.channels = 1;
        source.sampleRate = 44100;
        source.bitRate = 380000;
        facts->gateway = source;
        const QString text = StreamInformationText(facts);
        QCOMPARE(Field(text, QStringLiteral("Address kind")),
                 QStringLiteral("MMS address, played through the media gateway (FFmpeg)"));
        QCOMPARE(Field(text, QStringLiteral("Container")), source.container);
        QCOMPARE(Field(text, QStringLiteral("Video codec")), QStringLiteral("wmv2"));
        QCOMPARE(Field(text, QStringLiteral("Frame rate")), QStringLiteral("25 frames a second"));
        QCOMPARE(Field(text, QStringLiteral("Bit rate")), QStringLiteral("380 kbit/s"));
        QCOMPARE(Field(text, QStringLiteral("Gateway")),
                 QStringLiteral("transcodes the video to H.264, copies the sound"));

        // A radio: the gateway knows there is no picture.
        source.hasVideo = false;
        facts->gateway = source;
        const QString radio = StreamInformationText(facts);
        QCOMPARE(Field(radio, QStringLiteral("Video codec")), QStringLiteral("none"));
        QCOMPARE(Field(radio, QStringLiteral("Gateway")), QStringLiteral("copies the sound"));
    }

    void recentTitlesKeepPlainTitlesInTheOrderHeard()
    {
        RecentTitles titles;
        titles.Add(QStringLiteral("Nina Simone - Feeling Good"), At(1));
        titles.Add(QString(), At(2)); // a stop or a stream without a title
        titles.Add(QStringLiteral("Nina Simone - Feeling Good"), At(3)); // the same song after a reconnect
        titles.Add(QStringLiteral("Miles Davis\n- So\tWhat\u202E"), At(4));
        titles.Add(QStringLiteral("Nina Simone - Feeling Good"), At(5)); // played again later: heard again
        QCOMPARE(titles.Text(),
                 QStringLiteral("07:00:01  Nina Simone - Feeling Good\n"
                                "07:00:04  Miles Davis - So What\n"
                                "07:00:05  Nina Simone - Feeling Good\n"));
    }

    void recentTitlesAreBoundedInLengthAndCount()
    {
        RecentTitles titles;
        titles.Add(QString(10000, QLatin1Char('x')), At(0));
        QVERIFY(titles.Titles().back().title.size() <= 200);
        for (std::size_t i = 0; i < RecentTitles::kMostTitles + 50; ++i)
            titles.Add(QStringLiteral("Song %1").arg(i), At(0));
        QCOMPARE(titles.Titles().size(), RecentTitles::kMostTitles);
        QCOMPARE(titles.Titles().front().title, QStringLiteral("Song 50"));
        QCOMPARE(titles.Titles().back().title, QStringLiteral("Song 249"));
    }
};

QTEST_GUILESS_MAIN(WhatPlaysTextTest)
#include "test_what_plays_text.moc"
