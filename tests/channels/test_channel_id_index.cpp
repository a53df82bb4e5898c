// The one-pass id lookup gives exactly what the single lookup gives.
#include "channels/catalogue.h"
#include "channels/channel_id_index.h"

#include <QHash>
#include <QTest>

using namespace zentavo;

class ChannelIdIndexTest : public QObject {
    Q_OBJECT
private slots:
    void findsWhatTheSingleLookupFinds_data();
    void findsWhatTheSingleLookupFinds();
    void documentWithoutItemsRootFindsNothing();
};

namespace {
const char* kCatalogue = R"(<items>
  <item><id>17</id><name>first seventeen</name></item>
  <item><id> 017 </id><name>second seventeen</name></item>
  <item><id>2.50</id><name>fraction</name></item>
  <item><name>no id</name></item>
  <item><id>abc</id><name>word id</name></item>
  <item><id>-4</id><name>negative</name></item>
  <item><id>8</id><id>9</id><name>two ids</name></item>
  <x:item xmlns:x="urn:other"><id>30</id><name>other namespace</name></x:item>
  <thing><id>31</id><name>not an item</name></thing>
  <item><id>123456789012</id><name>big</name></item>
  <item><id>9999999999999999999</id><name>largest short</name></item>
  <item><id>123456789012345678901234567890</id><name>huge</name></item>
  <item><id>123456789012345678901234567890</id><name>huge again</name></item>
  <item><id>8</id><name>eight again</name></item>
</items>)";
} // namespace

void ChannelIdIndexTest::findsWhatTheSingleLookupFinds_data()
{
    QTest::addColumn<QString>("id");
    for (const char* id : {"17",
                           "017",
                           "17.",
                           "17.0",
                           "2.5",
                           ".5",
                           "8",
                           "9",
                           "30",
                           "31",
                           "123456789012",
                           "4",
                           "-4",
                           "abc",
                           "name",
                           "1e1",
                           "",
                           "17]",
                           "0",
                           "99",
                           "17 or 1=1",
                           " 17",
                           "9999999999999999999",
                           "10000000000000000000",
                           "123456789012345678901234567890",
                           "0123456789012345678901234567890",
                           "18446744073709551616"})
        QTest::newRow(*id ? id : "empty") << QString::fromUtf8(id);
}

void ChannelIdIndexTest::findsWhatTheSingleLookupFinds()
{
    QFETCH(QString, id);
    const Catalogue catalogue = Catalogue::FromDocument(XmlDocument::LoadBytes(kCatalogue));
    const ChannelIdIndex index(catalogue);
    const std::string key = id.toStdString();
    const auto expected = catalogue.FindChannel(key);
    const auto found = index.Find(key);
    QCOMPARE(found.has_value(), expected.has_value());
    if (expected)
        QVERIFY(*found == *expected);
    // What it finds: the first item of exactly that id; an id is never read as a number.
    static const QHash<QString, QString> kFound{
        {QStringLiteral("17"), QStringLiteral("first seventeen")},
        {QStringLiteral("8"), QStringLiteral("two ids")},
        {QStringLiteral("123456789012"), QStringLiteral("big")},
        {QStringLiteral("9999999999999999999"), QStringLiteral("largest short")},
        {QStringLiteral("123456789012345678901234567890"), QStringLiteral("huge")}};
    QCOMPARE(found ? QString::fromStdString(found->ChildText("name")) : QString(), kFound.value(id));
}

void ChannelIdIndexTest::documentWithoutItemsRootFindsNothing()
{
    const Catalogue catalogue =
        Catalogue::FromDocument(XmlDocument::LoadBytes("<channels><item><id>1</id></item></channels>"));
    QVERIFY(!ChannelIdIndex(catalogue).Find("1"));
}

QTEST_APPLESS_MAIN(ChannelIdIndexTest)
#include "test_channel_id_index.moc"
