// What the import makes of playlist entries (type, country, name, bandwidth), what it leaves out
// and how it counts, the prepared catalogue it writes, and every real list of the channel folder.
#include "channels/catalogue.h"
#include "channels/channel_lists.h"
#include "channels/import/file_bytes.h"
#include "channels/import/playlist_import.h"
#include "channels/import/prepared_catalogue.h"
#include "channels/preparation.h"
#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"

#include "shared_lists.h"

#include "tests/support/waits.h"

#include <QtTest>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace zentavo;

Q_DECLARE_METATYPE(std::optional<ChannelType>)
Q_DECLARE_METATYPE(ChannelType)

namespace {

QString Row(const ImportedChannel& c)
{
    return QString::fromStdString(c.name + "|" + c.country + "|" + c.bandwidth + "|" + c.type2 + "|" + c.url);
}

QStringList Rows(std::initializer_list<const char*> rows)
{
    QStringList out;
    for (const char* row : rows)
        out << QString::fromUtf8(row);
    return out;
}

std::string ReadFile(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return std::move(buffer).str();
}

std::string XmlEscape(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

// The elements a channel has only when its list gives them, in the catalogue's order.
std::string KeptElements(const ImportedChannel& c)
{
    const auto element = [](const char* name, const std::string& text) {
        return text.empty() ? std::string() : "<" + std::string(name) + ">" + XmlEscape(text) + "</" + name + ">";
    };
    return element("logo", c.logo) + element("group", c.group) + element("number", c.number)
        + element("headers", EncodedRequestHeaders(c.headers));
}

// The programme guide's keys as the catalogue keeps them, each only when the list gave it.
std::string GuideKeyElements(const ImportedChannel& c)
{
    return (c.tvgId.empty() ? std::string() : "<tvgid>" + XmlEscape(c.tvgId) + "</tvgid>")
        + (c.tvgName.empty() ? std::string() : "<tvgname>" + XmlEscape(c.tvgName) + "</tvgname>")
        + (c.tvgShift == 0 ? std::string() : "<tvgshift>" + std::to_string(c.tvgShift) + "</tvgshift>");
}

} // namespace

class PlaylistImportTest : public QObject {
    Q_OBJECT
private slots:
    void decidesTypeCountryNameAndBandwidth_data();
    void decidesTypeCountryNameAndBandwidth();
    void leavesOutUnusableAndDuplicateEntriesAndCountsEach();
    void noPlaylistAtAllTakesNothing();
    void readsOnlyRegularFilesWithinTheLimit();
    void preparedCatalogueIsWhatAnnotateThenEncipherLeave();
    void preparedCatalogueOfARealListMatchesTheDocumentSteps();
    void preparedCatalogueReadsBackThroughTheCatalogue();
    void logoAddressIsKept_data();
    void logoAddressIsKept();
    void logoReadsBackIntoTheListRows();
    void everyRealListIsAccountedFor_data();
    void everyRealListIsAccountedFor();
    void addressSaysWhatItCarries_data();
    void addressSaysWhatItCarries();
    void realListsLandInTheirTabs_data();
    void realListsLandInTheirTabs();
    void allRealListsTogetherAreAccountedFor();
};

void PlaylistImportTest::decidesTypeCountryNameAndBandwidth_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("playlist");
    QTest::addColumn<QString>("typeOption");
    QTest::addColumn<QString>("countryOption");
    QTest::addColumn<QStringList>("expected"); // name|country|bandwidth|type2|url

    QTest::newRow("country from tvg-id suffix, resolution to bandwidth")
        << QStringLiteral("a.m3u")
        << QByteArray("#EXTINF:-1 tvg-id=\"DasErste.de@HD\" group-title=\"General\",Das Erste (1080p) "
                      "[Geo-blocked]\nhttps://h/1.m3u8\n"
                      "#EXTINF:-1 tvg-id=\"BBCOne.uk\",BBC One (720i)\nhttps://h/2.m3u8\n"
                      "#EXTINF:-1 tvg-id=\"KTVB.us\",KING 5 (Seattle WA)\nhttps://h/3.m3u8\n")
        << QString() << QString()
        << Rows({"Das Erste [Geo-blocked]|Germany|1080p|tv|https://h/1.m3u8",
                 "BBC One|United Kingdom|720i|tv|https://h/2.m3u8",
                 "KING 5 (Seattle WA)|United States||tv|https://h/3.m3u8"});
    QTest::newRow("a group is no country")
        << QStringLiteral("a.m3u")
        << QByteArray("#EXTINF:-1 tvg-id=\"CadenaS.Radio\" group-title=\"Nacionales\",SER\nhttps://h/1\n"
                      "#EXTINF:-1 tvg-id=\"\" group-title=\"Austria;News\",ORF\nhttps://h/2\n"
                      "#EXTINF:-1 tvg-country=\"DE;AT\" tvg-id=\"x.fr\",Both\nhttps://h/3\n"
                      "#EXTINF:-1,Nothing\nhttps://h/4\n")
        << QString() << QString()
        << Rows({"SER|||tv|https://h/1", "ORF|||tv|https://h/2", "Both|Germany||tv|https://h/3",
                 "Nothing|||tv|https://h/4"});
    QTest::newRow("type from the entry: radio attribute, picture address")
        << QStringLiteral("a.m3u")
        << QByteArray("#EXTINF:-1 radio=\"true\",R\nhttp://h/r\n#EXTINF:-1,Cam\nhttp://h/cam.JPG?t=1\n"
                      "#EXTINF:-1,Png\nhttp://h/p.png\n#EXTINF:-1,Jpeg in path only\nhttp://h/a.jpg/live.m3u8\n")
        << QString() << QString()
        << Rows({"R|||radio|http://h/r", "Cam|||webcam|http://h/cam.JPG?t=1", "Png|||webcam|http://h/p.png",
                 "Jpeg in path only|||tv|http://h/a.jpg/live.m3u8"});
    QTest::newRow("audio address without a mark is radio; HLS and /stream say nothing")
        << QStringLiteral("a.m3u")
        << QByteArray("#EXTINF:-1,A\nhttp://h/a.mp3\n#EXTINF:-1,S\nhttp://h:8000/;\n"
                      "#EXTINF:-1,H\nhttp://h/live.m3u8\n#EXTINF:-1,I\nhttp://h:8000/stream\n")
        << QString() << QString()
        << Rows({"A|||radio|http://h/a.mp3", "S|||radio|http://h:8000/;", "H|||tv|http://h/live.m3u8",
                 "I|||tv|http://h:8000/stream"});
    // Five audio addresses, a fifth of the list, no video: a list of radio stations, whose other
    // unmarked entries are radio too; pictures stay webcams.
    QTest::newRow("radio list: unmarked entries that say nothing go to radio")
        << QStringLiteral("a.m3u")
        << QByteArray("http://h/1.mp3\nhttp://h/2.aac\nhttp://h/3.ogg\nhttp://h/4.pls\nhttp://h:8000/;stream.nsv\n"
                      "http://h/listen\nhttp://h/hls/x.m3u8\n#EXTINF:-1,Cam\nhttp://h/c.jpg\n")
        << QString() << QString()
        << Rows({"h|||radio|http://h/1.mp3", "h|||radio|http://h/2.aac", "h|||radio|http://h/3.ogg",
                 "h|||radio|http://h/4.pls", "h:8000|||radio|http://h:8000/;stream.nsv", "h|||radio|http://h/listen",
                 "h|||radio|http://h/hls/x.m3u8", "Cam|||webcam|http://h/c.jpg"});
    QTest::newRow("one video address: no radio list")
        << QStringLiteral("a.m3u")
        << QByteArray("http://h/1.mp3\nhttp://h/2.mp3\nhttp://h/3.mp3\nhttp://h/4.mp3\nhttp://h/5.mp3\n"
                      "http://h/live\nhttp://h/v.mp4\n")
        << QString() << QString()
        << Rows({"h|||radio|http://h/1.mp3", "h|||radio|http://h/2.mp3", "h|||radio|http://h/3.mp3",
                 "h|||radio|http://h/4.mp3", "h|||radio|http://h/5.mp3", "h|||tv|http://h/live",
                 "h|||tv|http://h/v.mp4"});
    // Five radios among forty channels of a TV service (an eighth): below a fifth, no radio list.
    {
        QByteArray playlist;
        QStringList rows;
        for (int i = 1; i <= 5; ++i) {
            playlist += "http://h/" + QByteArray::number(i) + ".mp3\n";
            rows << QStringLiteral("h|||radio|http://h/%1.mp3").arg(i);
        }
        for (int i = 1; i <= 40; ++i) {
            playlist += "http://h:8080/u/p/" + QByteArray::number(i) + "\n";
            rows << QStringLiteral("h:8080|||tv|http://h:8080/u/p/%1").arg(i);
        }
        QTest::newRow("a few radios in a TV list stay the only radios")
            << QStringLiteral("a.m3u") << playlist << QString() << QString() << rows;
    }
    // An operator's list: multicast groups over UDP and RTP, SRT; kept as written, TV unless marked.
    QTest::newRow("operator addresses: udp and rtp groups, any address, srt")
        << QStringLiteral("iptv.m3u")
        << QByteArray("#EXTM3U\n#EXTINF:-1 tvg-id=\"DasErste.de\",Das Erste\nudp://@239.1.1.1:1234\n"
                      "#EXTINF:-1,ZDF\nrtp://@239.1.1.2:5000\n#EXTINF:-1,Arte\nsrt://h:9000?latency=200\n"
                      "#EXTINF:-1,Here\nudp://@:1234\n#EXTINF:-1 radio=\"true\",Radio\nUDP://10.0.0.9@239.1.2.1:1234\n")
        << QString() << QString()
        << Rows({"Das Erste|Germany||tv|udp://@239.1.1.1:1234", "ZDF|||tv|rtp://@239.1.1.2:5000",
                 "Arte|||tv|srt://h:9000?latency=200", "Here|||tv|udp://@:1234",
                 "Radio|||radio|UDP://10.0.0.9@239.1.2.1:1234"});
    QTest::newRow("radio list with a type option: the option wins")
        << QStringLiteral("a.m3u")
        << QByteArray("http://h/1.mp3\nhttp://h/2.mp3\nhttp://h/3.mp3\nhttp://h/4.mp3\nhttp://h/5.mp3\n")
        << QStringLiteral("tv") << QString()
        << Rows({"h|||tv|http://h/1.mp3", "h|||tv|http://h/2.mp3", "h|||tv|http://h/3.mp3", "h|||tv|http://h/4.mp3",
                 "h|||tv|http://h/5.mp3"});
    QTest::newRow("options win over the entry")
        << QStringLiteral("a.m3u")
        << QByteArray("#EXTINF:-1 radio=\"true\" tvg-id=\"a.de\" "
                      "tvg-country=\"FR\",R\nhttp://h/r\n#EXTINF:-1,C\nhttp://h/c.jpg\n")
        << QStringLiteral("tv") << QStringLiteral("Atlantis")
        << Rows({"R|Atlantis||tv|http://h/r", "C|Atlantis||tv|http://h/c.jpg"});
    QTest::newRow("tsv: webcam format, country code, bandwidth column wins over the name")
        << QStringLiteral("a.tsv")
        << QByteArray("name\tcountry\turl\tformat\tbandwidth\nCam (720p)\tus\thttps://h/c.png\tIMAGE_STREAM\t\n"
                      "TV (480p)\tAtlantis\thttps://h/t\t\t2 Mbit/s\n")
        << QString() << QString()
        << Rows({"Cam|United States|720p|webcam|https://h/c.png", "TV (480p)|Atlantis|2 Mbit/s|tv|https://h/t"});
    QTest::newRow("names: host when missing, control characters and runs of blanks cleaned")
        << QStringLiteral("a.m3u")
        << QByteArray("http://Stream.Example:8000/live\n#EXTINF:-1,  A\x01\tB   C  "
                      "\nhttp://h/b\n#EXTINF:-1,(1080p)\nhttp://h/c\n")
        << QString() << QString()
        << Rows({"Stream.Example:8000|||tv|http://Stream.Example:8000/live", "A B C|||tv|http://h/b",
                 "h||1080p|tv|http://h/c"});
    // A direction override would reverse the rest of the row in the lists, "[my list]" included;
    // joiners belong to the letters and emoji they join and stay.
    QTest::newRow("names: direction overrides, isolates and other hidden format characters go")
        << QStringLiteral("a.m3u")
        << QByteArray("#EXTINF:-1 group-title=\"\xE2\x80\xADNews\",\xE2\x80\xAE"
                      "Evil\xE2\x81\xA6 TV\xE2\x81\xA9 \xE2\x80\x8BOne\xE2\x80\xAA\xE2\x80\xAB\xE2\x80\xAC "
                      "(720p\xE2\x81\xA7)\nhttp://h/1\n"
                      "#EXTINF:-1,Family \xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9 \xD9\x85\xE2\x80\x8C\xD9\x8A"
                      "\xE2\x81\xA8\nhttp://h/2\n")
        << QString() << QString()
        << Rows({"Evil TV One||720p|tv|http://h/1",
                 "Family \xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9 \xD9\x85\xE2\x80\x8C\xD9\x8A||"
                 "|tv|http://h/2"});
}

void PlaylistImportTest::decidesTypeCountryNameAndBandwidth()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, playlist);
    QFETCH(QString, typeOption);
    QFETCH(QString, countryOption);
    QFETCH(QStringList, expected);
    ImportOptions options;
    if (!typeOption.isEmpty())
        options.type = ChannelTypeFromWord(typeOption.toStdString());
    options.country = countryOption.toStdString();
    PlaylistImport import(options);
    import.AddPlaylist(playlist.toStdString(), file.toStdString());
    QStringList got;
    for (const ImportedChannel& channel : import.Channels())
        got << Row(channel);
    QCOMPARE(got, expected);
    QCOMPARE(import.Summary().read, long(expected.size()));
}

void PlaylistImportTest::leavesOutUnusableAndDuplicateEntriesAndCountsEach()
{
    PlaylistImport import({});
    import.AddPlaylist("#EXTM3U\n"
                       "#EXTINF:-1,Good\nhttp://h/good\n" // 3
                       "#EXTINF:-1,Typo\nhhttps://h/typo\n" // 5
                       "#EXTINF:-1,File\n/srv/media/a.mp3\n" // 7
                       "#EXTINF:-1,Quote\nhttp://h/\"a\"\n" // 9
                       "#EXTINF:-1,Ftp\nftp://h/a.mp3\n" // 11
                       "#EXTINF:-1,Again\nHTTP://H/good\n" // 13
                       "#EXTINF:-1,NoAddress\n", // 14
                       "one.m3u");
    import.AddPlaylist("[playlist]\nFile1=http://h/good\nFile2=http://h/new\nFile3=udp://@239.1.1.1\n", "two.pls");

    const ImportSummary& summary = import.Summary();
    QCOMPARE(summary.read, 10L);
    QCOMPARE(summary.imported, 2L);
    QCOMPARE(summary.read, summary.imported + summary.LeftOutTotal());
    QStringList notes;
    for (const LeftOutEntry& entry : import.LeftOut())
        notes << QString::fromStdString(DescribeLeftOut(entry));
    QCOMPARE(notes,
             Rows({
                 "one.m3u:5: left out (broken scheme): hhttps://h/typo",
                 "one.m3u:7: left out (not a web address): /srv/media/a.mp3",
                 "one.m3u:9: left out (blanks or quotes inside): http://h/\"a\"",
                 "one.m3u:11: left out (unsupported scheme): ftp://h/a.mp3",
                 "one.m3u:13: left out (duplicate address): HTTP://H/good (first at line 3)",
                 "one.m3u:14: left out (no address)",
                 "two.pls:2: left out (duplicate address): http://h/good (first at one.m3u:line 3)",
                 "two.pls:4: left out (no port or a bad port): udp://@239.1.1.1",
             }));
    QCOMPARE(QString::fromStdString(DescribeSummary(summary)),
             QStringLiteral("read 10 entries\nimported 2\nleft out 8\n  no address: 1\n  not a web address: 1\n"
                            "  broken scheme: 1\n  unsupported scheme: 1\n  no port or a bad port: 1\n"
                            "  blanks or quotes inside: 1\n"
                            "  duplicate address: 2\n"));
}

void PlaylistImportTest::noPlaylistAtAllTakesNothing()
{
    PlaylistImport import({});
    QVERIFY_THROWS_EXCEPTION(PlaylistError, import.AddPlaylist(std::string("ID3\x03\0\0\0\0\x0f\x76", 10), "song.mp3"));
    QVERIFY_THROWS_EXCEPTION(PlaylistError, import.AddPlaylist("title\tcountry\nA\tB\n", "list.tsv"));
    // A sign-in page of a hotel's network that holds an address on a line of its own.
    QVERIFY_THROWS_EXCEPTION(PlaylistError,
                             import.AddPlaylist("<!DOCTYPE html>\n<html><body><p>Please sign in at\n"
                                                "http://login.hotel.example/\n</p></body></html>\n",
                                                "list.m3u"));
    QCOMPARE(import.Summary().read, 0L);
    QVERIFY(import.Channels().empty());
}

void PlaylistImportTest::readsOnlyRegularFilesWithinTheLimit()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto path = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)).toStdString(); };
    const auto failure = [](const std::string& file, std::int64_t maxBytes) {
        try {
            ReadFileBytes(file, maxBytes);
            return std::string("read");
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
    };

    // A FIFO without a writer is refused at once; an open that waited for a writer would hang the
    // import for good. Should it wait all the same, a writer comes and goes after the limit, so that
    // the test ends and says so.
    const std::string fifo = path("fifo.m3u");
    QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
    auto reading = std::async(std::launch::async, [&] { return failure(fifo, kMaxPlaylistBytes); });
    if (reading.wait_for(std::chrono::milliseconds(test::Limit(5000))) != std::future_status::ready) {
        ::close(::open(fifo.c_str(), O_RDWR | O_CLOEXEC));
        QFAIL("reading a FIFO waited for a writer");
    }
    QCOMPARE(reading.get(), "cannot read " + fifo + ": it is a pipe (FIFO), not a file");

    // A file far beyond the limit is refused before a byte of it is read (a sparse file: no disk used).
    const std::string huge = path("huge.m3u");
    std::ofstream(huge, std::ios::binary).put('#');
    std::filesystem::resize_file(huge, std::uintmax_t{1} << 30);
    QVERIFY(std::filesystem::create_directory(path("folder.m3u")));
    QCOMPARE(failure(huge, kMaxPlaylistBytes),
             "cannot read " + huge + ": it is 1024 MB, more than the 64 MB a playlist may have");
    QCOMPARE(failure(path("folder.m3u"), kMaxPlaylistBytes),
             "cannot read " + path("folder.m3u") + ": it is a folder, not a file");
    QCOMPARE(failure("/dev/zero", kMaxPlaylistBytes), std::string("cannot read /dev/zero: it is a device, not a file"));
    QVERIFY(failure(path("missing.m3u"), kMaxPlaylistBytes).ends_with("No such file or directory"));

    // Up to the limit the file reads whole, through a link too.
    const std::string list = path("list.m3u");
    std::ofstream(list, std::ios::binary) << "#EXTM3U\nhttp://h/a\n";
    std::filesystem::create_symlink(list, path("link.m3u"));
    QCOMPARE(ReadFileBytes(path("link.m3u"), 19), std::string("#EXTM3U\nhttp://h/a\n"));
    QVERIFY(failure(list, 18).ends_with("MB a playlist may have"));
}

void PlaylistImportTest::preparedCatalogueIsWhatAnnotateThenEncipherLeave()
{
    const std::vector<ImportedChannel> channels = {
        {"Real & Co <1> ]]> \"q\" \u00e9\u4e2d", "Germany", "", "radio", "rtsp://h/a.rm"},
        {"Cam", "United States", "", "webcam", "https://h/c.jpg?x=1&y=2"},
        {"TV \u00e9", "France", "720p", "tv", "https://h/t.m3u8"},
        {"Pls", "", "", "radio", "http://h/x.pls"},
        {"Logo", "Spain", "", "tv", "https://h/l.m3u8", "https://img.example/l.png?a=1&b=<2>"},
        {"Grouped", "", "", "tv", "https://h/g.m3u8", "", "News & <Weather>", "42",
         RequestHeaders{{"User-Agent", "Agent/1.0 (X11; <Linux>) & more"}, {"Referer", "https://r.example/?a=1&b=2"}}},
    };
    // The same channels as a catalogue of plain addresses, run through the two preparation steps.
    std::string plain = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n";
    int id = 0;
    for (const ImportedChannel& c : channels) {
        plain += "<item><id>" + std::to_string(++id) + "</id><name>" + XmlEscape(c.name) + "</name><country>"
            + XmlEscape(c.country) + "</country><bandwidth>" + c.bandwidth + "</bandwidth><type2>" + c.type2
            + "</type2><url>" + XmlEscape(c.url) + "</url>" + KeptElements(c) + GuideKeyElements(c) + "</item>\n";
    }
    plain += "</items>\n";
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string plainPath = dir.filePath(QStringLiteral("plain.xml")).toStdString();
    const std::string annotatedPath = dir.filePath(QStringLiteral("annotated.xml")).toStdString();
    const std::string preparedPath = dir.filePath(QStringLiteral("prepared.xml")).toStdString();
    std::ofstream(plainPath, std::ios::binary) << plain;
    AnnotateMediaKinds(plainPath, annotatedPath);
    EncipherCatalogueAddresses(annotatedPath, preparedPath, BuildStreamPassphrase());

    const std::string imported = PreparedCatalogueBytes(channels, BuildStreamPassphrase());
    QCOMPARE(QString::fromStdString(imported), QString::fromStdString(ReadFile(QString::fromStdString(preparedPath))));
}

void PlaylistImportTest::preparedCatalogueOfARealListMatchesTheDocumentSteps()
{
    // The same comparison on thousands of real entries, with the steps run on a document in memory.
    const QString path = QStringLiteral(ZENTAVO_CHANNEL_LISTS "/tv/iptv-org-index.m3u");
    if (!QFileInfo::exists(path))
        QFAIL("the channel lists are missing: " ZENTAVO_CHANNEL_LISTS);
    PlaylistImport import({});
    import.AddPlaylist(ReadFile(path), "index.m3u");
    import.AddPlaylist(ReadFile(QStringLiteral(ZENTAVO_CHANNEL_LISTS "/radio/tdtchannels.m3u")), "tdt.m3u");
    std::string plain = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n";
    int id = 0;
    for (const ImportedChannel& c : import.Channels()) {
        plain += "<item><id>" + std::to_string(++id) + "</id><name>" + XmlEscape(c.name) + "</name><country>"
            + XmlEscape(c.country) + "</country><bandwidth>" + c.bandwidth + "</bandwidth><type2>" + c.type2
            + "</type2><url>" + XmlEscape(c.url) + "</url>" + KeptElements(c) + GuideKeyElements(c) + "</item>\n";
    }
    plain += "</items>\n";
    XmlDocument document = XmlDocument::LoadBytes(plain);
    AnnotateMediaKinds(document);
    EncipherCatalogueAddresses(document, BuildStreamPassphrase());
    const std::string expected = document.SaveToBytes();
    const std::string written = PreparedCatalogueBytes(import.Channels(), BuildStreamPassphrase());
    QCOMPARE(written.size(), expected.size());
    QVERIFY(written == expected);
}

void PlaylistImportTest::preparedCatalogueReadsBackThroughTheCatalogue()
{
    const std::vector<ImportedChannel> channels = {
        {"A", "Spain", "", "radio", "https://h/a.mp3"},
        {"B", "Chile", "", "webcam", "https://h/b.jpg"},
        {"C", "Peru", "", "tv", "rtsp://h/c"},
    };
    const std::string passphrase = BuildStreamPassphrase();
    const Catalogue catalogue =
        Catalogue::FromDocument(XmlDocument::LoadBytes(PreparedCatalogueBytes(channels, passphrase)));
    std::vector<ChannelRecord> records;
    catalogue.ForEachChannel([&](const ChannelRecord& r) { records.push_back(r); });
    QCOMPARE(records.size(), channels.size());
    const char* kinds[] = {"0", "2", "1"};
    for (size_t i = 0; i < records.size(); ++i) {
        QCOMPARE(records[i].id, std::to_string(i + 1));
        QCOMPARE(records[i].name, channels[i].name);
        QCOMPARE(records[i].type2, channels[i].type2);
        QCOMPARE(records[i].imgindex, std::string(kinds[i]));
        QCOMPARE(TrimControlBytes(DecipherString(records[i].url, passphrase, KeySize::Key256)), channels[i].url);
        // imgindex comes last in its item.
        const auto item = catalogue.FindChannel(records[i].id);
        QVERIFY(item);
        QCOMPARE(item->ChildElements().back().Name(), std::string("imgindex"));
    }
}

void PlaylistImportTest::logoAddressIsKept_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("logo");
    const QByteArray m3uHead = "#EXTM3U\n#EXTINF:-1 ";
    QTest::newRow("m3u tvg-logo") << m3uHead + "tvg-logo=\"https://i.example/a.png\",A\nhttp://h/a\n"
                                  << "a.m3u"
                                  << "https://i.example/a.png";
    QTest::newRow("m3u blanks around") << m3uHead + "tvg-logo=\"  http://i.example/a.png \",A\nhttp://h/a\n"
                                       << "a.m3u"
                                       << "http://i.example/a.png";
    QTest::newRow("m3u query kept") << m3uHead + "tvg-logo=\"https://i.example/l?id=1&s=2\",A\nhttp://h/a\n"
                                    << "a.m3u"
                                    << "https://i.example/l?id=1&s=2";
    QTest::newRow("m3u no logo") << m3uHead + "tvg-id=\"a.de\",A\nhttp://h/a\n"
                                 << "a.m3u"
                                 << "";
    QTest::newRow("m3u empty logo") << m3uHead + "tvg-logo=\"\",A\nhttp://h/a\n"
                                    << "a.m3u"
                                    << "";
    QTest::newRow("m3u data image") << m3uHead + "tvg-logo=\"data:image/png;base64,iVBORw0KGgo=\",A\nhttp://h/a\n"
                                    << "a.m3u"
                                    << "";
    QTest::newRow("m3u relative name") << m3uHead + "tvg-logo=\"logos/a.png\",A\nhttp://h/a\n"
                                       << "a.m3u"
                                       << "";
    QTest::newRow("m3u local file") << m3uHead + "tvg-logo=\"file:///etc/passwd\",A\nhttp://h/a\n"
                                    << "a.m3u"
                                    << "";
    QTest::newRow("m3u no host") << m3uHead + "tvg-logo=\"https:///a.png\",A\nhttp://h/a\n"
                                 << "a.m3u"
                                 << "";
    QTest::newRow("m3u too long") << m3uHead + "tvg-logo=\"https://i.example/" + QByteArray(2100, 'x')
            + "\",A\nhttp://h/a\n"
                                  << "a.m3u"
                                  << "";
    QTest::newRow("xspf image") << QByteArray(
        "<?xml version=\"1.0\"?><playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">"
        "<trackList><track><title>A</title><location>http://h/a</location>"
        "<image>https://i.example/x.jpg</image></track></trackList></playlist>")
                                << "a.xspf"
                                << "https://i.example/x.jpg";
    QTest::newRow("asx logo") << QByteArray(
        "<asx version=\"3.0\"><entry><title>A</title><logo href=\"http://i.example/w.gif\" "
        "style=\"icon\"/><ref href=\"mms://h/a\"/></entry></asx>")
                              << "a.asx"
                              << "http://i.example/w.gif";
    QTest::newRow("asx upper case") << QByteArray(
        "<ASX version=\"3.0\"><ENTRY><TITLE>A</TITLE><REF HREF=\"mms://h/a\"/>"
        "<LOGO HREF=\"http://i.example/w.gif\"/></ENTRY></ASX>")
                                    << "a.asx"
                                    << "http://i.example/w.gif";
    QTest::newRow("tsv logo column") << QByteArray("name\turl\tlogo\nA\thttp://h/a\thttps://i.example/t.png\n")
                                     << "a.tsv"
                                     << "https://i.example/t.png";
    QTest::newRow("tsv favicon column") << QByteArray("name\turl\tfavicon\nA\thttp://h/a\thttps://i.example/f.ico\n")
                                        << "a.tsv"
                                        << "https://i.example/f.ico";
    QTest::newRow("pls has none") << QByteArray(
        "[playlist]\nFile1=http://h/a\nTitle1=A\nNumberOfEntries=1\nVersion=2\n")
                                  << "a.pls"
                                  << "";
}

void PlaylistImportTest::logoAddressIsKept()
{
    QFETCH(QByteArray, list);
    QFETCH(QString, source);
    QFETCH(QString, logo);
    PlaylistImport import({});
    import.AddPlaylist(std::string_view(list.constData(), static_cast<size_t>(list.size())), source.toStdString());
    QCOMPARE(import.Channels().size(), size_t(1));
    QCOMPARE(QString::fromStdString(import.Channels().front().logo), logo);
    // What the import keeps is written and read back as it was.
    const Catalogue catalogue = Catalogue::FromDocument(
        XmlDocument::LoadBytes(PreparedCatalogueBytes(import.Channels(), BuildStreamPassphrase())));
    QCOMPARE(QString::fromStdString(catalogue.FindChannelRecord("1")->logo), logo);
}

void PlaylistImportTest::logoReadsBackIntoTheListRows()
{
    const std::vector<ImportedChannel> channels = {
        {"A", "Spain", "", "tv", "https://h/a.m3u8", "https://i.example/a.png?x=1&y=2"},
        {"B", "Chile", "", "radio", "https://h/b.mp3"},
        {"C", "Peru", "", "webcam", "https://h/c.jpg", "http://i.example/c.png"},
    };
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::filesystem::path path = dir.filePath(QStringLiteral("tv-all.xml")).toStdString();
    SavePreparedCatalogue(channels, BuildStreamPassphrase(), path);
    const std::string bytes = ReadFile(QString::fromStdString(path.string()));
    // A channel without a logo has no logo element; one with a logo has it before imgindex.
    QVERIFY(bytes.find("<url>") != std::string::npos);
    QCOMPARE(std::count(bytes.begin(), bytes.end(), '\n'), 6L);
    QVERIFY(bytes.find("<logo>https://i.example/a.png?x=1&amp;y=2</logo><imgindex>") != std::string::npos);
    QVERIFY(bytes.find("<logo>http://i.example/c.png</logo><imgindex>") != std::string::npos);
    const auto second = bytes.find("<id>2</id>");
    QVERIFY(bytes.find("<logo>", second) > bytes.find("<id>3</id>"));

    const ChannelLists lists = BuildChannelLists(path);
    QCOMPARE(lists.tv.size(), size_t(1));
    QCOMPARE(lists.tv.front().logo, channels[0].logo);
    QCOMPARE(lists.radio.front().logo, std::string());
    QCOMPARE(lists.webcam.front().logo, channels[2].logo);
}

void PlaylistImportTest::everyRealListIsAccountedFor_data()
{
    ZENTAVO_ADD_SHARED_LIST_ROWS();
}

void PlaylistImportTest::everyRealListIsAccountedFor()
{
    QFETCH(QString, path);
    QFETCH(long, entries);
    const std::string bytes = ReadFile(path);
    QVERIFY(!bytes.empty());
    const long lines = long(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    PlaylistImport import({});
    import.AddPlaylist(bytes, path.toStdString());
    const ImportSummary& summary = import.Summary();
    QCOMPARE(summary.read, entries);
    QCOMPARE(summary.imported + summary.LeftOutTotal(), summary.read);
    QCOMPARE(long(import.Channels().size()), summary.imported);
    QCOMPARE(long(import.LeftOut().size()), summary.LeftOutTotal());
    for (const LeftOutEntry& entry : import.LeftOut()) {
        QVERIFY2(entry.line >= 1 && entry.line <= lines, DescribeLeftOut(entry).c_str());
        QVERIFY(summary.leftOut[size_t(entry.reason)] > 0);
    }
    for (const ImportedChannel& channel : import.Channels()) {
        QVERIFY2(!channel.name.empty(), channel.url.c_str());
        QVERIFY2(!CheckStreamAddress(channel.url), channel.url.c_str());
    }
}

void PlaylistImportTest::addressSaysWhatItCarries_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("media");
    const auto row = [](const char* address, AddressMedia media) {
        QTest::newRow(address) << QString::fromUtf8(address) << int(media);
    };
    using enum AddressMedia;
    for (const char* audio :
         {"http://h/a.mp3", "http://h/a.MP3?x=1", "https://h/x/a.aac", "http://h/a.aacp", "http://h/a.ogg#t",
          "http://h/a.oga", "http://h/a.opus", "http://h/a.m4a", "http://h/a.flac", "mms://h/a.wma",
          "http://h/list.pls", "http://h:8000/;", "http://h:8000/;stream.nsv", "http://h:8000/;stream/1",
          "https://h/stream/mp3", "http://h/aac-128", "http://h/live/AAC_64"})
        row(audio, Audio);
    for (const char* video : {"http://h/a.mp4", "http://h/u/p/1234.ts", "http://h/m.mpd", "rtmp://h/live/x.flv",
                              "http://h/a.MKV?token=1.mp3"})
        row(video, Video);
    for (const char* picture : {"http://h/cam.jpg", "http://h/mp3/snapshot.png"})
        row(picture, Picture);
    // Nothing about them says audio: HLS, Icecast-like mounts, a codec word only in the host, the
    // query or beside an ending, a ';' inside the path.
    for (const char* unknown : {"http://h/live.m3u8", "http://h:8000/stream", "http://h/listen", "http://h:8000/",
                                "http://h", "http://mp3.h/live", "http://h/play?format=mp3", "http://h/mp3/index.m3u8",
                                "http://h/a;b/c", "http://h/stream.audio", "http://h/radiomp3"})
        row(unknown, Unknown);
}

void PlaylistImportTest::addressSaysWhatItCarries()
{
    QFETCH(QString, address);
    QFETCH(int, media);
    QCOMPARE(int(MediaOfAddress(address.toStdString())), media);
}

// The real lists, imported as they say: the radio lists mark nothing, yet land in Radio; the TV
// lists keep (nearly) all their channels in TV; the cameras are webcams.
void PlaylistImportTest::realListsLandInTheirTabs_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<ChannelType>("tab");
    QTest::addColumn<double>("share"); // of the imported channels, at least
    const QString root = QStringLiteral(ZENTAVO_CHANNEL_LISTS);
    if (!QFileInfo::exists(root + QStringLiteral("/README.md")))
        QFAIL("the channel lists are missing: " ZENTAVO_CHANNEL_LISTS);
    QTest::newRow("deroverda") << root + QStringLiteral("/radio/deroverda.m3u") << ChannelType::Radio << 0.98;
    QTest::newRow("pyradio") << root + QStringLiteral("/radio/pyradio.m3u") << ChannelType::Radio << 0.98;
    QTest::newRow("tdtchannels") << root + QStringLiteral("/radio/tdtchannels.m3u") << ChannelType::Radio << 0.98;
    QTest::newRow("iptv-org index") << root + QStringLiteral("/tv/iptv-org-index.m3u") << ChannelType::Tv << 0.999;
    QTest::newRow("iptv-org by country") << root + QStringLiteral("/tv/iptv-org-by-country.m3u") << ChannelType::Tv
                                         << 0.999;
    QTest::newRow("traffic cameras") << root + QStringLiteral("/webcams/usa-traffic-snapshots.tsv")
                                     << ChannelType::Webcam << 0.99;
}

void PlaylistImportTest::realListsLandInTheirTabs()
{
    QFETCH(QString, path);
    QFETCH(ChannelType, tab);
    QFETCH(double, share);
    PlaylistImport import({});
    import.AddPlaylist(ReadFile(path), path.toStdString());
    const ImportSummary& summary = import.Summary();
    std::array<long, 3> counted{};
    for (const ImportedChannel& channel : import.Channels())
        ++counted[size_t(*ChannelTypeFromWord(channel.type2))];
    QCOMPARE(counted, summary.byType);
    qInfo("%s: imported %ld: tv %ld, radio %ld, webcam %ld", qPrintable(QFileInfo(path).fileName()), summary.imported,
          counted[0], counted[1], counted[2]);
    QVERIFY(summary.imported > 0);
    QVERIFY2(double(counted[size_t(tab)]) >= share * double(summary.imported), QTest::currentDataTag());
}

void PlaylistImportTest::allRealListsTogetherAreAccountedFor()
{
    const QString root = QStringLiteral(ZENTAVO_CHANNEL_LISTS);
    if (!QFileInfo::exists(root + QStringLiteral("/README.md")))
        QFAIL("the channel lists are missing: " ZENTAVO_CHANNEL_LISTS);
    PlaylistImport import({});
    long imported = 0;
    for (const char* file : {"/tv/iptv-org-index.m3u", "/tv/iptv-org-by-country.m3u", "/radio/deroverda.m3u",
                             "/radio/pyradio.m3u", "/radio/tdtchannels.m3u", "/webcams/usa-traffic-snapshots.tsv"})
        import.AddPlaylist(ReadFile(root + QLatin1String(file)), file);
    const ImportSummary& summary = import.Summary();
    QCOMPARE(summary.read, 11009L + 16823 + 420 + 44 + 1020 + 3604);
    QCOMPARE(summary.imported + summary.LeftOutTotal(), summary.read);
    // The two iptv-org lists share many addresses: across files they count as duplicates.
    QVERIFY(summary.leftOut[size_t(LeftOutReason::Duplicate)] > 1000);
    std::set<std::string> keys;
    for (const ImportedChannel& channel : import.Channels())
        keys.insert(AddressKey(channel.url));
    imported = long(keys.size());
    QCOMPARE(imported, summary.imported);
}

QTEST_GUILESS_MAIN(PlaylistImportTest)
#include "test_playlist_import.moc"
