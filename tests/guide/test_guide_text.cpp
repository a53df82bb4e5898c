// The guide's text rules without a database: how channel names fold for matching, how matching
// prefers one guide channel to another, and which XMLTV times are times.
#include "guide/channel_name_folding.h"
#include "guide/guide_matcher.h"
#include "guide/xmltv_time.h"

#include <QTest>

using namespace zentavo;

Q_DECLARE_METATYPE(std::string)

class GuideTextTest : public QObject {
    Q_OBJECT
private slots:
    void namesFoldToTheirCore_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folded");
        QTest::newRow("case and blanks") << "Das Erste"
                                         << "daserste";
        QTest::newRow("punctuation") << "Das-Erste!"
                                     << "daserste";
        QTest::newRow("accents") << "Télé Québec"
                                 << "telequebec";
        QTest::newRow("sharp s") << "Straße TV"
                                 << "strassetv";
        QTest::newRow("trailing HD") << "ZDF HD"
                                     << "zdf";
        QTest::newRow("trailing FHD and SD stacked") << "ZDF FHD SD"
                                                     << "zdf";
        QTest::newRow("resolution in brackets") << "ABC News (720p)"
                                                << "abcnews";
        QTest::newRow("resolution and a note") << "ABC News (1080i) [Geo-blocked]"
                                               << "abcnews";
        QTest::newRow("4K") << "Nature 4K"
                            << "nature";
        QTest::newRow("HEVC with a dash") << "Sport-HEVC"
                                          << "sport";
        QTest::newRow("HD inside a word stays") << "HDTV Plus"
                                                << "hdtvplus";
        QTest::newRow("a quality word alone stays") << "HD"
                                                    << "hd";
        QTest::newRow("a country in brackets stays") << "CTV (Canada)"
                                                     << "ctvcanada";
        QTest::newRow("time shift stays") << "BBC One +1"
                                          << "bbcone1";
        QTest::newRow("other scripts") << "Первый канал HD"
                                       << "первыиканал";
        QTest::newRow("empty") << ""
                               << "";
    }
    void namesFoldToTheirCore()
    {
        QFETCH(QString, name);
        QFETCH(QString, folded);
        QCOMPARE(QString::fromStdString(FoldChannelName(name.toStdString())), folded);
    }

    void idsLoseTheirFeed()
    {
        QCOMPARE(IdWithoutFeed("BBCOne.uk@HD"), std::string_view("BBCOne.uk"));
        QCOMPARE(IdWithoutFeed("BBCOne.uk"), std::string_view("BBCOne.uk"));
        QCOMPARE(IdWithoutFeed("@odd"), std::string_view("@odd"));
        QCOMPARE(LowerAsciiId("ARD.de@SD"), std::string("ard.de@sd"));
    }

    // Each list channel gets the best kind of match among the guide channels offered, and the
    // first one of that kind; a guide channel no list channel wants is not worth keeping.
    void matchingPrefersIdsThenNames()
    {
        const std::vector<GuideListChannel> list = {
            {"1", "ARD.de", "", "Das Erste", 0}, // exact id offered after a case-only one
            {"2", "zdf.DE@HD", "", "", 0}, // only the feed-less id exists
            {"3", "", "Arte HD", "arte (720p)", 0}, // names only
            {"4", "ORF1.at", "", "ORF 1", 0}, // id case, and a name match offered first
            {"5", "none.xx", "", "Nowhere TV", 0},
        };
        GuideMatcher matcher(list);
        QVERIFY(matcher.Offer(10, "ard.de", {"ARD"}));
        QVERIFY(matcher.Offer(11, "ARD.de", {"Das Erste"}));
        QVERIFY(matcher.Offer(12, "ZDF.de", {}));
        QVERIFY(matcher.Offer(13, "arte.fr", {"ARTE", "Arte Deutsch"}));
        QVERIFY(matcher.Offer(14, "other", {"ORF 1 HD"}));
        QVERIFY(matcher.Offer(15, "orf1.at", {}));
        QVERIFY(!matcher.Offer(16, "cnn.us", {"CNN"}));

        const auto expect = [&](size_t index, std::int64_t row, GuideMatchKind kind) {
            const auto best = matcher.Best(index);
            QVERIFY2(best.has_value(), list[index].key.c_str());
            QCOMPARE(best->row, row);
            QCOMPARE(static_cast<int>(best->kind), static_cast<int>(kind));
        };
        expect(0, 11, GuideMatchKind::Id);
        expect(1, 12, GuideMatchKind::IdWithoutFeed);
        expect(2, 13, GuideMatchKind::Name);
        expect(3, 15, GuideMatchKind::IdIgnoringCase);
        QVERIFY(!matcher.Best(4).has_value());
    }

    void xmltvTimes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("utc");
        QTest::addColumn<bool>("hadOffset");
        // 2026-12-11 18:30:00 UTC is 1797013800.
        QTest::newRow("full with offset") << "20261211193000 +0100" << true << qint64(1797013800) << true;
        QTest::newRow("negative offset") << "20261211133000 -0500" << true << qint64(1797013800) << true;
        QTest::newRow("half-hour offset") << "20261212000000 +0530" << true << qint64(1797013800) << true;
        QTest::newRow("offset with colon") << "20261211193000 +01:00" << true << qint64(1797013800) << true;
        QTest::newRow("offset in hours") << "20261211193000 +01" << true << qint64(1797013800) << true;
        QTest::newRow("offset glued on") << "20261211193000+0100" << true << qint64(1797013800) << true;
        QTest::newRow("Z") << "20261211183000 Z" << true << qint64(1797013800) << true;
        QTest::newRow("no offset is UTC") << "20261211183000" << true << qint64(1797013800) << false;
        QTest::newRow("minutes only") << "202612111830 +0000" << true << qint64(1797013800) << true;
        QTest::newRow("date only") << "20261211" << true << qint64(1797013800 - 18 * 3600 - 1800) << false;
        QTest::newRow("offset beyond 14 hours") << "20261211183000 +2500" << false << qint64(0) << false;
        QTest::newRow("offset minutes past 59") << "20261211183000 +0175" << false << qint64(0) << false;
        QTest::newRow("offset a word") << "20261211183000 CET" << false << qint64(0) << false;
        QTest::newRow("month 13") << "20261311183000" << false << qint64(0) << false;
        QTest::newRow("30 February") << "20260230120000" << false << qint64(0) << false;
        QTest::newRow("hour 24") << "20261211240000" << false << qint64(0) << false;
        QTest::newRow("odd digit count") << "202612111" << false << qint64(0) << false;
        QTest::newRow("too short") << "2026121" << false << qint64(0) << false;
        QTest::newRow("empty") << "" << false << qint64(0) << false;
        QTest::newRow("trailing garbage") << "20261211183000 +0000 x" << false << qint64(0) << false;
    }
    void xmltvTimes()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const std::optional<XmltvTime> time = ParseXmltvTime(text.toStdString());
        QCOMPARE(time.has_value(), valid);
        if (!valid)
            return;
        QFETCH(qint64, utc);
        QFETCH(bool, hadOffset);
        QCOMPARE(time->utc, utc);
        QCOMPARE(time->hadOffset, hadOffset);
    }
};

QTEST_GUILESS_MAIN(GuideTextTest)
#include "test_guide_text.moc"
