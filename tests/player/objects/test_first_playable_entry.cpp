// Which entry of a playlist file the players play, in every encoding and size the import reads.

#include "player/objects/first_playable_entry.h"

#include <QTest>

using namespace zentavo;

class FirstPlayableEntryTest : public QObject {
    Q_OBJECT

private slots:
    void firstPlayableEntry_data();
    void firstPlayableEntry();
    void hlsPlaylistIsPlayedWhole_data();
    void hlsPlaylistIsPlayedWhole();
    void bodiesWithoutEntriesAreNoPlaylist_data();
    void bodiesWithoutEntriesAreNoPlaylist();
    void playlistNamingOnlyItselfRefersToItself_data();
    void playlistNamingOnlyItselfRefersToItself();
    void entryNamingThePlaylistItselfIsPassedOver();
};

namespace {

QByteArray Utf16(const QString& text, bool bigEndian)
{
    QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (const QChar c : text) {
        const char high = static_cast<char>(c.unicode() >> 8);
        const char low = static_cast<char>(c.unicode() & 0xFF);
        bytes += bigEndian ? QByteArray{&high, 1} + QByteArray{&low, 1} : QByteArray{&low, 1} + QByteArray{&high, 1};
    }
    return bytes;
}

// A list of many channels before the one wanted: well over the 256 KB that once made it "media".
QByteArray LargeList(const QByteArray& head, const QByteArray& entry, const QByteArray& wanted)
{
    QByteArray body = head;
    for (int i = 0; i < 6000; ++i)
        body += entry;
    return body + wanted;
}

} // namespace

void FirstPlayableEntryTest::firstPlayableEntry_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("entry");
    QTest::newRow("ASX, attributes in any case")
        << QByteArray("<ASX version=\"3.0\">\r\n<Entry><REF HREF=\"http://a.example/one.wmv\" /></Entry>\r\n"
                      "<Entry><Ref href=\"http://a.example/two.wmv\"/></Entry></ASX>")
        << "http://a.example/one.wmv";
    QTest::newRow("ASX, single quotes and entities")
        << QByteArray("<asx><entry><ref href='http://a.example/s?x=1&amp;y=2'/></entry></asx>")
        << "http://a.example/s?x=1&y=2";
    QTest::newRow("ASX, mms: first, http behind") << QByteArray(
        "<asx><entry><ref href=\"mms://a.example/live\"/><ref href=\"http://a.example/live\"/></entry></asx>")
                                                  << "http://a.example/live";
    QTest::newRow("ASX reference form") << QByteArray("[Reference]\r\nRef1=http://a.example/live.asf?MSWMExt=.asf\r\n"
                                                      "Ref2=http://b.example/live.asf\r\n")
                                        << "http://a.example/live.asf?MSWMExt=.asf";
    QTest::newRow("PLS, lowest number first") << QByteArray(
        "[playlist]\nNumberOfEntries=2\nFile2=http://b.example/2\nFile1=http://a.example:8000/1\nVersion=2\n")
                                              << "http://a.example:8000/1";
    QTest::newRow("M3U with comments and BOM") << QByteArray(
        "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:-1,Radio\r\n\r\nhttp://a.example/radio.mp3\r\nhttp://b.example/x\r\n")
                                               << "http://a.example/radio.mp3";
    QTest::newRow("M3U, relative entry") << QByteArray("#EXTM3U\nstreams/tv.ts\n")
                                         << "http://host.example/lists/streams/tv.ts";
    QTest::newRow("RAM, rtsp first, http behind")
        << QByteArray("rtsp://a.example/live.rm\nhttp://a.example/live.mp3\n") << "http://a.example/live.mp3";
    QTest::newRow("RAM, only pnm: (played, so that it reports its error)")
        << QByteArray("pnm://a.example/live.ra\n--stop--\nhttp://a.example/after-stop\n") << "pnm://a.example/live.ra";
    QTest::newRow("XSPF") << QByteArray("<?xml version=\"1.0\"?><playlist><trackList><track>"
                                        "<location>http://a.example/x.ogg</location></track></trackList></playlist>")
                          << "http://a.example/x.ogg";
    const QString wide =
        QStringLiteral("#EXTM3U\r\n#EXTINF:-1,R\u00e4dio \u4e2d\r\nhttp://a.example/r\u00e4dio.mp3\r\n");
    QTest::newRow("M3U in UTF-16 LE, non-ASCII address") << Utf16(wide, false) << "http://a.example/r%C3%A4dio.mp3";
    QTest::newRow("PLS in UTF-16 BE") << Utf16(QStringLiteral("[playlist]\nFile1=http://a.example/be.mp3\n"), true)
                                      << "http://a.example/be.mp3";
    QTest::newRow("ASX in windows-1252") << QByteArray("<asx><entry><title>Caf\xE9</title>"
                                                       "<ref href=\"http://a.example/caf\xE9.asf\"/></entry></asx>")
                                         << "http://a.example/caf%C3%A9.asf";
    QTest::newRow("PLS over 256 KB, entry at the end")
        << LargeList("[playlist]\n", "Title0=A long list of channels without files, one after another\n",
                     "File7=http://a.example/late.mp3\n")
        << "http://a.example/late.mp3";
    QTest::newRow("ASX over 256 KB, rtsp entries first")
        << LargeList("<asx version=\"3.0\">\n",
                     "<entry><ref href=\"rtsp://a.example/only-rtsp-here/for-a-while\"/></entry>\n",
                     "<entry><ref href=\"http://a.example/big.asf\"/></entry></asx>\n")
        << "http://a.example/big.asf";
}

void FirstPlayableEntryTest::firstPlayableEntry()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, entry);
    const PlaylistReading reading = FirstPlayableEntry(body, QUrl(QStringLiteral("http://host.example/lists/list")));
    QCOMPARE(reading.kind, PlaylistReading::Kind::Entries);
    QCOMPARE(reading.entry.toString(QUrl::FullyEncoded), entry); // as the probe hands it to the page
}

void FirstPlayableEntryTest::hlsPlaylistIsPlayedWhole_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("media playlist") << QByteArray("#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\nseg0.ts\n");
    QTest::newRow("master playlist") << QByteArray("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=500000\nlow/index.m3u8\n");
}

void FirstPlayableEntryTest::hlsPlaylistIsPlayedWhole()
{
    QFETCH(QByteArray, body);
    QCOMPARE(FirstPlayableEntry(body, QUrl(QStringLiteral("http://h.example/tv.m3u"))).kind,
             PlaylistReading::Kind::Hls);
}

void FirstPlayableEntryTest::bodiesWithoutEntriesAreNoPlaylist_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("comments only") << QByteArray("#EXTM3U\n# nothing here\n");
    QTest::newRow("HTML error page") << QByteArray("<html><body>Not here</body></html>");
    QTest::newRow("binary media") << QByteArray("ID3\x03\0\0\0\0\x0f\x76\xff\xfb\x90\x64", 14);
    QTest::newRow("PLS without files") << QByteArray("[playlist]\nNumberOfEntries=0\n");
}

void FirstPlayableEntryTest::bodiesWithoutEntriesAreNoPlaylist()
{
    QFETCH(QByteArray, body);
    const PlaylistReading reading = FirstPlayableEntry(body, QUrl(QStringLiteral("http://h.example/x.pls")));
    QCOMPARE(reading.kind, PlaylistReading::Kind::NotPlaylist);
    QVERIFY(reading.entry.isEmpty());
}

void FirstPlayableEntryTest::playlistNamingOnlyItselfRefersToItself_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("HLS master naming itself as its variant")
        << QByteArray("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=500000\nself.m3u8\n");
    QTest::newRow("HLS media playlist naming itself as a segment")
        << QByteArray("#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\nhttp://h.example/live/self.m3u8\n");
    QTest::newRow("M3U naming itself") << QByteArray("#EXTM3U\n#EXTINF:-1,Me\nself.m3u8\n");
    QTest::newRow("PLS naming itself, absolute, with a fragment")
        << QByteArray("[playlist]\nFile1=http://h.example/live/self.m3u8#again\n");
    QTest::newRow("M3U naming the address it was asked under") << QByteArray("http://h.example/asked.m3u\n");
}

void FirstPlayableEntryTest::playlistNamingOnlyItselfRefersToItself()
{
    QFETCH(QByteArray, body);
    const PlaylistReading reading = FirstPlayableEntry(body, QUrl(QStringLiteral("http://h.example/live/self.m3u8")),
                                                       QUrl(QStringLiteral("http://h.example/asked.m3u")));
    QCOMPARE(reading.kind, PlaylistReading::Kind::RefersToItself);
}

void FirstPlayableEntryTest::entryNamingThePlaylistItselfIsPassedOver()
{
    const PlaylistReading reading =
        FirstPlayableEntry(QByteArray("self.m3u\nother.mp3\n"), QUrl(QStringLiteral("http://h.example/self.m3u")));
    QCOMPARE(reading.kind, PlaylistReading::Kind::Entries);
    QCOMPARE(reading.entry.toString(), QStringLiteral("http://h.example/other.mp3"));
}

QTEST_GUILESS_MAIN(FirstPlayableEntryTest)
#include "test_first_playable_entry.moc"
