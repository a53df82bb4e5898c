// The title of what plays, read from ICY metadata blocks and container metadata: quotes and
// semicolons inside the title, Latin-1 servers, padding, and hostile lengths and control characters.
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

QTEST_MAIN(StreamTitleTest)
#include "test_stream_title.moc"
