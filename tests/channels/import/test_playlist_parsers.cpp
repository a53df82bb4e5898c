// The playlist parsers on snippets of each format, the awkward real-world ones included.
#include "channels/import/address_check.h"
#include "channels/import/m3u_parser.h"
#include "channels/import/playlist_format.h"

#include <QtTest>

using namespace zentavo;

namespace {

// "line|name|url" plus the other fields that are set, so that a table row reads like the entry.
QString Describe(const PlaylistEntry& e)
{
    QString text = QString::number(e.line) + QLatin1Char('|') + QString::fromStdString(e.name) + QLatin1Char('|')
        + QString::fromStdString(e.url);
    const auto add = [&](const char* key, const std::string& value) {
        if (!value.empty())
            text += QLatin1Char('|') + QLatin1String(key) + QLatin1Char('=') + QString::fromStdString(value);
    };
    add("group", e.group);
    add("id", e.tvgId);
    add("logo", e.logo);
    add("country", e.country);
    add("bw", e.bandwidth);
    if (!e.alternatives.empty()) {
        QStringList alternatives;
        for (const std::string& alternative : e.alternatives)
            alternatives << QString::fromStdString(alternative);
        text += QStringLiteral("|alt=") + alternatives.join(QLatin1Char(' '));
    }
    if (e.type)
        text += e.type == ChannelType::Radio ? QStringLiteral("|radio")
            : e.type == ChannelType::Webcam  ? QStringLiteral("|webcam")
                                             : QStringLiteral("|tv");
    return text;
}

QStringList Parse(const QByteArray& bytes, const QString& fileName)
{
    QStringList out;
    for (const PlaylistEntry& entry : ParsePlaylist(bytes.toStdString(), fileName.toStdString()))
        out << Describe(entry);
    return out;
}

// "Name: value" lines, one a header, as a table row writes them.
std::string HeaderLines(const RequestHeaders& headers)
{
    std::string text;
    for (const RequestHeader& header : headers)
        text.append(text.empty() ? "" : "\n").append(header.name).append(": ").append(header.value);
    return text;
}

void AddCase(const char* name, const char* file, const QByteArray& bytes, const QStringList& expected)
{
    QTest::newRow(name) << QString::fromLatin1(file) << bytes << expected;
}

} // namespace

class PlaylistParsersTest : public QObject {
    Q_OBJECT
private slots:
    void parsesEachFormat_data();
    void parsesEachFormat();
    void detectsFormatByContentBeforeName_data();
    void detectsFormatByContentBeforeName();
    void tsvWithoutAddressColumnIsNoPlaylist();
    void tellsPlaylistsFromWebPagesByContent_data();
    void tellsPlaylistsFromWebPagesByContent();
    void tellsPlaylistsFromWebPagesByContentType();
    void decodesEncodings_data();
    void decodesEncodings();
    void checksAddresses_data();
    void checksAddresses();
    void duplicateKeyIgnoresCaseOfSchemeAndHostOnly();
    void survivesTruncatedAndGarbledInput_data();
    void survivesTruncatedAndGarbledInput();
    void readsRequestHeadersOfEachForm_data();
    void readsRequestHeadersOfEachForm();
    void requestHeadersBelongToTheirOwnEntry();
    void headerNamesGuides_data();
    void headerNamesGuides();
};

void PlaylistParsersTest::parsesEachFormat_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    // --- M3U ---
    AddCase(
        "m3u attributes", "a.m3u",
        "#EXTM3U\n#EXTINF:-1 tvg-id=\"ZDF.de@SD\" tvg-logo=\"https://l/z.png\" group-title=\"General\",ZDF (720p)\n"
        "https://zdf.example/live.m3u8\n",
        {QStringLiteral("3|ZDF (720p)|https://zdf.example/live.m3u8|group=General|id=ZDF.de@SD|logo=https://l/z.png")});
    AddCase("m3u commas in quoted attributes and title", "a.m3u",
            "#EXTM3U\n#EXTINF:-1 group-title=\"News, Sport\" tvg-logo=\"https://l/a,b.png\",Name, with, "
            "commas\nhttp://h/s\n",
            {QStringLiteral("3|Name, with, commas|http://h/s|group=News, Sport|logo=https://l/a,b.png")});
    AddCase("m3u header with attributes", "a.m3u8",
            "#EXTM3U x-tvg-url=\"http://e/a.xml,http://e/b.xml\" tvg-shift=1\n#EXTINF:-1,One\nhttp://h/1\n",
            {QStringLiteral("3|One|http://h/1")});
    AddCase("m3u radio attribute", "a.m3u", "#EXTINF:-1 radio=\"true\" tvg-name=\"Radio One\",\nhttp://h/r.mp3\n",
            {QStringLiteral("2|Radio One|http://h/r.mp3|radio")});
    AddCase("m3u vlc and kodi options between info and address", "a.m3u",
            "#EXTM3U\n#EXTINF:-1,Opt\n#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11, "
            "Linux)\n#EXTVLCOPT:http-referrer=https://r/\n"
            "#KODIPROP:inputstream=x\nhttp://h/o.m3u8\n",
            {QStringLiteral("6|Opt|http://h/o.m3u8")});
    AddCase("m3u no final newline", "a.m3u", "#EXTM3U\n#EXTINF:-1,Last\nhttp://h/last",
            {QStringLiteral("3|Last|http://h/last")});
    AddCase("m3u crlf", "a.m3u", "#EXTM3U\r\n#EXTINF:-1,A\r\nhttp://h/a\r\n#EXTINF:-1,B\r\nhttp://h/b\r\n",
            {QStringLiteral("3|A|http://h/a"), QStringLiteral("5|B|http://h/b")});
    AddCase("m3u lone cr", "a.m3u", "#EXTM3U\r#EXTINF:-1,A\rhttp://h/a\r", {QStringLiteral("3|A|http://h/a")});
    AddCase("m3u byte order mark", "a.m3u", "\xEF\xBB\xBF#EXTM3U\n#EXTINF:-1,B\xC3\xA4r\nhttp://h/b\n",
            {QStringLiteral("3|B\u00e4r|http://h/b")});
    AddCase("m3u info without address keeps its line", "a.m3u",
            "#EXTM3U\n#EXTINF:-1,Lost\n#EXTINF:-1,Found\nhttp://h/f\n#EXTINF:-1,Tail\n",
            {QStringLiteral("2|Lost|"), QStringLiteral("4|Found|http://h/f"), QStringLiteral("5|Tail|")});
    AddCase("m3u plain address list", "a.m3u", "http://h/1\n\n  https://h/2  \n# comment\n",
            {QStringLiteral("1||http://h/1"), QStringLiteral("3||https://h/2")});
    AddCase("m3u single quotes, bare values, glued attributes", "a.m3u",
            "#EXTINF:-1 tvg-id='A.fr' group-title=Music tvg-logo=\"l.png\"radio=\"true\",X\nhttp://h/x\n",
            {QStringLiteral("2|X|http://h/x|group=Music|id=A.fr|logo=l.png|radio")});
    AddCase("m3u quote never closed", "a.m3u", "#EXTINF:-1 group-title=\"Broken,Title\nhttp://h/q\n",
            {QStringLiteral("2|Title|http://h/q|group=Broken")});
    AddCase("m3u extgrp and tvg-country", "a.m3u", "#EXTINF:-1 tvg-country=\"DE\",Y\n#EXTGRP:Germany\nhttp://h/y\n",
            {QStringLiteral("3|Y|http://h/y|group=Germany|country=DE")});
    AddCase("m3u request headers after a bar", "a.m3u",
            "#EXTINF:-1,K\nhttp://h/k.m3u8|User-Agent=Mozilla&Referer=http://r/\n",
            {QStringLiteral("2|K|http://h/k.m3u8")});
    AddCase("m3u info without comma", "a.m3u", "#EXTINF:-1 tvg-id=\"x.us\"\nhttp://h/n\n",
            {QStringLiteral("2||http://h/n|id=x.us")});

    // --- PLS ---
    AddCase("pls basic", "a.pls",
            "[playlist]\nNumberOfEntries=2\nFile1=http://h/1\nTitle1=One\nLength1=-1\nFile2=http://h/"
            "2\nTitle2=Two\nVersion=2\n",
            {QStringLiteral("3|One|http://h/1"), QStringLiteral("6|Two|http://h/2")});
    AddCase("pls any case, repeated length, title first", "a.pls",
            "[Playlist]\r\ntitle1=Uno\r\nFILE1=http://h/1\r\nlength1=-1\r\nLength1=-1\r\nNumberOfEntries=5\r\n",
            {QStringLiteral("3|Uno|http://h/1")});
    AddCase("pls ordered by number; title without file", "a.pls",
            "[playlist]\nFile2=http://h/2\nFile1=http://h/1\nTitle3=Ghost\n",
            {QStringLiteral("3||http://h/1"), QStringLiteral("2||http://h/2"), QStringLiteral("4|Ghost|")});
    AddCase("pls by name without header", "stream.pls", "File1 = http://h/1 \n", {QStringLiteral("1||http://h/1")});

    // --- XSPF ---
    AddCase("xspf basic", "a.xspf",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
            "<trackList>\n<track>\n<title>Rock &amp; Roll</title>\n<location>http://h/a?x=1&amp;y=2</location>\n"
            "<image>http://h/i.png</image>\n</track>\n"
            "<track><annotation>Only annotated</annotation>\n<location>\n  http://h/b\n</location></track>\n"
            "<track><title>Nowhere</title></track>\n</trackList></playlist>",
            {QStringLiteral("6|Rock & Roll|http://h/a?x=1&y=2|logo=http://h/i.png"),
             QStringLiteral("10|Only annotated|http://h/b"), QStringLiteral("13|Nowhere|")});
    AddCase("xspf cdata, comments, prefixes, stray ampersand", "a.xspf",
            "<x:playlist xmlns:x=\"http://xspf.org/ns/0/\"><!-- <track><location>http://no/</location></track> -->"
            "<x:trackList><x:track><x:title><![CDATA[A & B <live>]]></x:title>"
            "<x:location>http://h/c?a=1&b=2</x:location></x:track>\n<track><location>http://h/d</location>",
            {QStringLiteral("1|A & B <live>|http://h/c?a=1&b=2"), QStringLiteral("2||http://h/d")});

    // --- ASX ---
    AddCase("asx basic", "a.asx",
            "<asx version=\"3.0\">\n<title>List</title>\n<entry>\n<title>Station</title>\n<ref "
            "href=\"mms://h/s\"/>\n</entry>\n</asx>\n",
            {QStringLiteral("5|Station|mms://h/s")});
    AddCase("asx not well-formed", "a.asx",
            "<ASX VERSION=3.0>\n<ENTRY><TITLE>Caps & more</TITLE>\n<REF HREF=http://h/a?x=1&y=2>\n"
            "<Entry><Title>Second<Ref href = 'http://h/b' >\n</ASX>",
            {QStringLiteral("3|Caps & more|http://h/a?x=1&y=2"), QStringLiteral("4|Second|http://h/b")});
    AddCase("asx first usable alternative wins", "a.asx",
            "<asx><entry><title>Alt</title>\n<ref href=\"file:///C:/x.wma\"/>\n<ref href=\"hhttp://h/typo\"/>\n"
            "<ref href=\"http://h/good\"/>\n<ref href=\"http://h/other\"/></entry></asx>",
            {QStringLiteral("4|Alt|http://h/good|alt=file:///C:/x.wma hhttp://h/typo http://h/good http://h/other")});
    AddCase("asx only bad alternatives keeps the first", "a.asx",
            "<asx><entry>\n<ref href=\"c:\\x.wma\"/><ref "
            "href=\"ftp://h/y\"/></entry>\n<entry><title>Empty</title></entry></asx>",
            {QStringLiteral("2||c:\\x.wma|alt=c:\\x.wma ftp://h/y"), QStringLiteral("3|Empty|")});
    AddCase("asx reference form", "a.asx", "[Reference]\r\nRef1=http://h/1?MSWMExt=.asf\r\nRef2=http://h/2\r\n",
            {QStringLiteral("2||http://h/1?MSWMExt=.asf"), QStringLiteral("3||http://h/2")});
    AddCase("asx entryref and loose ref", "a.wax",
            "<asx>\n<entryref href=\"http://h/more.asx\"/>\n<ref href=\"http://h/loose\"/>\n<!-- <ref "
            "href=\"http://h/no\"/> -->\n</asx>",
            {QStringLiteral("2||http://h/more.asx"), QStringLiteral("3||http://h/loose")});

    // --- TSV ---
    AddCase("tsv name country url", "a.tsv",
            "name\tcountry\turl\nDas Erste\tGermany\thttp://h/1\n\n\"Quoted, Name\"\tFR\thttp://h/2\r\nShort row\n",
            {QStringLiteral("2|Das Erste|http://h/1|country=Germany"),
             QStringLiteral("4|Quoted, Name|http://h/2|country=FR"), QStringLiteral("5|Short row|")});
    AddCase("tsv webcam columns", "cams.tsv",
            "state\tarea\tdescription\tdirection\tlatitude\tlongitude\tformat\turl\n"
            "California\tMono\tUS-395 : Conway Summit\tN\t38.1\t-119.2\tIMAGE_STREAM\thttps://h/c.jpg\n"
            "Ohio\t\tI-71\tS\t1\t2\tVIDEO\thttps://h/v.m3u8\n",
            {QStringLiteral("2|US-395 : Conway Summit (Mono, California)|https://h/c.jpg|webcam"),
             QStringLiteral("3|I-71 (Ohio)|https://h/v.m3u8")});
    AddCase("tsv type and group columns, headers in any case", "a.txt",
            "URL\tTitle\tType\tGenre\tBitrate\nhttp://h/r\tJazz FM\tRadio\tJazz\t128k\n",
            {QStringLiteral("2|Jazz FM|http://h/r|group=Jazz|bw=128k|radio")});
}

void PlaylistParsersTest::parsesEachFormat()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QCOMPARE(Parse(bytes, file), expected);
}

void PlaylistParsersTest::detectsFormatByContentBeforeName_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("format");
    QTest::newRow("pls content in .m3u") << QStringLiteral("x.m3u") << QByteArray("[playlist]\nFile1=http://h/\n")
                                         << int(PlaylistFormat::Pls);
    QTest::newRow("m3u content in .pls") << QStringLiteral("x.pls") << QByteArray("#EXTM3U\nhttp://h/\n")
                                         << int(PlaylistFormat::M3u);
    QTest::newRow("asx after declaration and comment")
        << QStringLiteral("x") << QByteArray("<?xml version=\"1.0\"?><!-- c -->\n <ASX>") << int(PlaylistFormat::Asx);
    QTest::newRow("xspf") << QStringLiteral("x.xml") << QByteArray("<playlist xmlns=\"http://xspf.org/ns/0/\">")
                          << int(PlaylistFormat::Xspf);
    QTest::newRow("tsv by name") << QStringLiteral("x.tsv") << QByteArray("name,url\n") << int(PlaylistFormat::Tsv);
    QTest::newRow("tsv by tabs") << QStringLiteral("list") << QByteArray("name\turl\n") << int(PlaylistFormat::Tsv);
    QTest::newRow("address list") << QStringLiteral("list") << QByteArray("http://h/a\n") << int(PlaylistFormat::M3u);
    QTest::newRow("asx reference form in .asx")
        << QStringLiteral("x.asx") << QByteArray("[Reference]\nRef1=http://h/\n") << int(PlaylistFormat::Pls);
    QTest::newRow("asx by name") << QStringLiteral("x.WVX") << QByteArray("<!-- nothing -->")
                                 << int(PlaylistFormat::Asx);
}

void PlaylistParsersTest::detectsFormatByContentBeforeName()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(int, format);
    QCOMPARE(int(DetectPlaylistFormat(bytes.toStdString(), file.toStdString())), format);
}

void PlaylistParsersTest::tsvWithoutAddressColumnIsNoPlaylist()
{
    QVERIFY_THROWS_EXCEPTION(PlaylistError, ParsePlaylist("name\tcountry\nA\tB\n", "a.tsv"));
    QVERIFY_THROWS_EXCEPTION(PlaylistError, ParsePlaylist("", "empty.tsv"));
}

void PlaylistParsersTest::tellsPlaylistsFromWebPagesByContent_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("shown"); // the format the content shows, -1 for none
    QTest::addColumn<bool>("webPage");
    const auto row = [](const char* name, const QByteArray& bytes, int shown, bool webPage) {
        QTest::newRow(name) << bytes << shown << webPage;
    };
    row("m3u header", "\xEF\xBB\xBF\n#EXTM3U\nhttp://h/a\n", int(PlaylistFormat::M3u), false);
    row("m3u entry first", "#EXTINF:-1,A\nhttp://h/a\n", int(PlaylistFormat::M3u), false);
    row("pls", "[playlist]\nFile1=http://h/a\n", int(PlaylistFormat::Pls), false);
    row("xspf", "<?xml version=\"1.0\"?>\n<playlist version=\"1\">", int(PlaylistFormat::Xspf), false);
    row("asx", "<ASX version=\"3.0\">", int(PlaylistFormat::Asx), false);
    row("tsv header", "\nname\tURL\nA\thttp://h/a\n", int(PlaylistFormat::Tsv), false);
    row("tabs without an address column", "name\tcountry\n", -1, false);
    row("addresses one a line", "http://h/a\nhttp://h/b\n", -1, false);
    // Sign-in pages of the networks of hotels and cafés, each holding an address on a line of its own.
    row("doctype", "<!DOCTYPE html>\n<p>Sign in:\nhttp://login.example/\n", -1, true);
    row("html after a mark, blanks and a comment",
        "\xEF\xBB\xBF \r\n<!-- portal -->\n<HTML lang=\"en\">\nhttp://login.example/\n", -1, true);
    row("xhtml", "<?xml version=\"1.0\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0//EN\">\n<html>", -1, true);
    row("html in UTF-16", QByteArray("\xFF\xFE<\0h\0t\0m\0l\0>\0", 14), -1, true);
    row("html element only", "<html>", -1, true);
    row("another element", "<htmlish>\nhttp://h/a\n", -1, false);
    row("html later in a playlist", "#EXTM3U\n#EXTINF:-1,<html>\nhttp://h/a\n", int(PlaylistFormat::M3u), false);
}

void PlaylistParsersTest::tellsPlaylistsFromWebPagesByContent()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, shown);
    QFETCH(bool, webPage);
    const std::string_view view(bytes.constData(), static_cast<size_t>(bytes.size()));
    const std::optional<PlaylistFormat> format = FormatShownByContent(view);
    QCOMPARE(format ? int(*format) : -1, shown);
    QCOMPARE(IsWebPage(view), webPage);
}

void PlaylistParsersTest::tellsPlaylistsFromWebPagesByContentType()
{
    for (const char* type : {"text/html", "Text/HTML; charset=utf-8", "application/xhtml+xml"}) {
        QVERIFY2(IsWebPageType(type), type);
        QVERIFY2(!IsPlaylistType(type), type);
    }
    for (const char* type : {"audio/x-mpegurl", "application/vnd.apple.mpegurl; charset=UTF-8", "audio/x-scpls",
                             "application/xspf+xml", "video/x-ms-asf", "text/tab-separated-values"}) {
        QVERIFY2(IsPlaylistType(type), type);
        QVERIFY2(!IsWebPageType(type), type);
    }
    for (const char* type : {"", "text/plain", "application/octet-stream", "text/htmlx"}) {
        QVERIFY2(!IsPlaylistType(type) && !IsWebPageType(type), type);
    }
}

void PlaylistParsersTest::decodesEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::newRow("utf-8") << QByteArray("#EXTINF:-1,Caf\xC3\xA9 \xE2\x82\xAC\nhttp://h/\n")
                           << QStringLiteral("Caf\u00e9 \u20ac");
    QTest::newRow("windows-1252") << QByteArray("#EXTINF:-1,Caf\xE9 \x80\nhttp://h/\n")
                                  << QStringLiteral("Caf\u00e9 \u20ac");
    QByteArray le("\xFF\xFE", 2);
    for (const QChar c : QStringLiteral("#EXTINF:-1,\u00c4rger\r\nhttp://h/\r\n"))
        le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    QTest::newRow("utf-16le with mark") << le << QStringLiteral("\u00c4rger");
    QByteArray be("\xFE\xFF", 2);
    for (const QChar c : QStringLiteral("#EXTINF:-1,\u4e2d\u6587\nhttp://h/\n"))
        be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    QTest::newRow("utf-16be with mark") << be << QStringLiteral("\u4e2d\u6587");
}

void PlaylistParsersTest::decodesEncodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    const auto entries = ParsePlaylist(std::string(bytes.constData(), size_t(bytes.size())), "a.m3u");
    QCOMPARE(entries.size(), size_t(1));
    QCOMPARE(QString::fromStdString(entries[0].name), name);
    QCOMPARE(QString::fromStdString(entries[0].url), QStringLiteral("http://h/"));
    QCOMPARE(entries[0].line, 2);
}

void PlaylistParsersTest::checksAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("reason"); // empty: usable
    const QString ok;
    const auto reason = [](LeftOutReason r) {
        return QString::fromLatin1(LeftOutReasonText(r).data(), qsizetype(LeftOutReasonText(r).size()));
    };
    const QString none = reason(LeftOutReason::NoAddress), path = reason(LeftOutReason::NotWebAddress),
                  broken = reason(LeftOutReason::BrokenScheme), other = reason(LeftOutReason::UnsupportedScheme),
                  unsafe = reason(LeftOutReason::UnsafeCharacters), port = reason(LeftOutReason::BadPort);
    const std::pair<const char*, QString> rows[] = {
        {"http://h/a.m3u8", ok},
        {"HTTPS://H/a", ok},
        {"mms://h/s", ok},
        {"mmsh://h/s", ok},
        {"rtsp://h:554/s", ok},
        {"rtmp://h/live", ok},
        {"pnm://h/r.rm", ok},
        {"http://user:pw@h:8000/;", ok},
        {"http://s3.example:8835/,", ok},
        {"", none},
        {"/home/me/radio.mp3", path},
        {"C:\\Music\\a.mp3", path},
        {"c:/radio.pls", path},
        {"\\\\server\\share\\a", path},
        {"./a.m3u8", path},
        {"file:///tmp/a.mp3", path},
        {"www.example.com/live", path},
        {"radio.mp3", path},
        {"http://", path},
        {"http://:80/x", path},
        {"hhttps://h/a", broken},
        {"ttps://h/a", broken},
        {"htp://h/a", broken},
        {"htpp://h/a", broken},
        {"http:/h/a", broken},
        {"http:h", broken},
        {"rtmpp://h/a", broken},
        {"rtsps://h/a", ok},
        {"rtmps://h/a", ok},
        {"rtmpt://h/a", ok},
        {"mmst://h/a", ok},
        // Operators' addresses: a group or an address (or none, for udp and rtp) and a port.
        {"udp://@239.0.0.1:1234", ok},
        {"UDP://@239.0.0.1:1234/", ok},
        {"udp://239.0.0.1:1234", ok},
        {"udp://10.0.0.9@232.1.1.1:1234", ok},
        {"udp://@:1234", ok},
        {"udp://@[ff15::1]:1234", ok},
        {"udp://@239.0.0.1:1234?localaddr=10.0.0.2", ok},
        {"rtp://@239.0.0.1:5000", ok},
        {"srt://h:9000", ok},
        {"srt://10.0.0.1:9000?latency=200&mode=caller", ok},
        {"udp://@239.0.0.1", port},
        {"udp://@239.0.0.1:", port},
        {"udp://@239.0.0.1:0", port},
        {"udp://@239.0.0.1:65536", port},
        {"udp://@239.0.0.1:123456", port},
        {"udp://@239.0.0.1:12a4", port},
        {"udp://@239.0.0.1:-1", port},
        {"rtp://@239.0.0.1", port},
        {"udp://@", port},
        {"udp://@[ff15::1]", port},
        {"srt://h", port},
        {"srt://h:0", port},
        {"srt://:9000", path},
        {"udp://@[ff15::1", path},
        {"udp:@239.0.0.1:1234", broken},
        {"tcp://h:9000", other},
        {"srtp://h:9000", other},
        {"ftp://h/a.mp3", other},
        {"acestream://0123", other},
        {"javascript:alert(1)", other},
        {"gopher://h/", other},
        {"http://h/a b", unsafe},
        {"http://h/\"x\"", unsafe},
        {"http://h/'x'", unsafe},
        {"http://h/<script>", unsafe},
        {"http://h/\tx", unsafe},
        {"http://h/a\\b", unsafe},
    };
    for (const auto& [address, expected] : rows)
        QTest::newRow(address) << QString::fromLatin1(address) << expected;
}

void PlaylistParsersTest::checksAddresses()
{
    QFETCH(QString, address);
    QFETCH(QString, reason);
    const auto result = CheckStreamAddress(address.toStdString());
    const QString got = result
        ? QString::fromLatin1(LeftOutReasonText(*result).data(), qsizetype(LeftOutReasonText(*result).size()))
        : QString();
    QCOMPARE(got, reason);
}

void PlaylistParsersTest::duplicateKeyIgnoresCaseOfSchemeAndHostOnly()
{
    QCOMPARE(AddressKey("HTTP://Example.COM/Live?A=1"), AddressKey("http://example.com/Live?A=1"));
    QVERIFY(AddressKey("http://h/Live") != AddressKey("http://h/live"));
}

void PlaylistParsersTest::survivesTruncatedAndGarbledInput_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("m3u") << QStringLiteral(
        "a.m3u") << QByteArray("#EXTM3U\n#EXTINF:-1 tvg-id=\"a\" group-title=\"x,y\",N\nhttp://h/a\n#EXTINF:-1 a=\"");
    QTest::newRow("pls") << QStringLiteral("a.pls")
                         << QByteArray("[playlist]\nFile1=http://h/\nTitle99999999999999999999=x\nFile=\n=\n");
    QTest::newRow("xspf") << QStringLiteral("a.xspf")
                          << QByteArray("<playlist><trackList><track><location>http://h/<![CDATA[x");
    QTest::newRow("asx") << QStringLiteral("a.asx")
                         << QByteArray("<asx><entry><ref href=\"http://h/a<ref href='<<<&#xFFFFFFFFF;&#;&");
    QTest::newRow("tsv") << QStringLiteral("a.tsv") << QByteArray("url\n\"\n\"\"\n\t\t\t\n");
}

void PlaylistParsersTest::survivesTruncatedAndGarbledInput()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    // Every prefix of the input parses without a crash or a hang (ASan and UBSan check the rest).
    for (qsizetype n = 0; n <= bytes.size(); ++n) {
        const std::string prefix(bytes.constData(), size_t(n));
        try {
            ParsePlaylist(prefix, file.toStdString());
        } catch (const PlaylistError&) {
        }
    }
}

void PlaylistParsersTest::readsRequestHeadersOfEachForm_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("headers"); // HeaderLines of the entry's headers
    const auto row = [](const char* name, const char* between, const char* address, const char* url,
                        const char* headers) {
        QTest::newRow(name) << (QByteArray("#EXTM3U\n#EXTINF:-1,Channel\n") + between + address + "\n")
                            << QString::fromLatin1(url) << QString::fromLatin1(headers);
    };
    const char* plain = "http://h/live.m3u8";
    row("vlc user agent and referrer",
        "#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11; Linux)\n"
        "#EXTVLCOPT:http-referrer=https://site.example/tv/\n",
        plain, plain, "User-Agent: Mozilla/5.0 (X11; Linux)\nReferer: https://site.example/tv/");
    row("vlc referer spelt as http is", "#EXTVLCOPT:http-referer=https://r/\n", plain, plain, "Referer: https://r/");
    row("vlc options of other kinds are no headers",
        "#EXTVLCOPT:network-caching=1000\n#EXTVLCOPT:http-reconnect=true\n", plain, plain, "");
    row("exthttp json", "#EXTHTTP:{\"User-Agent\":\"Kodi/20\",\"Referer\":\"https://r/\",\"cookie\":\"a=1\"}\n", plain,
        plain, "Referer: https://r/\nUser-Agent: Kodi/20\nCookie: a=1"); // in the order of their names
    row("exthttp json that is no object", "#EXTHTTP:[\"User-Agent\"]\n#EXTHTTP:{broken\n", plain, plain, "");
    row("kodi stream headers percent-encoded",
        "#KODIPROP:inputstream.adaptive.stream_headers=User-Agent=VLC%2F3.0&Referer=https%3A%2F%2Fr%2Fa%3Fb%3Dc\n",
        plain, plain, "User-Agent: VLC/3.0\nReferer: https://r/a?b=c");
    row("kodi manifest headers", "#KODIPROP:inputstream.adaptive.manifest_headers=origin=https://o\n", plain, plain,
        "Origin: https://o");
    row("address bar form, percent-decoded", "", "http://h/a.m3u8|User-Agent=My%20Player&Referer=http://r/",
        "http://h/a.m3u8", "User-Agent: My Player\nReferer: http://r/");
    row("address bar overrides an option line", "#EXTVLCOPT:http-user-agent=A\n", "http://h/a|user-agent=B",
        "http://h/a", "User-Agent: B");
    row("referrer spelling becomes Referer", "", "http://h/a|Referrer=http://r/", "http://h/a", "Referer: http://r/");
    row("own X- header kept", "", "http://h/a|X-Token=abc", "http://h/a", "X-Token: abc");
    // Hostile lists: nothing may start a header line of its own or change how the request is framed.
    row("encoded CRLF in a value is refused", "", "http://h/a|User-Agent=A%0D%0AHost:%20evil&Referer=http://r/",
        "http://h/a", "Referer: http://r/");
    row("encoded LF alone is refused", "#KODIPROP:inputstream.adaptive.stream_headers=User-Agent=A%0AX-Evil:1\n", plain,
        plain, "");
    row("json value with a line end is refused", "#EXTHTTP:{\"User-Agent\":\"A\\r\\nX-Evil: 1\",\"Referer\":\"r\"}\n",
        plain, plain, "Referer: r");
    row("NUL and other control bytes are refused", "", "http://h/a|User-Agent=A%00B&Cookie=x%09y", "http://h/a", "");
    row("framing and routing headers are refused", "",
        "http://h/a|Host=evil&Content-Length=0&Transfer-Encoding=chunked&Connection=close&Range=bytes=0-&"
        "Proxy-Authorization=x&X-Zentavo-Page=zvo://pages/x",
        "http://h/a", "");
    row("a name that is no token is refused", "", "http://h/a|User Agent=A&X-A:B=c&=empty", "http://h/a", "");
    row("an empty value is refused", "", "http://h/a|User-Agent=&Referer=%20", "http://h/a", "");
    row("non-ASCII bytes are refused", "", "http://h/a|User-Agent=Pl%C3%A4yer", "http://h/a", "");
    QByteArray longValue(int(kMaxRequestHeaderValue) + 1, 'a');
    QTest::newRow("an overlong value is refused")
        << (QByteArray("#EXTINF:-1,L\nhttp://h/a|User-Agent=") + longValue + "&Referer=r\n")
        << QStringLiteral("http://h/a") << QStringLiteral("Referer: r");
    QByteArray many("#EXTINF:-1,M\nhttp://h/a|");
    for (int i = 0; i < 40; ++i)
        many += "X-H" + QByteArray::number(i) + "=v&";
    QStringList first;
    for (int i = 0; i < int(kMaxRequestHeaders); ++i)
        first << QStringLiteral("X-H%1: v").arg(i);
    QTest::newRow("at most so many headers") << many << QStringLiteral("http://h/a") << first.join(QLatin1Char('\n'));
}

void PlaylistParsersTest::readsRequestHeadersOfEachForm()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, url);
    QFETCH(QString, headers);
    const std::vector<PlaylistEntry> entries = ParsePlaylist(bytes.toStdString(), "a.m3u");
    QCOMPARE(entries.size(), size_t(1));
    QCOMPARE(QString::fromStdString(entries.front().url), url);
    QCOMPARE(QString::fromStdString(HeaderLines(entries.front().headers)), headers);
}

void PlaylistParsersTest::requestHeadersBelongToTheirOwnEntry()
{
    // Option lines name the headers of the next address only; an entry after it asks for nothing.
    const std::vector<PlaylistEntry> entries = ParsePlaylist("#EXTM3U\n"
                                                             "#EXTINF:-1 tvg-chno=\"007\" group-title=\"News\",A\n"
                                                             "#EXTVLCOPT:http-user-agent=UA-A\n"
                                                             "http://h/a\n"
                                                             "#EXTINF:-1,B\n"
                                                             "http://h/b\n",
                                                             "a.m3u");
    QCOMPARE(entries.size(), size_t(2));
    QCOMPARE(QString::fromStdString(HeaderLines(entries[0].headers)), QStringLiteral("User-Agent: UA-A"));
    QCOMPARE(entries[0].number, std::string("007"));
    QCOMPARE(entries[0].group, std::string("News"));
    QVERIFY(entries[1].headers.empty());
}

void PlaylistParsersTest::headerNamesGuides_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("guides");
    QTest::newRow("x-tvg-url, several") << QByteArray(
        "#EXTM3U x-tvg-url=\"http://e/a.xml, https://e/b.xml.gz\"\n#EXTINF:-1,A\nhttp://h/a\n")
                                        << QStringLiteral("a.m3u")
                                        << QStringList{QStringLiteral("http://e/a.xml"),
                                                       QStringLiteral("https://e/b.xml.gz")};
    QTest::newRow("url-tvg and x-tvg-url, once each")
        << QByteArray("\xEF\xBB\xBF#EXTM3U url-tvg=\"http://e/a.xml\" X-TVG-URL='http://e/a.xml,http://e/c.xml' "
                      "tvg-shift=1\n")
        << QStringLiteral("a.m3u") << QStringList{QStringLiteral("http://e/a.xml"), QStringLiteral("http://e/c.xml")};
    QTest::newRow("unquoted, lone CR") << QByteArray(
        "#EXTM3U x-tvg-url=http://e/a.xml refresh=3600\r#EXTINF:-1,A\rhttp://h/a\r")
                                       << QStringLiteral("a.m3u") << QStringList{QStringLiteral("http://e/a.xml")};
    QByteArray utf16("\xFF\xFE", 2);
    for (const QChar c : QStringLiteral("#EXTM3U x-tvg-url=\"http://e/\u00e9.xml\"\r\n#EXTINF:-1,A\r\nhttp://h/a\r\n"))
        utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    QTest::newRow("utf-16") << utf16 << QStringLiteral("a.m3u") << QStringList{QStringLiteral("http://e/\u00e9.xml")};
    QTest::newRow("only on the header line")
        << QByteArray("#EXTM3U\n#EXTINF:-1 x-tvg-url=\"http://e/not-a-header.xml\",A\nhttp://h/a\n")
        << QStringLiteral("a.m3u") << QStringList();
    QTest::newRow("http(s) whole addresses only")
        << QByteArray("#EXTM3U x-tvg-url=\"file:///etc/passwd,/tmp/x.xml,http://e/a b.xml,http://e/ok.xml\" "
                      "url-tvg=\"http://e/")
            + QByteArray(3000, 'x') + QByteArray("\"\n")
        << QStringLiteral("a.m3u") << QStringList{QStringLiteral("http://e/ok.xml")};
    QByteArray many("#EXTM3U x-tvg-url=\"");
    QStringList first;
    for (int i = 0; i < 40; ++i) {
        many += "http://e/" + QByteArray::number(i) + ".xml,";
        if (first.size() < int(kMostGuideAddresses))
            first << QStringLiteral("http://e/%1.xml").arg(i);
    }
    QTest::newRow("a bounded number") << many + "\"\n" << QStringLiteral("a.m3u") << first;
    QTest::newRow("another format") << QByteArray("[playlist]\nx-tvg-url=http://e/a.xml\nFile1=http://h/a\n")
                                    << QStringLiteral("a.pls") << QStringList();
    QTest::newRow("a word that only starts like the header")
        << QByteArray("#EXTM3Ux x-tvg-url=http://e/a.xml\nhttp://h/a\n") << QStringLiteral("a.m3u") << QStringList();
}

void PlaylistParsersTest::headerNamesGuides()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, file);
    QFETCH(QStringList, guides);
    PlaylistHeader header;
    ParsePlaylist(std::string(bytes.constData(), size_t(bytes.size())), file.toStdString(), &header);
    QStringList found;
    for (const std::string& guide : header.guides)
        found << QString::fromStdString(guide);
    QCOMPARE(found, guides);
}

QTEST_GUILESS_MAIN(PlaylistParsersTest)
#include "test_playlist_parsers.moc"
