// Catalogue: loading and its failures, enumeration, lookup by id, imgindex, the channel lists.
#include "channels/catalogue.h"
#include "channels/channel_lists.h"

#include "core_test_files.h"

#include <QTest>

#include <sys/stat.h>

using namespace zentavo;
using namespace zentavo::test;

namespace {

std::string Plain(const Item& item)
{
    return ItemXml(item);
}

// Five items: two tv, one radio, one webcam, one of an unknown type; ids 3, 17, 5, 8, 40.
QByteArray SampleCatalogue()
{
    return CatalogueXml({
        Plain({"3", "Alpha TV", "Germany", "300k", "tv", "0", "U3"}),
        Plain({"17", "Beta FM", "France", "", "radio", "1", "U17"}),
        Plain({"5", "Harbour cam", "Norway", "56k", "webcam", "2", "U5"}),
        Plain({"8", "Gamma", "Italy", "1M", "tv", "1", "U8"}),
        Plain({"40", "Mystery", "Peru", "", "podcast", "0", "U40"}),
    });
}

} // namespace

class CatalogueTest : public QObject {
    Q_OBJECT

private slots:
    void theListFileMessageKeepsItsEightTrailingBlanks()
    {
        QCOMPARE(QByteArray(kListFileMessage),
                 QByteArray("Sorry. The list file error, please reinstall this application.        "));
        QCOMPARE(QByteArray(ListFileError("detail").what()), QByteArray(kListFileMessage));
    }

    void aCatalogueThatCannotBeLoadedRaisesTheListFileError_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QStringLiteral("missing") << QByteArray();
        QTest::newRow("a folder") << QStringLiteral("folder") << QByteArray();
        QTest::newRow("path under a regular file") << QStringLiteral("under-file") << QByteArray();
        QTest::newRow("empty file") << QStringLiteral("file") << QByteArray();
        QTest::newRow("not well-formed") << QStringLiteral("file") << QByteArray("<items><item><id>1</id></items>");
        QTest::newRow("truncated") << QStringLiteral("file") << SampleCatalogue().left(200);
        // Neither is waited for: a FIFO without a writer, a link to an endless device.
        QTest::newRow("fifo") << QStringLiteral("fifo") << QByteArray();
        QTest::newRow("link to /dev/zero") << QStringLiteral("device") << QByteArray();
        QTest::newRow("link to /dev/null") << QStringLiteral("null") << QByteArray();
    }
    void aCatalogueThatCannotBeLoadedRaisesTheListFileError()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, content);
        const Folder folder;
        auto path = folder / "tv-all.xml";
        if (kind == QLatin1String("folder"))
            std::filesystem::create_directory(path);
        else if (kind == QLatin1String("under-file")) {
            QVERIFY(WriteBytes(path, SampleCatalogue()));
            path /= "tv-all.xml";
        } else if (kind == QLatin1String("file")) {
            QVERIFY(WriteBytes(path, content));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(path.c_str(), 0600), 0);
        } else if (kind == QLatin1String("device")) {
            std::filesystem::create_symlink("/dev/zero", path);
        } else if (kind == QLatin1String("null")) {
            std::filesystem::create_symlink("/dev/null", path);
        }
        try {
            Catalogue::Load(path);
            QFAIL("no error");
        } catch (const ListFileError& error) {
            QCOMPARE(QByteArray(error.what()), QByteArray(kListFileMessage));
            QVERIFY(!error.detail().empty());
        }
        QVERIFY_THROWS_EXCEPTION(ListFileError, BuildChannelLists(path));
    }

    void enumerationVisitsEveryItemInFileOrder()
    {
        const Catalogue catalogue = Catalogue::FromDocument(
            XmlDocument::LoadBytes("<items><item><id>2</id><name>b</name></item><!-- comment --><item><id>1</id></item>"
                                   "<other><id>9</id></other></items>"));
        QStringList ids;
        catalogue.ForEachChannel([&ids](const ChannelRecord& record) { ids << QString::fromStdString(record.id); });
        QCOMPARE(ids, (QStringList{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("9")}));
    }

    void fieldsAreReadByNameWithMissingOnesEmpty()
    {
        const Catalogue catalogue = Catalogue::FromDocument(
            XmlDocument::LoadBytes("<items><item><url>u</url><name>first</name><type2>tv</type2><name>second</name>"
                                   "<id>7</id><extra>x</extra></item></items>"));
        std::vector<ChannelRecord> records;
        catalogue.ForEachChannel([&records](const ChannelRecord& record) { records.push_back(record); });
        QCOMPARE(records.size(), std::size_t{1});
        const ChannelRecord& record = records.front();
        QCOMPARE(Bytes(record.id), QByteArray("7"));
        QCOMPARE(Bytes(record.name), QByteArray("first"));
        QCOMPARE(Bytes(record.url), QByteArray("u"));
        QCOMPARE(Bytes(record.type2), QByteArray("tv"));
        QVERIFY(record.country.empty() && record.bandwidth.empty() && record.imgindex.empty());
    }

    void findChannelSelectsTheFirstItemWithThatId_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<QByteArray>("url"); // empty: nothing found
        QTest::newRow("first item") << QByteArray("3") << QByteArray("U3");
        QTest::newRow("last item") << QByteArray("40") << QByteArray("U40");
        QTest::newRow("duplicate id gives the first") << QByteArray("17") << QByteArray("U17");
        QTest::newRow("leading zero is another id") << QByteArray("017") << QByteArray();
        QTest::newRow("blanks around the number") << QByteArray(" 5 ") << QByteArray();
        QTest::newRow("expression") << QByteArray("1 or 1=1") << QByteArray();
        QTest::newRow("sign") << QByteArray("+3") << QByteArray();
        QTest::newRow("id the catalogue lacks") << QByteArray("99") << QByteArray();
        QTest::newRow("empty id") << QByteArray() << QByteArray();
        QTest::newRow("closing bracket") << QByteArray("3]") << QByteArray();
        QTest::newRow("quote") << QByteArray("'3") << QByteArray();
        QTest::newRow("word") << QByteArray("abc") << QByteArray();
        QTest::newRow("path escape") << QByteArray("3]/../../*[1") << QByteArray();
        QTest::newRow("embedded NUL") << QByteArray("3\0]", 3) << QByteArray();
    }
    void findChannelSelectsTheFirstItemWithThatId()
    {
        QFETCH(QByteArray, id);
        QFETCH(QByteArray, url);
        QByteArray xml = SampleCatalogue();
        xml.replace("</items>",
                    ItemXml({"17", "Duplicate", "Spain", "", "tv", "0", "DUP"}).c_str() + QByteArray("</items>"));
        const Catalogue catalogue = Catalogue::FromDocument(XmlDocument::LoadBytes(xml.toStdString()));
        const auto item = catalogue.FindChannel(std::string_view(id.constData(), static_cast<std::size_t>(id.size())));
        QCOMPARE(item ? Bytes(item->ChildText("url")) : QByteArray(), url);
        const auto record =
            catalogue.FindChannelRecord(std::string_view(id.constData(), static_cast<std::size_t>(id.size())));
        QCOMPARE(record ? Bytes(record->url) : QByteArray(), url);
    }

    // Ids are data: the requested id is compared, as written, with the text of the first id
    // element of each item under the root "items", without its surrounding XML white space. Only
    // digits without sign or leading zeros can match; nothing is evaluated.
    void findChannelMatchesTheIdAsWritten_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<QByteArray>("name"); // empty: nothing found
        QTest::newRow("blanks around the item's id") << QByteArray("1") << QByteArray("a");
        QTest::newRow("only the first id element counts") << QByteArray("2") << QByteArray();
        QTest::newRow("first id element text") << QByteArray("x") << QByteArray();
        QTest::newRow("item in a namespace") << QByteArray("3") << QByteArray("three");
        QTest::newRow("cdata") << QByteArray("4") << QByteArray("cdata");
        QTest::newRow("entity reference") << QByteArray("7") << QByteArray("entity");
        QTest::newRow("nested text") << QByteArray("12") << QByteArray("nested");
        QTest::newRow("item id with a leading zero") << QByteArray("9") << QByteArray();
        QTest::newRow("the item's spelling with a leading zero") << QByteArray("09") << QByteArray();
        QTest::newRow("zero") << QByteArray("0") << QByteArray("zero");
        QTest::newRow("fraction") << QByteArray("0.5") << QByteArray();
        QTest::newRow("same value as a fraction") << QByteArray("10.0") << QByteArray();
        QTest::newRow("ten") << QByteArray("10") << QByteArray("ten");
        QTest::newRow("minus zero") << QByteArray("-0") << QByteArray();
        QTest::newRow("exponent") << QByteArray("1e1") << QByteArray();
        QTest::newRow("expression") << QByteArray("10 or 1=1") << QByteArray();
        QTest::newRow("path") << QByteArray("10]|/items/item[1") << QByteArray();
        QTest::newRow("number larger than any integer type")
            << QByteArray("123456789012345678901234567890") << QByteArray("huge");
        QTest::newRow("one more than it") << QByteArray("123456789012345678901234567891") << QByteArray();
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("NaN") << QByteArray("NaN") << QByteArray();
    }
    void findChannelMatchesTheIdAsWritten()
    {
        QFETCH(QByteArray, id);
        QFETCH(QByteArray, name);
        const Catalogue catalogue = Catalogue::FromDocument(
            XmlDocument::LoadBytes("<!DOCTYPE items [<!ENTITY seven \"7\">]>"
                                   "<items xmlns:n='urn:n'>"
                                   "<item><name>a</name><id> 1 </id></item>"
                                   "<item><id>x</id><id>2</id><name>second id child</name></item>"
                                   "<n:item><id>3</id><name>namespaced item</name></n:item>"
                                   "<other><id>3</id><name>not an item</name></other>"
                                   "<item><id>3</id><name>three</name></item>"
                                   "<item><id>1<b>2</b></id><name>nested</name></item>"
                                   "<item><id><![CDATA[4]]></id><name>cdata</name></item>"
                                   "<item><id>&seven;</id><name>entity</name></item>"
                                   "<item><id>09</id><name>leading zero</name></item>"
                                   "<item><id>0.5</id><name>half</name></item>"
                                   "<item><id>0</id><name>zero</name></item>"
                                   "<item><id>-0</id><name>minus zero</name></item>"
                                   "<item><id></id><name>empty</name></item>"
                                   "<item><id>\n\t10\r\n</id><name>ten</name></item>"
                                   "<item><id>123456789012345678901234567890</id><name>huge</name></item>"
                                   "</items>"));
        const std::string idText = id.toStdString();
        const auto found = catalogue.FindChannel(idText);
        QCOMPARE(found ? Bytes(found->ChildText("name")) : QByteArray(), name);
    }

    void findChannelNeedsTheItemsRoot()
    {
        const Catalogue catalogue =
            Catalogue::FromDocument(XmlDocument::LoadBytes("<channels><item><id>1</id><url>u</url></item></channels>"));
        QVERIFY(!catalogue.FindChannel("1"));
    }

    void aLoadSeesTheFileAsItIsNow()
    {
        const Folder folder;
        const auto path = folder / "tv-all.xml";
        QVERIFY(WriteBytes(path, SampleCatalogue()));
        QCOMPARE(Bytes(Catalogue::Load(path).FindChannelRecord("8")->url), QByteArray("U8"));
        QVERIFY(WriteBytes(path, CatalogueXml({ItemXml({"8", "Gamma", "Italy", "1M", "tv", "2", "NEW"})})));
        const auto record = Catalogue::Load(path).FindChannelRecord("8");
        QCOMPARE(Bytes(record->url), QByteArray("NEW"));
        QCOMPARE(Bytes(record->imgindex), QByteArray("2"));
    }

    void imgIndexIsReadAsADecimalInteger_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("value"); // kNoIcon: not an integer
        QTest::newRow("0") << QByteArray("0") << 0;
        QTest::newRow("2") << QByteArray("2") << 2;
        QTest::newRow("leading zeros") << QByteArray("002") << 2;
        QTest::newRow("plus sign") << QByteArray("+1") << 1;
        QTest::newRow("negative") << QByteArray("-3") << -3;
        QTest::newRow("xml white space around") << QByteArray("\n   1\t") << 1;
        QTest::newRow("empty") << QByteArray() << kNoIcon;
        QTest::newRow("blank") << QByteArray(" ") << kNoIcon;
        QTest::newRow("word") << QByteArray("one") << kNoIcon;
        QTest::newRow("trailing letter") << QByteArray("1a") << kNoIcon;
        QTest::newRow("inner blank") << QByteArray("1 2") << kNoIcon;
        QTest::newRow("decimal point") << QByteArray("1.0") << kNoIcon;
        QTest::newRow("hex") << QByteArray("0x1") << kNoIcon;
        QTest::newRow("two signs") << QByteArray("+-1") << kNoIcon;
        QTest::newRow("too large for int") << QByteArray("99999999999") << kNoIcon;
    }
    void imgIndexIsReadAsADecimalInteger()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, value);
        const auto parsed = ParseImgIndex(text.toStdString());
        QCOMPARE(parsed.value_or(kNoIcon), value);
        QCOMPARE(IconIndexOf(text.toStdString()), value);
    }

    void channelListsSortItemsByTypeInFileOrder()
    {
        const Folder folder;
        QVERIFY(WriteBytes(folder / "tv-all.xml", SampleCatalogue()));
        const ChannelLists lists = BuildChannelLists(folder / "tv-all.xml");
        QCOMPARE(lists.tv.size(), std::size_t{2});
        QCOMPARE(Bytes(lists.tv[0].caption), QByteArray(" Germany - Alpha TV  (300k)"));
        QCOMPARE(Bytes(lists.tv[0].id), QByteArray("3"));
        QCOMPARE(lists.tv[0].iconIndex, 0);
        QCOMPARE(Bytes(lists.tv[1].caption), QByteArray(" Italy - Gamma  (1M)"));
        QCOMPARE(lists.tv[1].iconIndex, 1);
        QCOMPARE(lists.radio.size(), std::size_t{1});
        QCOMPARE(Bytes(lists.radio[0].caption), QByteArray(" France - Beta FM")); // no bandwidth, no brackets
        QCOMPARE(Bytes(lists.radio[0].id), QByteArray("17"));
        QCOMPARE(lists.webcam.size(), std::size_t{1});
        QCOMPARE(Bytes(lists.webcam[0].caption), QByteArray(" Norway - Harbour cam  (56k)"));
        QCOMPARE(lists.webcam[0].iconIndex, 2);
    }

    // Items of no known type, or with a faulty imgindex, change nothing for their neighbours.
    void oddItemsDoNotDisturbTheOtherRows()
    {
        const Folder folder;
        QVERIFY(WriteBytes(folder / "tv-all.xml",
                           CatalogueXml({
                               ItemXml({"1", "One", "A", "", "tv", "0", "u"}),
                               ItemXml({"2", "Capital", "B", "", "TV", "0", "u"}),
                               ItemXml({"3", "Radio caps", "C", "", "Radio", "0", "u"}),
                               ItemXml({"4", "Spaced", "D", "", " tv", "0", "u"}),
                               ItemXml({"5", "No icon", "E", "9k", "tv", "x", "u"}),
                               "<item><id>6</id><type2>tv</type2></item>",
                               ItemXml({"7", "Seven", "G", "", "tv", "2", "u"}),
                           })));
        const ChannelLists lists = BuildChannelLists(folder / "tv-all.xml");
        QVERIFY(lists.radio.empty() && lists.webcam.empty());
        QCOMPARE(lists.tv.size(), std::size_t{4});
        QCOMPARE(Bytes(lists.tv[0].caption), QByteArray(" A - One"));
        QCOMPARE(Bytes(lists.tv[1].caption), QByteArray(" E - No icon  (9k)"));
        QCOMPARE(lists.tv[1].iconIndex, kNoIcon);
        QCOMPARE(Bytes(lists.tv[2].caption), QByteArray("  - ")); // every field missing reads as empty
        QCOMPARE(Bytes(lists.tv[2].id), QByteArray("6"));
        QCOMPARE(lists.tv[2].iconIndex, kNoIcon);
        QCOMPARE(Bytes(lists.tv[3].caption), QByteArray(" G - Seven"));
        QCOMPARE(lists.tv[3].iconIndex, 2);
    }

    // A row whose id an earlier item already has would play that item: it is left out and named.
    void rowsWithAnIdAnEarlierItemHasAreLeftOut()
    {
        const Folder folder;
        QVERIFY(WriteBytes(folder / "tv-all.xml",
                           CatalogueXml({
                               ItemXml({"17", "First", "Spain", "", "tv", "0", "u"}),
                               ItemXml({"4", "Hidden", "Chile", "", "podcast", "0", "u"}),
                               ItemXml({" 17 ", "Second", "Spain", "2M", "radio", "1", "u"}),
                               ItemXml({"4", "Later four", "Peru", "", "webcam", "2", "u"}),
                               ItemXml({"017", "Leading zero", "Cuba", "", "tv", "0", "u"}),
                               ItemXml({"017", "Leading zero again", "Cuba", "", "tv", "0", "u"}),
                               ItemXml({"5", "Five", "Oman", "", "tv", "0", "u"}),
                           })));
        const ChannelLists lists = BuildChannelLists(folder / "tv-all.xml");
        const auto captions = [](const std::vector<ListRow>& rows) {
            QStringList found;
            for (const ListRow& row : rows)
                found << QString::fromStdString(row.caption + "|" + row.id);
            return found;
        };
        // Ids that no lookup can find ("017") play nothing, so both rows stay.
        QCOMPARE(captions(lists.tv),
                 (QStringList{QStringLiteral(" Spain - First|17"), QStringLiteral(" Cuba - Leading zero|017"),
                              QStringLiteral(" Cuba - Leading zero again|017"), QStringLiteral(" Oman - Five|5")}));
        QVERIFY(lists.radio.empty());
        QVERIFY(lists.webcam.empty());
        QCOMPARE(captions(lists.leftOut),
                 (QStringList{QStringLiteral(" Spain - Second  (2M)|17"), QStringLiteral(" Peru - Later four|4")}));
        QCOMPARE(QString::fromStdString(LeftOutRowsMessage(lists.leftOut)),
                 QStringLiteral("2 channels in the channel list have the same id as a channel before them. They would "
                                "play the earlier channel, so they are left out of the lists:\n"
                                "\nSpain - Second  (2M) (id 17)\nPeru - Later four (id 4)"));
    }

    void aRowNoLookupFindsIsLeftOutWhenAnItemAfterItHasItsId()
    {
        // Playing id 9 finds the "item" after the "channel" element, so the channel's row would
        // play another stream; left-out rows keep file order.
        const Folder folder;
        QVERIFY(WriteBytes(folder / "tv-all.xml",
                           CatalogueXml({
                               ItemXml({"3", "A", "Peru", "", "tv", "0", "u"}),
                               "<channel><id>9</id><name>Odd</name><country>Chad</country><type2>tv</type2></channel>",
                               ItemXml({"3", "B", "Peru", "", "radio", "0", "u"}),
                               ItemXml({"9", "Nine", "Fiji", "", "tv", "0", "u"}),
                           })));
        const ChannelLists lists = BuildChannelLists(folder / "tv-all.xml");
        QCOMPARE(lists.tv.size(), std::size_t{2});
        QCOMPARE(lists.tv[0].caption + "|" + lists.tv[1].caption, std::string(" Peru - A| Fiji - Nine"));
        QVERIFY(lists.radio.empty());
        QCOMPARE(lists.leftOut.size(), std::size_t{2});
        QCOMPARE(lists.leftOut[0].caption + "|" + lists.leftOut[1].caption, std::string(" Chad - Odd| Peru - B"));
    }

    void findingAChannelReadsOnlyUpToItsItem()
    {
        // A play reads an own catalogue of a million channels only as far as the channel's item;
        // an item past a fault in the file cannot be reached.
        const Folder folder;
        const QByteArray whole = CatalogueXml(
            {ItemXml({"1", "One", "Chad", "", "tv", "0", "u1"}), ItemXml({"2", "Two", "Chad", "", "tv", "0", "u2"})});
        QVERIFY(WriteBytes(folder / "broken.xml", whole.left(whole.indexOf("<item><id>2")) + "<item><id>2</oops>"));
        const auto found = Catalogue::FindRecordInFile(folder / "broken.xml", "1");
        QVERIFY(found.has_value());
        QCOMPARE(found->url, std::string("u1"));
        QVERIFY_THROWS_EXCEPTION(ListFileError, Catalogue::FindRecordInFile(folder / "broken.xml", "2"));
        QVERIFY(!Catalogue::FindRecordInFile(folder / "broken.xml", "01").has_value());
    }

    void theLeftOutMessageNamesOneRowOrTwentyAndCountsTheRest()
    {
        QCOMPARE(QString::fromStdString(LeftOutRowsMessage({})), QString());
        QCOMPARE(QString::fromStdString(LeftOutRowsMessage({ListRow{" Spain - Second", "17", 0}})),
                 QStringLiteral("One channel in the channel list has the same id as a channel before it. It would "
                                "play the earlier channel, so it is left out of the lists:\n\nSpain - Second (id 17)"));
        std::vector<ListRow> many;
        for (int i = 1; i <= 23; ++i)
            many.push_back(ListRow{" C - N" + std::to_string(i), std::to_string(i), 0});
        const QString text = QString::fromStdString(LeftOutRowsMessage(many));
        QVERIFY(text.startsWith(QStringLiteral("23 channels in the channel list have the same id")));
        QVERIFY(text.contains(QStringLiteral("\nC - N20 (id 20)\nand 3 more.")));
        QVERIFY(!text.contains(QStringLiteral("N21")));
    }

    void listsShowNamesInEveryEncoding()
    {
        const ChannelLists lists = BuildChannelLists(FixturePath("catalogue-windows-1252.xml"));
        QCOMPARE(lists.tv.size(), std::size_t{3});
        QCOMPARE(Bytes(lists.tv[1].caption), QByteArray(" Österreich - Šport – “Live”"));
    }
};

QTEST_APPLESS_MAIN(CatalogueTest)
#include "test_catalogue.moc"
