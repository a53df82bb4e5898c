// Which entry of a playlist file the players play.

#include "player/objects/playlist_entry.h"

#include <QTest>

using namespace zentavo;

class PlaylistReadingTest : public QObject {
    Q_OBJECT

private slots:
    void firstPlayableEntry_data();
    void firstPlayableEntry();
    void hlsPlaylistIsPlayedWhole_data();
    void hlsPlaylistIsPlayedWhole();
    void bodiesWithoutEntriesAreNoPlaylist_data();
    void bodiesWithoutEntriesAreNoPlaylist();
};

void PlaylistReadingTest::firstPlayableEntry_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("entry");
    QTest::newRow("ASX, attributes in any case") << QByteArray(
        "<ASX version=\"3.0\">\r\n<Entry><REF HREF=\"http://a.example/one.wmv\" /></Entry>\r\n"
        "<Entry><Ref href=\"http://a.example/two.wmv\"/></Entry></ASX>")
        << "http://a.example/one.wmv";
    QTest::newRow("ASX, single quotes and entities") << QByteArray(
        "<asx><entry><ref href='http://a.example/s?x=1&amp;y=2'/></entry></asx>")
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
    QTest::newRow("RAM, rtsp first, http behind") << QByteArray("rtsp://a.example/live.rm\nhttp://a.example/live.mp3\n")
        << "http://a.example/live.mp3";
    QTest::newRow("RAM, only pnm: (played, so that it reports its error)")
        << QByteArray("pnm://a.example/live.ra\n--stop--\nhttp://a.example/after-stop\n") << "pnm://a.example/live.ra";
}

void PlaylistReadingTest::firstPlayableEntry() {
    QFETCH(QByteArray, body);
    QFETCH(QString, entry);
    const PlaylistReading reading = ReadPlaylist(body, QUrl(QStringLiteral("http://host.example/lists/list")));
    QCOMPARE(reading.kind, PlaylistReading::Kind::Entries);
    QCOMPARE(reading.entry.toString(), entry);
}

void PlaylistReadingTest::hlsPlaylistIsPlayedWhole_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("media playlist") << QByteArray("#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\nseg0.ts\n");
    QTest::newRow("master playlist") << QByteArray("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=500000\nlow/index.m3u8\n");
}

void PlaylistReadingTest::hlsPlaylistIsPlayedWhole() {
    QFETCH(QByteArray, body);
    QCOMPARE(ReadPlaylist(body, QUrl(QStringLiteral("http://h.example/tv.m3u"))).kind, PlaylistReading::Kind::Hls);
}

void PlaylistReadingTest::bodiesWithoutEntriesAreNoPlaylist_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("comments only") << QByteArray("#EXTM3U\n# nothing here\n");
    QTest::newRow("HTML error page") << QByteArray("<html><body>Not here</body></html>");
    QTest::newRow("binary media") << QByteArray("ID3\x03\0\0\0\0\x0f\x76\xff\xfb\x90\x64", 14);
    QTest::newRow("PLS without files") << QByteArray("[playlist]\nNumberOfEntries=0\n");
}

void PlaylistReadingTest::bodiesWithoutEntriesAreNoPlaylist() {
    QFETCH(QByteArray, body);
    const PlaylistReading reading = ReadPlaylist(body, QUrl(QStringLiteral("http://h.example/x.pls")));
    QCOMPARE(reading.kind, PlaylistReading::Kind::NotPlaylist);
    QVERIFY(reading.entry.isEmpty());
}

QTEST_GUILESS_MAIN(PlaylistReadingTest)
#include "test_playlist_reading.moc"
