// The title of what plays, read from ICY metadata blocks and container metadata: quotes and
// semicolons inside the title, Latin-1 servers, padding, and hostile lengths and control characters;
// and the metadata blocks found between the sound of a radio stream, however its bytes arrive.
#include "player/gateway/icy_metadata_parser.h"
#include "player/gateway/stream_title.h"

#include <QTest>

#include <string>

using namespace zentavo;

class StreamTitleTest : public QObject {
    Q_OBJECT
private slots:
    void readsTheStreamTitle_data();
    void readsTheStreamTitle();
    void cutsHostileLengths();
    void containerTitlesLeaveOutServersPlaceholders();
    void findsTheBlocksBetweenTheSound_data();
    void findsTheBlocksBetweenTheSound();
};

void StreamTitleTest::readsTheStreamTitle_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QString>("title");
    const auto row = [](const char* name, QByteArray block, const QString& title) {
        QTest::newRow(name) << block << title;
    };
    row("plain", "StreamTitle='Miles Davis - So What';", QStringLiteral("Miles Davis - So What"));
    row("with url after", "StreamTitle='A - B';StreamUrl='http://x/';", QStringLiteral("A - B"));
    row("zero padding", QByteArray("StreamTitle='A - B';\0\0\0\0\0\0", 26), QStringLiteral("A - B"));
    row("quote inside", "StreamTitle='Guns N' Roses - Don't Cry';", QStringLiteral("Guns N' Roses - Don't Cry"));
    row("semicolon inside", "StreamTitle='Tom; Jerry - Cat';StreamUrl='';", QStringLiteral("Tom; Jerry - Cat"));
    row("quote-semicolon inside", "StreamTitle='Rock';n'Roll - Live';", QStringLiteral("Rock';n'Roll - Live"));
    row("empty", "StreamTitle='';", QString());
    row("no title field", "StreamUrl='http://x/';", QString());
    row("nothing", "", QString());
    row("not closed", "StreamTitle='Cut sho", QStringLiteral("Cut sho"));
    row("closing quote only", "StreamTitle='Quote end'", QStringLiteral("Quote end"));
    row("title field later", "StreamUrl='u';StreamTitle='Later';", QStringLiteral("Later"));
    row("not a field name", "XStreamTitle='Wrong';", QString());
    row("utf-8", "StreamTitle='Bj\xc3\xb6rk - J\xc3\xb3ga';", QStringLiteral(u"Björk - Jóga"));
    row("latin-1", "StreamTitle='Bj\xf6rk - J\xf3ga';", QStringLiteral(u"Björk - Jóga"));
    row("control characters", "StreamTitle='A\r\n\x1b[31m\tB\x7f';", QStringLiteral("A [31m B"));
    row("spaces squeezed", "StreamTitle='  A    -   B  ';", QStringLiteral("A - B"));
    row("bidi override dropped",
        "StreamTitle='A\xe2\x80\xae"
        "B';",
        QStringLiteral("AB"));
}

void StreamTitleTest::readsTheStreamTitle()
{
    QFETCH(QByteArray, block);
    QFETCH(QString, title);
    QCOMPARE(IcyStreamTitle(std::string_view(block.constData(), static_cast<size_t>(block.size()))), title);
}

void StreamTitleTest::cutsHostileLengths()
{
    // An ICY block holds at most 16 * 255 bytes; a title of all of them is cut.
    const std::string block = "StreamTitle='" + std::string(4080, 'x') + "';";
    QCOMPARE(IcyStreamTitle(block), QString(kMaxTitleChars, QLatin1Char('x')));
    // A cut never splits a character outside the basic plane into half a surrogate pair.
    std::string emoji;
    for (int i = 0; i < 300; ++i)
        emoji += "\xf0\x9f\x8e\xb5"; // U+1F3B5
    const QString cut = CleanTitle(emoji);
    QVERIFY(cut.size() <= kMaxTitleChars);
    QVERIFY(!cut.back().isHighSurrogate());
    QCOMPARE(cut.toUtf8().size() % 4, 0);
    // Only control characters: nothing to show.
    QCOMPARE(CleanTitle("\x01\x02\n\t "), QString());
}

void StreamTitleTest::containerTitlesLeaveOutServersPlaceholders()
{
    // What RTSP servers put in the session name when nobody named the stream.
    for (const char* placeholder : {"Unnamed", "N/A", "untitled", "Session streamed by \"nessyMediaServer\""})
        QVERIFY2(ContainerTitle(placeholder).isEmpty(), placeholder);
    QCOMPARE(ContainerTitle("Evening News"), QStringLiteral("Evening News"));
    QCOMPARE(ContainerTitle("Unnamed Road - Live"), QStringLiteral("Unnamed Road - Live"));
}

namespace {

// Sound of interval bytes, then the block: its length byte and text padded to a multiple of 16.
QByteArray WithBlock(qint64 interval, const QByteArray& text)
{
    QByteArray bytes(interval, 'a');
    const qsizetype padded = (text.size() + 15) / 16 * 16;
    bytes.append(static_cast<char>(padded / 16));
    bytes.append(text);
    bytes.append(QByteArray(padded - text.size(), '\0'));
    return bytes;
}

} // namespace

void StreamTitleTest::findsTheBlocksBetweenTheSound_data()
{
    QTest::addColumn<int>("piece");
    QTest::addColumn<QStringList>("titles");
    const QStringList every = {QStringLiteral("One"), QStringLiteral("Two; 2"), QString()};
    // Bytes that hold several blocks give the title of the last one.
    QTest::newRow("all at once") << 100000 << QStringList({QString()});
    QTest::newRow("byte by byte") << 1 << every;
    QTest::newRow("pieces across the blocks") << 7 << every;
}

void StreamTitleTest::findsTheBlocksBetweenTheSound()
{
    QFETCH(int, piece);
    QFETCH(QStringList, titles);
    constexpr qint64 kInterval = 20;
    // A title, an empty block (unchanged), sound that looks like a block, a new title, an empty title.
    const QByteArray stream = WithBlock(kInterval, "StreamTitle='One';") + WithBlock(kInterval, "")
        + WithBlock(kInterval, "StreamTitle='Two; 2';StreamUrl='x';") + WithBlock(kInterval, "StreamTitle='';")
        + QByteArray("StreamTitle='Sound'");
    IcyMetadataParser parser(kInterval);
    QStringList found;
    for (qsizetype at = 0; at < stream.size(); at += piece) {
        if (const auto title = parser.Feed(stream.constData() + at, std::min<qsizetype>(piece, stream.size() - at)))
            found << *title;
    }
    QCOMPARE(found, titles);

    // The longest block a length byte allows (255 * 16 bytes) is read whole.
    IcyMetadataParser longest(kInterval);
    const QByteArray big = WithBlock(kInterval, "StreamTitle='" + QByteArray(4062, 'y') + "';");
    QCOMPARE(big.size(), kInterval + 1 + 255 * 16);
    QCOMPARE(longest.Feed(big.constData(), big.size()),
             std::optional<QString>(QString(kMaxTitleChars, QLatin1Char('y'))));
}

QTEST_MAIN(StreamTitleTest)
#include "test_stream_title.moc"
