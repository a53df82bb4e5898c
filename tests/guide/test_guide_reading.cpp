// Readings of XMLTV guides into the store, and what the store then answers: now and next, a day's
// programmes, searches, matches and hand choices; bad guides (refused, or read as far as they are
// sound, with words); the days kept; the iptv-org list matched in full through the real import; and
// the guide replaced whole (a store open during a reading sees the old guide, a reading killed part
// way or cancelled leaves it).
#include "guide/channel_name_folding.h"
#include "guide/guide_error.h"
#include "guide/guide_list_channels.h"
#include "guide/guide_reading.h"
#include "guide/guide_store.h"
#include "guide/guide_writer.h"

#include "channels/catalogue.h"
#include "channels/import/file_bytes.h"
#include "channels/import/playlist_import.h"
#include "channels/import/prepared_catalogue.h"
#include "channels/playlists/playlist_store.h"
#include "tests/support/waits.h"
#include "xmltv_samples.h"

#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <map>
#include <unistd.h>

using Titles = std::vector<std::string>;
Q_DECLARE_METATYPE(Titles)

using namespace zentavo;
using namespace zentavo::test;

namespace {

// 2026-12-11 12:00 UTC; the programmes of the samples lie around it.
constexpr std::int64_t kNow = 1796990400;
constexpr std::int64_t kHour = 3600;

// Two list channels: one matched by id, one by name with a shift of two hours.
std::vector<GuideListChannel> TwoChannels()
{
    return {{"7", "ard.de", "", "Das Erste", 0}, {"1000000000000000042", "", "", "ZDF HD", 2}};
}

std::string TwoChannelGuide()
{
    std::string body = Channel("ard.de", {"Das Erste"}) + Channel("zdf.de", {"ZDF"}) + Channel("cnn.us", {"CNN"});
    body += Programme({"ard.de", kNow - kHour, kNow + kHour, "Tagesschau"});
    body += Programme({"ard.de", kNow + kHour, kNow + 2 * kHour, "Tatort"});
    body += Programme({"ard.de", kNow + 2 * kHour, kNow + 3 * kHour, "Tagesthemen"});
    body += Programme({"zdf.de", kNow - 3 * kHour, kNow - 2 * kHour, "heute"});
    body += Programme({"zdf.de", kNow - 2 * kHour, kNow, "Terra X"});
    body += Programme({"cnn.us", kNow - kHour, kNow + kHour, "Newsroom"});
    return Guide(body);
}

Titles TitlesOf(const std::vector<GuideProgramme>& programmes)
{
    Titles titles;
    for (const GuideProgramme& programme : programmes)
        titles.push_back(programme.title);
    return titles;
}

QString Words(const std::vector<std::string>& warnings)
{
    QStringList lines;
    for (const std::string& warning : warnings)
        lines << QString::fromStdString(warning);
    return lines.join(QLatin1Char('\n'));
}

// Run by the test as a child process: starts a reading of a guide large enough to take a while,
// says so on its standard output once rows are being written, and then waits on its standard input
// until it is killed.
int ReadUntilKilled(const GuidePaths& paths)
{
    std::string body = Channel("ard.de", {"Das Erste"});
    for (int i = 0; i < 40000; ++i)
        body += Programme({"ard.de", kNow + i * 60, kNow + i * 60 + 60, "Killed reading " + std::to_string(i)});
    const std::string guide = Guide(body);
    int calls = 0;
    try {
        ReadGuide({GuideSource{"big", {}, guide}}, TwoChannels(), paths, kNow, [&calls](std::int64_t, std::int64_t) {
            if (++calls == 2) {
                std::fputs("writing\n", stdout);
                std::fflush(stdout);
                char byte;
                while (::read(0, &byte, 1) > 0) {
                }
            }
            return true;
        });
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}

} // namespace

class GuideReadingTest : public QObject {
    Q_OBJECT
public:
    GuidePaths paths;

private:
    QTemporaryDir folder;

private slots:
    void init()
    {
        QVERIFY(folder.isValid());
        std::filesystem::remove_all(folder.path().toStdString() + "/cache");
        std::filesystem::remove_all(folder.path().toStdString() + "/data");
        paths = {folder.path().toStdString() + "/cache/guide.sqlite",
                 folder.path().toStdString() + "/data/guide-choices.sqlite"};
    }

    void plainAndGzipGuidesReadAlike_data()
    {
        QTest::addColumn<bool>("gzip");
        QTest::newRow("plain") << false;
        QTest::newRow("gzip") << true;
    }
    void plainAndGzipGuidesReadAlike()
    {
        QFETCH(bool, gzip);
        const std::string xml = TwoChannelGuide();
        const GuideReadSummary summary = FillGuideFromXmltv(gzip ? Gzip(xml) : xml, TwoChannels(), paths, kNow);
        QCOMPARE(summary.guideChannels, 3L);
        QCOMPARE(summary.programmes, 6L);
        QCOMPARE(summary.programmesKept, 5L); // CNN's is in no list
        QCOMPARE(summary.listChannels, 2L);
        QCOMPARE(summary.listChannelsMatched, 2L);
        QVERIFY2(summary.warnings.empty(), qPrintable(Words(summary.warnings)));

        GuideStore store(paths);
        QVERIFY(store.HasGuide());
        QCOMPARE(store.ReadAt(), kNow);
        QCOMPARE(store.Summary().programmesKept, 5L);
        const GuideNowNext ard = store.NowNext("7", kNow);
        QVERIFY(ard.now && ard.next);
        QCOMPARE(ard.now->title, std::string("Tagesschau"));
        QCOMPARE(ard.now->start, kNow - kHour);
        QCOMPARE(ard.next->title, std::string("Tatort"));
        // ZDF's times move two hours later (tvg-shift 2): at noon "Terra X" (10:00-12:00 in the guide) is on.
        const GuideNowNext zdf = store.NowNext("1000000000000000042", kNow + kHour);
        QVERIFY(zdf.now);
        QCOMPARE(zdf.now->title, std::string("Terra X"));
        QCOMPARE(zdf.now->start, kNow);
        QCOMPARE(zdf.now->stop, kNow + 2 * kHour);
        QVERIFY(!zdf.next);
        // After its last programme a channel has nothing on; an unknown channel has nothing at all.
        QVERIFY(!store.NowNext("7", kNow + 3 * kHour).now);
        QVERIFY(!store.NowNext("8", kNow).now);
        QVERIFY(!store.NowNext("8", kNow).next);
        // Many rows at once, in order.
        const std::vector<GuideNowNext> rows = store.NowNext({"8", "7", "1000000000000000042"}, kNow);
        QCOMPARE(rows.size(), size_t(3));
        QVERIFY(!rows[0].now);
        QCOMPARE(rows[1].now->title, std::string("Tagesschau"));
        QCOMPARE(rows[2].now->title, std::string("Terra X"));

        QCOMPARE(TitlesOf(store.Programmes("7", kNow, kNow + 90 * 60)), Titles({"Tagesschau", "Tatort"}));
        QCOMPARE(TitlesOf(store.Programmes("7", kNow + kHour, kNow + 2 * kHour)), Titles({"Tatort"}));
        QCOMPARE(TitlesOf(store.GuideChannelProgrammes("zdf.de", 0, kNow * 2)), Titles({"heute", "Terra X"}));
        QVERIFY(store.GuideChannelProgrammes("cnn.us", 0, kNow * 2).empty());
    }

    void searchesFindChannelsAndTitles()
    {
        FillGuideFromXmltv(TwoChannelGuide(), TwoChannels(), paths, kNow);
        GuideStore store(paths);
        const std::vector<GuideChannel> all = store.FindChannels("", 10);
        QCOMPARE(all.size(), size_t(3));
        QCOMPARE(all[0].id, std::string("cnn.us")); // by first name
        const std::vector<GuideChannel> erste = store.FindChannels("ERSTE", 10);
        QCOMPARE(erste.size(), size_t(1));
        QCOMPARE(erste[0], (GuideChannel{"ard.de", {"Das Erste"}}));
        QCOMPARE(store.FindChannels(".de", 10).size(), size_t(2)); // by id
        QVERIFY(store.FindChannels("%", 10).empty()); // the text is text, not a pattern
        QCOMPARE(store.FindChannels("", 1).size(), size_t(1));
        QCOMPARE(store.FindChannel("zdf.de")->names, std::vector<std::string>{"ZDF"});
        QVERIFY(!store.FindChannel("none").has_value());

        const std::vector<GuideTitleHit> hits = store.SearchTitles("tages", 10);
        QCOMPARE(hits.size(), size_t(2));
        QCOMPARE(hits[0].programme.title, std::string("Tagesschau"));
        QCOMPARE(hits[1].programme.title, std::string("Tagesthemen"));
        QCOMPARE(hits[0].channel.id, std::string("ard.de"));
        QVERIFY(store.SearchTitles("_", 10).empty());
    }

    void programmeDetailsAreKept()
    {
        const std::string body = Channel("ard.de", {"Das Erste"}) + "<programme start=\"" + XmltvTime(kNow)
            + "\" stop=\"" + XmltvTime(kNow + kHour)
            + "\" channel=\"ard.de\"><title lang=\"de\">Tatort</title><title lang=\"en\">Crime Scene</title>"
              "<sub-title>Das Team</sub-title><desc>  Ein Fall &amp; seine <![CDATA[<Lösung>]]>. </desc>"
              "<category>Krimi</category><category>Serie</category><category>Krimi</category>"
              "<episode-num system=\"xmltv_ns\">1.4.0/1</episode-num></programme>\n"
            + "<programme start=\"" + XmltvTime(kNow + kHour) + "\" channel=\"ard.de\"><title>Ohne Ende</title>"
            + "<episode-num system=\"onscreen\">Folge 12</episode-num><episode-num "
              "system=\"xmltv_ns\">0.0.</episode-num>"
              "</programme>\n"
            + Programme({"ard.de", kNow + 2 * kHour, kNow + 3 * kHour, "Danach"});
        FillGuideFromXmltv(Guide(body), TwoChannels(), paths, kNow);
        GuideStore store(paths);
        const std::vector<GuideProgramme> programmes = store.Programmes("7", kNow, kNow + 3 * kHour);
        QCOMPARE(programmes.size(), size_t(3));
        const GuideProgramme& tatort = programmes[0];
        QCOMPARE(tatort.title, std::string("Tatort")); // the first title
        QCOMPARE(tatort.subTitle, std::string("Das Team"));
        QCOMPARE(tatort.description, std::string("Ein Fall & seine <Lösung>."));
        QCOMPARE(tatort.category, std::string("Krimi, Serie"));
        QCOMPARE(tatort.episode, std::string("S2 E5"));
        // Without an end a programme runs until the next one starts; onscreen numbering wins.
        QCOMPARE(programmes[1].stop, kNow + 2 * kHour);
        QCOMPARE(programmes[1].episode, std::string("Folge 12"));
    }

    // Texts longer than kept are cut where a character starts, however the parser hands them on.
    void longTextsAreCutOnACharacterBoundary()
    {
        std::string euros; // three bytes each
        for (int i = 0; i < 6000; ++i)
            euros += "\u20ac";
        const std::string body = Channel("ard.de", {"Das Erste"}) + "<programme start=\"" + XmltvTime(kNow)
            + "\" stop=\"" + XmltvTime(kNow + kHour) + "\" channel=\"ard.de\"><title>" + euros.substr(0, 1500)
            + "</title><desc>" + euros.substr(0, 9000) + "<![CDATA[" + euros.substr(9000) + "]]></desc></programme>\n";
        FillGuideFromXmltv(Guide(body), TwoChannels(), paths, kNow);
        const std::vector<GuideProgramme> programmes = GuideStore(paths).Programmes("7", 0, kNow * 2);
        QCOMPARE(programmes.size(), size_t(1));
        QCOMPARE(programmes[0].title, euros.substr(0, 1023)); // 1 kB, less the part of a character
        QCOMPARE(programmes[0].description, euros.substr(0, 16383)); // 16 kB so
    }

    // Many programmes of a channel, more than go into the database at a time: each keeps its own
    // fields, and of two with the same start the first one read stays, wherever it falls.
    void everyProgrammeIsWrittenWithItsOwnFields()
    {
        std::string body = Channel("ard.de", {"Das Erste"});
        std::vector<GuideProgramme> expected;
        const auto add = [&body](const GuideProgramme& p) {
            body += "<programme start=\"" + XmltvTime(p.start) + "\" stop=\"" + XmltvTime(p.stop)
                + "\" channel=\"ard.de\"><title>" + p.title + "</title><sub-title>" + p.subTitle + "</sub-title><desc>"
                + p.description + "</desc><category>" + p.category + "</category><episode-num system=\"onscreen\">"
                + p.episode + "</episode-num></programme>\n";
        };
        for (int i = 0; i < 200; ++i) {
            const std::string n = std::to_string(i);
            const GuideProgramme programme{kNow + i * 600, kNow + i * 600 + 600, "Title " + n, "Sub " + n,
                                           "Ep " + n,      "Description " + n,   "Cat " + n};
            add(programme);
            expected.push_back(programme);
            if (i == 70 || i == 130 || i == 197) {
                GuideProgramme again = programme;
                again.title = "Again " + n;
                again.description = "Not kept";
                add(again);
            }
        }
        const GuideReadSummary summary = FillGuideFromXmltv(Guide(body), TwoChannels(), paths, kNow);
        QCOMPARE(summary.programmes, 203L);
        const std::vector<GuideProgramme> programmes = GuideStore(paths).Programmes("7", 0, kNow * 2);
        QCOMPARE(programmes.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            QVERIFY2(programmes[i] == expected[i], qPrintable(QString::fromStdString(programmes[i].title)));
    }

    void onlyYesterdayToFourteenDaysAheadIsKept()
    {
        const std::int64_t yesterdayStart =
            QDateTime(QDateTime::fromSecsSinceEpoch(kNow).date().addDays(-1), QTime(0, 0)).toSecsSinceEpoch();
        std::string body = Channel("ard.de", {"Das Erste"});
        body += Programme({"ard.de", yesterdayStart - 2 * kHour, yesterdayStart - kHour, "two days ago"});
        body += Programme({"ard.de", yesterdayStart - kHour, yesterdayStart + kHour, "over midnight"});
        body += Programme({"ard.de", kNow + 13 * 24 * kHour, kNow + 13 * 24 * kHour + kHour, "in 13 days"});
        body += Programme({"ard.de", kNow + 15 * 24 * kHour, kNow + 15 * 24 * kHour + kHour, "in 15 days"});
        const GuideReadSummary summary = FillGuideFromXmltv(Guide(body), TwoChannels(), paths, kNow);
        QCOMPARE(summary.programmes, 4L);
        QCOMPARE(summary.programmesKept, 2L);
        GuideStore store(paths);
        QCOMPARE(TitlesOf(store.Programmes("7", 0, kNow * 2)), Titles({"over midnight", "in 13 days"}));
    }

    // Bad guides: either refused (GuideError in words, the old guide kept) or read as far as they are
    // sound, with a warning in words.
    void badGuides_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("words");
        QTest::addColumn<Titles>("titles"); // of list channel 7 over all times, when read

        const std::string head = Channel("ard.de", {"Das Erste"});
        const std::string one = Programme({"ard.de", kNow, kNow + kHour, "One"});
        const std::string two = Programme({"ard.de", kNow + kHour, kNow + 2 * kHour, "Two"});
        const std::string three = Programme({"ard.de", kNow + 2 * kHour, kNow + 3 * kHour, "Three"});
        const std::string whole = Guide(head + one + two + three);
        const auto bytes = [](const std::string& text) { return QByteArray::fromStdString(text); };

        QTest::newRow("not XML") << bytes("this is no guide at all\n") << true << "was not read" << Titles();
        QTest::newRow("empty") << QByteArray() << true << "was not read" << Titles();
        QTest::newRow("another XML document") << bytes("<?xml version=\"1.0\"?><html><body>Not found</body></html>")
                                              << true << "no XMLTV guide" << Titles();
        QTest::newRow("gzip of no XML") << bytes(Gzip("PK\x03\x04 a zip file, not a guide")) << true << "was not read"
                                        << Titles();
        QTest::newRow("damaged gzip") << bytes(std::string("\x1f\x8b\x08\x00garbage garbage garbage", 27)) << true
                                      << "damaged" << Titles();
        const std::string cut = whole.substr(0, whole.find("Three") - 40);
        QTest::newRow("cut off") << bytes(cut) << false << "is broken at line" << Titles({"One", "Two"});
        const std::string gz = Gzip(whole + std::string(20000, ' '));
        QTest::newRow("cut off gzip") << bytes(gz.substr(0, gz.size() - 30)) << false << "cut off"
                                      << Titles({"One", "Two", "Three"});
        QTest::newRow("two gzip members") << bytes(Gzip(whole.substr(0, 300)) + Gzip(whole.substr(300))) << false << ""
                                          << Titles({"One", "Two", "Three"});
        // The bad byte comes after enough of the guide that the parser has handed on what precedes it.
        std::string latin1 = Guide(head + one + "<!--" + std::string(64 * 1024, ' ') + "-->\n" + two + three);
        latin1.replace(latin1.find("Two"), 3, "Tw\xF6");
        QTest::newRow("Latin-1 bytes in a UTF-8 guide")
            << bytes(latin1) << false << "not proper UTF-8" << Titles({"One"});
        std::string declared = latin1;
        declared.replace(declared.find("UTF-8"), 5, "ISO-8859-1");
        QTest::newRow("Latin-1 guide that says so")
            << bytes(declared) << false << "" << Titles({"One", "Tw\u00f6", "Three"});
        std::string unknownEncoding = whole;
        unknownEncoding.replace(unknownEncoding.find("UTF-8"), 5, "klingon-8");
        QTest::newRow("unknown encoding") << bytes(unknownEncoding) << true << "was not read" << Titles();
        const std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE tv [\n<!ENTITY a \"aaaaaaaaaa\">\n"
                                   "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
                                   "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n]>\n<tv>"
            + head + "<programme start=\"" + XmltvTime(kNow)
            + "\" channel=\"ard.de\"><title>&c;</title></programme></tv>\n";
        QTest::newRow("entity expansion") << bytes(laughs) << true << "declares entities" << Titles();
        const auto withDoctype = [&](const std::string& declarations) {
            return bytes("<?xml version=\"1.0\"?>\n<!DOCTYPE tv [\n" + declarations + "\n]>\n<tv>" + head + one
                         + "</tv>");
        };
        QTest::newRow("an external entity")
            << withDoctype("<!ENTITY secret SYSTEM \"file:///etc/passwd\">") << true << "declares entities" << Titles();
        QTest::newRow("a parameter entity")
            << withDoctype("<!ENTITY % p \"<!ENTITY q 'x'>\">") << true << "declares entities" << Titles();
        QTest::newRow("doctype without entities")
            << bytes("<?xml version=\"1.0\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n<tv>" + head + one + "</tv>")
            << false << "" << Titles({"One"});
        std::string noOffsets = whole;
        for (size_t at; (at = noOffsets.find(" +0000")) != std::string::npos;)
            noOffsets.erase(at, 6);
        QTest::newRow("times without offsets")
            << bytes(noOffsets) << false << "taken as UTC" << Titles({"One", "Two", "Three"});
        std::string oddOffset = whole;
        oddOffset.replace(oddOffset.find("+0000", oddOffset.find("Two") - 120), 5, "+9900");
        QTest::newRow("an offset that is none")
            << bytes(oddOffset) << false << "no time and were left out" << Titles({"One", "Three"});
        QTest::newRow("overlapping") << bytes(Guide(head + Programme({"ard.de", kNow, kNow + 2 * kHour, "One"}) + two))
                                     << false << "each ends where the next begins" << Titles({"One", "Two"});
        QTest::newRow("programmes of channels the guide does not declare")
            << bytes(Guide(one + Programme({"cnn.us", kNow, kNow + kHour, "Elsewhere"}) + two)) << false << ""
            << Titles({"One", "Two"});
        QTest::newRow("out of order") << bytes(Guide(head + three + one + two)) << false << "put in order"
                                      << Titles({"One", "Two", "Three"});
        QTest::newRow("ends before it starts")
            << bytes(Guide(head + Programme({"ard.de", kNow, kNow - kHour, "Backwards"}) + two)) << false
            << "ends before it starts" << Titles({"Two"});
        QTest::newRow("a guide of some other list")
            << bytes(Guide(Channel("bbc.uk", {"BBC One"}) + Programme({"bbc.uk", kNow, kNow + kHour, "News"}))) << true
            << "guide of some other list" << Titles();
    }
    void badGuides()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, refused);
        QFETCH(QString, words);
        QFETCH(Titles, titles);
        // An old guide that a refused one must leave in place.
        FillGuideFromXmltv(Guide(Channel("ard.de", {}) + Programme({"ard.de", kNow, kNow + kHour, "Old"})),
                           TwoChannels(), paths, kNow);
        try {
            const GuideReadSummary summary = FillGuideFromXmltv(bytes.toStdString(), TwoChannels(), paths, kNow);
            QVERIFY2(!refused, qPrintable(QString::fromStdString(DescribeGuideSummary(summary))));
            const QString said = QString::fromStdString(DescribeGuideSummary(summary));
            if (words.isEmpty())
                QVERIFY2(summary.warnings.empty(), qPrintable(said));
            else
                QVERIFY2(said.contains(words), qPrintable(said));
            QCOMPARE(TitlesOf(GuideStore(paths).Programmes("7", 0, kNow * 2)), titles);
        } catch (const GuideError& error) {
            QVERIFY2(refused, error.what());
            QVERIFY2(QString::fromUtf8(error.what()).contains(words), error.what());
            QCOMPARE(TitlesOf(GuideStore(paths).Programmes("7", 0, kNow * 2)), Titles({"Old"}));
        }
        QVERIFY(!std::filesystem::exists(GuideWorkPath(paths.guide)));
    }

    void aFileThatIsNoGuideIsSaidSo()
    {
        std::filesystem::create_directories(paths.guide.parent_path());
        std::ofstream(paths.guide) << "not a database";
        try {
            GuideStore store(paths);
            QFAIL("a file that is no guide was opened");
        } catch (const GuideError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(QStringLiteral("read the guide again")), error.what());
        }
        // A new reading replaces it.
        FillGuideFromXmltv(TwoChannelGuide(), TwoChannels(), paths, kNow);
        QVERIFY(GuideStore(paths).NowNext("7", kNow).now);
    }

    void handChoicesWinAndSurviveReadings()
    {
        FillGuideFromXmltv(TwoChannelGuide(), TwoChannels(), paths, kNow);
        GuideStore store(paths);
        QCOMPARE(store.MatchOf("7"), (GuideMatch{"ard.de", GuideMatchKind::Id, 0}));
        QCOMPARE(store.MatchOf("1000000000000000042"), (GuideMatch{"zdf.de", GuideMatchKind::Name, 2}));
        QVERIFY(!store.MatchOf("8").has_value());

        // CNN by hand for ARD's list channel: its programmes were not kept, since no list channel
        // matched it, so they come with the next reading.
        store.ChooseMatch("7", "cnn.us");
        QCOMPARE(store.MatchOf("7"), (GuideMatch{"cnn.us", GuideMatchKind::Hand, 0}));
        QVERIFY(!store.NowNext("7", kNow).now);
        store.ChooseMatch("1000000000000000042", std::string_view()); // no guide for this one (an empty view)
        QVERIFY(!store.NowNext("1000000000000000042", kNow - kHour).now);

        const GuideReadSummary summary = FillGuideFromXmltv(TwoChannelGuide(), TwoChannels(), paths, kNow);
        QCOMPARE(summary.programmesKept, 6L);
        QCOMPARE(summary.listChannelsMatched, 1L); // the one without a guide by choice does not count
        store.Reopen();
        QCOMPARE(store.MatchOf("7"), (GuideMatch{"cnn.us", GuideMatchKind::Hand, 0}));
        QCOMPARE(store.NowNext("7", kNow).now->title, std::string("Newsroom"));
        QCOMPARE(store.MatchOf("1000000000000000042"), (GuideMatch{"", GuideMatchKind::Hand, 2}));

        // Cleared, the automatic match applies again; another store sees the choices of this one.
        store.ClearChoice("7");
        QCOMPARE(GuideStore(paths).NowNext("7", kNow).now->title, std::string("Tagesschau"));
    }

    // tvg-id, tvg-name and tvg-shift of an M3U list go through the import and the catalogue files,
    // read item by item, to matching; a shift that is no whole number of hours within a day is not
    // kept, and a catalogue that breaks off gives none of its channels.
    void listKeysReachMatchingThroughTheCatalogue()
    {
        const std::string list = "#EXTM3U\n"
                                 "#EXTINF:-1 tvg-id=\"ard.de@SD\" tvg-shift=\"+2\",Das Erste (720p)\nhttp://h/1\n"
                                 "#EXTINF:-1 tvg-name=\"ZDF HD\" tvg-shift=\"-5\",Zweites\nhttp://h/2\n"
                                 "#EXTINF:-1 tvg-id=\"a&amp;b\" tvg-shift=\"1.5\",Three\nhttp://h/3\n"
                                 "#EXTINF:-1 tvg-shift=\"48\",Four\nhttp://h/4\n"
                                 "#EXTINF:-1 tvg-shift=\"soon\",Five\nhttp://h/5\n";
        PlaylistImport import(ImportOptions{});
        import.AddPlaylist(list, "keys.m3u");
        const std::filesystem::path root = folder.path().toStdString();
        std::ofstream(root / "tv-all.xml") << PreparedCatalogueBytes(import.Channels(), "passphrase");
        PlaylistStore playlists(root / "playlists");
        const PlaylistInfo broken = playlists.Add("Broken", "b.m3u", import.Channels(), "passphrase", kNow);
        const std::string whole = ReadFileBytes(playlists.CataloguePath(broken), 1 << 20);
        std::ofstream(playlists.CataloguePath(broken), std::ios::trunc) << whole.substr(0, whole.size() * 2 / 3);
        const std::vector<GuideListChannel> channels = CollectGuideListChannels(root / "tv-all.xml", playlists);
        QCOMPARE(channels.size(), size_t(5));
        const auto expect = [&](size_t i, const char* tvgId, const char* tvgName, const char* name, int shift) {
            QCOMPARE(channels[i].key, std::to_string(i + 1));
            QCOMPARE(channels[i].tvgId, std::string(tvgId));
            QCOMPARE(channels[i].tvgName, std::string(tvgName));
            QCOMPARE(channels[i].name, std::string(name));
            QCOMPARE(channels[i].shiftHours, shift);
        };
        expect(0, "ard.de@SD", "", "Das Erste", 2);
        expect(1, "", "ZDF HD", "Zweites", -5);
        expect(2, "a&amp;b", "", "Three", 0);
        expect(3, "", "", "Four", 0);
        expect(4, "", "", "Five", 0);

        FillGuideFromXmltv(TwoChannelGuide(), channels, paths, kNow);
        GuideStore store(paths);
        QCOMPARE(store.MatchOf("1"), (GuideMatch{"ard.de", GuideMatchKind::IdWithoutFeed, 2}));
        QCOMPARE(store.MatchOf("2"), (GuideMatch{"zdf.de", GuideMatchKind::Name, -5}));
        QVERIFY(!store.MatchOf("3").has_value());
    }

    void iptvOrgListIsMatchedInFull()
    {
        // The list through the real import and the user's catalogue, as a user adding it would have it.
        const std::string list = ReadFileBytes(ZENTAVO_CHANNEL_LISTS "/tv/iptv-org-index.m3u", 64 << 20);
        PlaylistImport import(ImportOptions{});
        import.AddPlaylist(list, "iptv-org-index.m3u");
        const std::string catalogueBytes = PreparedCatalogueBytes(import.Channels(), "passphrase");
        const std::vector<GuideListChannel> channels =
            GuideListChannelsOf(Catalogue::FromDocument(XmlDocument::LoadBytes(catalogueBytes)));
        QCOMPARE(channels.size(), import.Channels().size());

        // A guide for every tvg-id: a third named as the list names them, a third in other case, a
        // third without the "@feed" part (as iptv-org's own guides name them) where that names one
        // channel alone ("ABCTV.au" would name eight, whose programmes would then be one channel's).
        std::map<std::string, int> feeds;
        for (const GuideListChannel& channel : channels)
            ++feeds[std::string(IdWithoutFeed(channel.tvgId))];
        std::string body;
        std::vector<const GuideListChannel*> withId;
        for (const GuideListChannel& channel : channels) {
            if (channel.tvgId.empty())
                continue;
            std::string id = channel.tvgId;
            if (withId.size() % 3 == 1)
                id = LowerAsciiId(id);
            else if (withId.size() % 3 == 2 && feeds[std::string(IdWithoutFeed(id))] == 1)
                id = std::string(IdWithoutFeed(id));
            withId.push_back(&channel);
            std::string escaped;
            for (const char c : id)
                escaped += c == '&' ? std::string("&amp;") : c == '"' ? std::string("&quot;") : std::string(1, c);
            body += "<channel id=\"" + escaped + "\"/>\n";
            body += "<programme start=\"" + XmltvTime(kNow) + "\" stop=\"" + XmltvTime(kNow + kHour) + "\" channel=\""
                + escaped + "\"><title>on " + std::to_string(withId.size()) + "</title></programme>\n";
        }
        QVERIFY2(withId.size() > 8000, qPrintable(QString::number(withId.size())));
        const GuideReadSummary summary = FillGuideFromXmltv(Guide(body), channels, paths, kNow);
        QCOMPARE(summary.listChannelsMatched, static_cast<long>(withId.size()));
        GuideStore store(paths);
        for (size_t i = 0; i < withId.size(); ++i) {
            const GuideNowNext nowNext = store.NowNext(withId[i]->key, kNow);
            QVERIFY2(nowNext.now && nowNext.now->title == "on " + std::to_string(i + 1), withId[i]->tvgId.c_str());
        }
    }

    void aStoreOpenDuringAReadingSeesTheOldGuide()
    {
        FillGuideFromXmltv(TwoChannelGuide(), TwoChannels(), paths, kNow);
        GuideStore store(paths);
        std::string body = Channel("ard.de", {"Das Erste"});
        for (int i = 0; i < 20000; ++i)
            body += Programme({"ard.de", kNow + i * 60, kNow + i * 60 + 60, "New " + std::to_string(i)});
        int checks = 0;
        ReadGuide({GuideSource{"new", {}, Guide(body)}}, TwoChannels(), paths, kNow,
                  [&](std::int64_t done, std::int64_t total) {
                      if (done < total) {
                          ++checks;
                          GuideStore during(paths);
                          if (during.NowNext("7", kNow).now->title != "Tagesschau")
                              return false;
                      }
                      return true;
                  });
        QVERIFY(checks > 0);
        // The store still reads the guide it opened until it reopens.
        QCOMPARE(store.NowNext("7", kNow).now->title, std::string("Tagesschau"));
        store.Reopen();
        QCOMPARE(store.NowNext("7", kNow).now->title, std::string("New 0"));
    }

    void aCancelledReadingLeavesTheOldGuide()
    {
        FillGuideFromXmltv(TwoChannelGuide(), TwoChannels(), paths, kNow);
        std::string body = Channel("ard.de", {"Das Erste"});
        for (int i = 0; i < 20000; ++i)
            body += Programme({"ard.de", kNow + i * 60, kNow + i * 60 + 60, "New " + std::to_string(i)});
        QVERIFY_THROWS_EXCEPTION(GuideCancelled,
                                 ReadGuide({GuideSource{"new", {}, Guide(body)}}, TwoChannels(), paths, kNow,
                                           [](std::int64_t done, std::int64_t) { return done == 0 || done < 0; }));
        QCOMPARE(GuideStore(paths).NowNext("7", kNow).now->title, std::string("Tagesschau"));
        QVERIFY(!std::filesystem::exists(GuideWorkPath(paths.guide)));
    }

    void aKilledReadingLeavesTheOldGuide()
    {
        FillGuideFromXmltv(TwoChannelGuide(), TwoChannels(), paths, kNow);
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ZENTAVO_GUIDE_READ_UNTIL_KILLED"), folder.path());
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted(Limit(10000)));
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += child.readAllStandardOutput()).contains("writing"), Limit(60000));
        QVERIFY(std::filesystem::exists(GuideWorkPath(paths.guide)));
        child.kill();
        QVERIFY(child.waitForFinished(Limit(10000)));

        QCOMPARE(GuideStore(paths).NowNext("7", kNow).now->title, std::string("Tagesschau"));
        // The next reading clears what the killed one left.
        FillGuideFromXmltv(Guide(Channel("ard.de", {}) + Programme({"ard.de", kNow, kNow + kHour, "After"})),
                           TwoChannels(), paths, kNow);
        QCOMPARE(GuideStore(paths).NowNext("7", kNow).now->title, std::string("After"));
        QVERIFY(!std::filesystem::exists(GuideWorkPath(paths.guide)));
    }
};

int main(int argc, char** argv)
{
    if (const QByteArray folder = qgetenv("ZENTAVO_GUIDE_READ_UNTIL_KILLED"); !folder.isEmpty()) {
        QCoreApplication app(argc, argv);
        return ReadUntilKilled(
            {folder.toStdString() + "/cache/guide.sqlite", folder.toStdString() + "/data/guide-choices.sqlite"});
    }
    QCoreApplication app(argc, argv);
    GuideReadingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_guide_reading.moc"
