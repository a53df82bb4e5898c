// The places of a catalogue's items taken while the lists read it: a lookup through them finds what
// reading the file item by item finds, reads only the item, and a file that changed is read afresh.
#include "channels/catalogue.h"
#include "channels/catalogue_index.h"
#include "channels/channel_lists.h"

#include "core_test_files.h"

#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace zentavo;
using namespace zentavo::test;

namespace {

// Every field of the record, or "none", for comparing what two lookups found.
QByteArray Described(const std::optional<ChannelRecord>& record)
{
    if (!record)
        return "none";
    QByteArray text;
    ChannelRecord copy = *record;
    for (int field = 0; field < kRecordFieldCount; ++field)
        text += Bytes(RecordField(copy, field)) + '|';
    return text;
}

// Reads the lists of the catalogue as the window does, keeping the places of its items.
void Index(const std::filesystem::path& path, CatalogueIndexes& indexes)
{
    auto index = std::make_shared<CatalogueIndex>();
    HeldIds held;
    BuildChannelLists(path, held, nullptr, *index);
    indexes.Replace({{path.string(), std::move(index)}});
}

const char* const kQueries[] = {"1",
                                "2",
                                "3",
                                "4",
                                "5",
                                "7",
                                "8",
                                "9",
                                "10",
                                "11",
                                "12",
                                "017",
                                " 1",
                                "",
                                "99",
                                "0",
                                "12345678901234567890123",
                                "12345678901234567890124",
                                "1 or 1=1"};

} // namespace

class CatalogueIndexTest : public QObject {
    Q_OBJECT

private slots:
    // Catalogues the player writes and catalogues written by hand: what a lookup finds is the
    // same with and without the places, for ids that are there, twice, or not at all.
    void aLookupThroughThePlacesFindsWhatReadingTheFileFinds_data()
    {
        QTest::addColumn<QByteArray>("xml");
        const QByteArray items = "<item><id>1</id><name>One &amp; only</name><type2>tv</type2><url>u1</url></item>\n"
                                 "<!-- a comment between items -->\n"
                                 "<item><id> 2 </id><name><![CDATA[Two <b>]]></name><type2>tv</type2></item>"
                                 "<other><id>3</id><name>not an item</name><type2>tv</type2></other>"
                                 "<item><id>3</id><name>Three</name><type2>radio</type2><url>u3</url></item>\n"
                                 "<item><id>1</id><name>Second one</name><type2>tv</type2><url>dup</url></item>\n"
                                 "<item><id>4<b>5</b></id><name>nested</name><type2>tv</type2></item>\n"
                                 "<item/><item><id>12345678901234567890123</id><name>long</name><type2>tv</type2>"
                                 "</item><?pi data?>"
                                 "<item><name>id last</name><type2>webcam</type2><id>7</id></item>"
                                 "<item><id>8</id><name>caf\xC3\xA9 \xE2\x80\x8B</name><type2>tv</type2></item>";
        QTest::newRow("as the player writes it")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n" + items + "</items>\n");
        QTest::newRow("no declaration, blanks in the root's tag, CR LF")
            << QByteArray("<items >\r\n" + QByteArray(items).replace("\n", "\r\n") + "</items>");
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF<items>" + items + "</items>");
        QTest::newRow("empty root") << QByteArray("<items/>");
        // Not plain: read item by item.
        QTest::newRow("document type with an entity")
            << QByteArray("<!DOCTYPE items [<!ENTITY nine \"9\">]><items>" + items
                          + "<item><id>&nine;</id><name>nine</name></item></items>");
        QTest::newRow("root with a namespace declaration")
            << QByteArray("<items xmlns:n='urn:n'>" + items + "<n:item><id>10</id></n:item></items>");
        QTest::newRow("ISO-8859-1") << QByteArray("<?xml version='1.0' encoding='ISO-8859-1'?><items>"
                                                  "<item><id>11</id><name>caf\xE9</name></item></items>");
        QTest::newRow("another root") << QByteArray("<channels>" + items + "</channels>");
    }
    void aLookupThroughThePlacesFindsWhatReadingTheFileFinds()
    {
        QFETCH(QByteArray, xml);
        const Folder folder;
        const auto path = folder / "catalogue.xml";
        QVERIFY(WriteBytes(path, xml));
        CatalogueIndexes indexes;
        Index(path, indexes);
        for (const char* query : kQueries) {
            const auto direct = Catalogue::FindRecordInFile(path, query);
            QCOMPARE(Described(FindRecord(path, query, &indexes)), Described(direct));
        }
    }

    // The places say where, never what: a lookup still reads the item from the file, so a file
    // changed since (replaced whole, or written over in place) gives what it holds now.
    void aFileChangedSinceItsPlacesWereTakenIsReadAsItIsNow()
    {
        const Folder folder;
        const auto path = folder / "catalogue.xml";
        const QByteArray before = CatalogueXml(
            {ItemXml({"1", "One", "Chad", "", "tv", "0", "u1"}), ItemXml({"2", "Two", "Chad", "", "tv", "0", "u2"})});
        QVERIFY(WriteBytes(path, before));
        CatalogueIndexes indexes;
        Index(path, indexes);
        QCOMPARE(Bytes(FindRecord(path, "2", &indexes)->url), QByteArray("u2"));

        // Replaced whole: another file under the same name.
        const auto replacement = folder / "replacement.xml";
        QVERIFY(WriteBytes(replacement,
                           CatalogueXml({ItemXml({"2", "Moved", "Chad", "", "tv", "0", "v2"}),
                                         ItemXml({"3", "New", "Chad", "", "tv", "0", "u3"})})));
        std::filesystem::rename(replacement, path);
        QCOMPARE(Bytes(FindRecord(path, "2", &indexes)->url), QByteArray("v2"));
        QCOMPARE(Bytes(FindRecord(path, "3", &indexes)->url), QByteArray("u3"));
        QVERIFY(!FindRecord(path, "1", &indexes).has_value());

        // Written over in place: the same file, changed.
        Index(path, indexes);
        QVERIFY(WriteBytes(path, before));
        QCOMPARE(Bytes(FindRecord(path, "1", &indexes)->url), QByteArray("u1"));
        QVERIFY(!FindRecord(path, "3", &indexes).has_value());

        // Gone: the reading reports it as before.
        Index(path, indexes);
        std::filesystem::remove(path);
        QVERIFY_THROWS_EXCEPTION(ListFileError, FindRecord(path, "1", &indexes));
    }

    // With its place known, a lookup reads the item alone: a fault before it in the file (which a
    // reading item by item stops at) is never reached. The file is changed in place and its time
    // set back, so that it looks like the version whose places were taken.
    void aLookupReadsOnlyTheItemAtItsPlace()
    {
        const Folder folder;
        const auto path = folder / "catalogue.xml";
        QByteArray xml = CatalogueXml(
            {ItemXml({"1", "One", "Chad", "", "tv", "0", "u1"}), ItemXml({"2", "Two", "Chad", "", "tv", "0", "u2"})});
        QVERIFY(WriteBytes(path, xml));
        CatalogueIndexes indexes;
        Index(path, indexes);
        struct stat before {};
        QCOMPARE(::stat(path.c_str(), &before), 0);
        xml.replace("<id>1</id>", "<id>1</oo>");
        QVERIFY(WriteBytes(path, xml));
        const timespec times[2] = {before.st_atim, before.st_mtim};
        QCOMPARE(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

        QVERIFY_THROWS_EXCEPTION(ListFileError, Catalogue::FindRecordInFile(path, "2"));
        const auto found = FindRecord(path, "2", &indexes);
        QVERIFY(found.has_value());
        QCOMPARE(Bytes(found->url), QByteArray("u2"));
        QCOMPARE(Bytes(found->name), QByteArray("Two"));
    }

    void aCatalogueWithoutPlacesIsReadItemByItem()
    {
        const Folder folder;
        const auto path = folder / "catalogue.xml";
        QVERIFY(WriteBytes(path, CatalogueXml({ItemXml({"5", "Five", "Chad", "", "tv", "0", "u5"})})));
        CatalogueIndexes indexes;
        QCOMPARE(Bytes(FindRecord(path, "5", &indexes)->url), QByteArray("u5"));
        QCOMPARE(Bytes(FindRecord(path, "5", nullptr)->url), QByteArray("u5"));
        QVERIFY(!FindRecord(path, "6", &indexes).has_value());
    }
};

QTEST_GUILESS_MAIN(CatalogueIndexTest)
#include "test_catalogue_index.moc"
