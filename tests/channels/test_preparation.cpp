// Catalogue preparation: the media kind rule, annotating kinds and protecting addresses.
#include "channels/catalogue.h"
#include "channels/media_kind.h"
#include "channels/preparation.h"
#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"

#include "core_test_files.h"

#include <QTest>

using namespace zentavo;
using namespace zentavo::test;

Q_DECLARE_METATYPE(zentavo::MediaKind)

namespace {

QByteArray PlainCatalogue()
{
    return CatalogueXml({
        "<item><id>1</id><name>Caf\xc3\xa9 TV</name><type2>tv</type2><url>http://a.example/live.asx</url></item>",
        "<item><id>2</id><name>Real radio</name><type2>radio</type2><url>rtsp://b.example/stream</url></item>",
        "<item><id>3</id><name>Cam</name><type2>webcam</type2><url>http://c.example/cam.JPG?t=1</url></item>",
        "<item><id>4</id><name>No address</name><type2>tv</type2></item>",
    });
}

std::vector<std::string> ImgIndexes(const XmlElement& item)
{
    std::vector<std::string> codes;
    for (const auto& child : item.ChildElements()) {
        if (child.Name() == "imgindex")
            codes.push_back(child.Text());
    }
    return codes;
}

} // namespace

class PreparationTest : public QObject {
    Q_OBJECT

private slots:
    void mediaKindFollowsTheAddress_data()
    {
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<MediaKind>("kind");
        const auto wm = MediaKind::WindowsMedia;
        const auto real = MediaKind::Real;
        const auto snap = MediaKind::Snapshot;
        QTest::newRow("rtsp small") << QByteArray("rtsp://x/y") << real;
        QTest::newRow("rtsp capitals") << QByteArray("RTSP://X/Y") << real;
        QTest::newRow("pnm") << QByteArray("pnm://x/y") << real;
        QTest::newRow("pnm capitals") << QByteArray("PNM://x/y") << real;
        QTest::newRow(".RM") << QByteArray("http://x/a.RM") << real;
        QTest::newRow(".ram") << QByteArray("http://x/a.ram") << real;
        QTest::newRow(".rpm") << QByteArray("http://x/a.rpm") << real;
        QTest::newRow(".smi") << QByteArray("http://x/a.smi") << real;
        QTest::newRow(".smil") << QByteArray("http://x/a.smil") << real;
        QTest::newRow(".pls") << QByteArray("http://x/a.pls") << real;
        QTest::newRow("ends in rm without dot") << QByteArray("http://x/platform") << real;
        QTest::newRow(".rm? query") << QByteArray("http://x/a.rm?id=1") << real;
        QTest::newRow(".RAM? query") << QByteArray("http://x/a.RAM?x") << real;
        QTest::newRow(".smil? query") << QByteArray("http://x/a.smil?x") << real;
        QTest::newRow(".rpm? query") << QByteArray("http://x/a.rpm?x") << real;
        QTest::newRow(".smi? query") << QByteArray("http://x/a.smi?x") << real;
        QTest::newRow(".pls? query") << QByteArray("http://x/a.pls?x") << real;
        QTest::newRow(".rm then a blank") << QByteArray("http://x/a.rm ") << wm;
        QTest::newRow(".rm in the middle") << QByteArray("http://x/a.rm/live") << wm;
        QTest::newRow("leading blank before rtsp") << QByteArray(" rtsp://x") << wm;
        QTest::newRow(".jpg") << QByteArray("http://x/cam.jpg") << snap;
        QTest::newRow(".JPG with query") << QByteArray("http://x/cam.JPG?t=5") << snap;
        QTest::newRow(".jpg wins over rtsp and rm") << QByteArray("rtsp://x/a.jpg.rm") << snap;
        QTest::newRow(".jpg anywhere") << QByteArray("http://x/a.jpgx/live.asx") << snap;
        QTest::newRow(".jpeg") << QByteArray("http://x/cam.jpeg") << wm;
        QTest::newRow("mms") << QByteArray("mms://x/y") << wm;
        QTest::newRow(".asx") << QByteArray("http://x/a.asx") << wm;
        QTest::newRow("empty") << QByteArray() << wm;
        QTest::newRow("rm alone") << QByteArray("rm") << real;
        QTest::newRow("m alone") << QByteArray("m") << wm;
        QTest::newRow("rtsp: alone") << QByteArray("rtsp:") << real;
        QTest::newRow("rtsp without colon") << QByteArray("rtsp") << wm;
        QTest::newRow("protected address") << Bytes(EncipherString("rtsp://x/a.rm", "k", KeySize::Key256)) << wm;
        QTest::newRow("non-ASCII bytes not folded") << QByteArray("http://x/\xc3\x89.R\xc3\x89M") << wm;
        QTest::newRow("NUL inside") << QByteArray("a\0.rm", 5) << real;
    }
    void mediaKindFollowsTheAddress()
    {
        QFETCH(QByteArray, address);
        QFETCH(MediaKind, kind);
        QCOMPARE(ClassifyMediaKind(std::string_view(address.constData(), static_cast<std::size_t>(address.size()))),
                 kind);
    }

    void annotateAppendsTheKindOfEveryItem()
    {
        XmlDocument catalogue = XmlDocument::LoadBytes(PlainCatalogue().toStdString());
        AnnotateMediaKinds(catalogue);
        const auto items = catalogue.Root().ChildElements();
        const std::vector<std::vector<std::string>> expected = {{"0"}, {"1"}, {"2"}, {"0"}};
        for (std::size_t i = 0; i < items.size(); ++i) {
            QCOMPARE(ImgIndexes(items[i]), expected[i]);
            QCOMPARE(Bytes(items[i].ChildElements().back().Name()), QByteArray("imgindex")); // after the last child
        }
    }

    // Annotating twice appends a second imgindex; readers keep taking the first one.
    void annotatingAgainAppendsASecondCode()
    {
        XmlDocument catalogue =
            XmlDocument::LoadBytes("<items><item><id>1</id><imgindex>2</imgindex><url>rtsp://x</url></item></items>");
        AnnotateMediaKinds(catalogue);
        QCOMPARE(ImgIndexes(catalogue.Root().ChildElements()[0]), (std::vector<std::string>{"2", "1"}));
        const Catalogue reader = Catalogue::FromDocument(std::move(catalogue));
        QCOMPARE(Bytes(reader.FindChannelRecord("1")->imgindex), QByteArray("2"));
    }

    void encipherProtectsEveryAddressUnderThePassphrase()
    {
        const std::string passphrase = BuildStreamPassphrase();
        XmlDocument catalogue = XmlDocument::LoadBytes(PlainCatalogue().toStdString());
        EncipherCatalogueAddresses(catalogue, passphrase);
        const auto items = catalogue.Root().ChildElements();
        const std::vector<std::string> plain = {"http://a.example/live.asx", "rtsp://b.example/stream",
                                                "http://c.example/cam.JPG?t=1"};
        for (std::size_t i = 0; i < plain.size(); ++i) {
            const std::string url = items[i].ChildText("url");
            QCOMPARE(Bytes(url), Bytes(EncipherString(plain[i], passphrase, KeySize::Key256)));
            QCOMPARE(Bytes(TrimControlBytes(DecipherString(url, passphrase, KeySize::Key256))), Bytes(plain[i]));
        }
        QVERIFY(!items[3].FirstChildElement("url")); // nothing to protect, nothing added
    }

    void annotatingAfterProtectingGivesEveryItemZero()
    {
        XmlDocument catalogue = XmlDocument::LoadBytes(PlainCatalogue().toStdString());
        EncipherCatalogueAddresses(catalogue, "key");
        AnnotateMediaKinds(catalogue);
        for (const auto& item : catalogue.Root().ChildElements())
            QCOMPARE(ImgIndexes(item), std::vector<std::string>{"0"});
    }

    void fileCommandsWriteTheOutputAndLeaveTheInput()
    {
        const Folder folder;
        const auto in = folder / "tv-all.xml";
        QVERIFY(WriteBytes(in, PlainCatalogue()));
        AnnotateMediaKinds(in, folder / "annotated.xml");
        EncipherCatalogueAddresses(folder / "annotated.xml", folder / "prepared.xml", BuildStreamPassphrase());
        QCOMPARE(ReadBytes(in), PlainCatalogue());
        const QByteArray first = ReadBytes(folder / "prepared.xml");
        // Always starting from the input file, a second run gives the same output.
        EncipherCatalogueAddresses(folder / "annotated.xml", folder / "prepared.xml", BuildStreamPassphrase());
        QCOMPARE(ReadBytes(folder / "prepared.xml"), first);

        const Catalogue prepared = Catalogue::Load(folder / "prepared.xml");
        const ChannelRecord cam = *prepared.FindChannelRecord("3");
        QCOMPARE(Bytes(cam.imgindex), QByteArray("2"));
        QCOMPARE(Bytes(cam.name), QByteArray("Cam"));
        QCOMPARE(Bytes(TrimControlBytes(DecipherString(cam.url, BuildStreamPassphrase(), KeySize::Key256))),
                 QByteArray("http://c.example/cam.JPG?t=1"));
        QCOMPARE(Bytes(prepared.FindChannelRecord("1")->name), QByteArray("Caf\xc3\xa9 TV"));
    }

    void anEmptyCatalogueIsSavedUnchanged()
    {
        const Folder folder;
        QVERIFY(WriteBytes(folder / "in.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items/>\n"));
        AnnotateMediaKinds(folder / "in.xml", folder / "a.xml");
        EncipherCatalogueAddresses(folder / "in.xml", folder / "e.xml", "key");
        QCOMPARE(ReadBytes(folder / "a.xml"), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items/>\n"));
        QCOMPARE(ReadBytes(folder / "e.xml"), ReadBytes(folder / "a.xml"));
    }

    // A windows-1252 catalogue with accented names comes back in its encoding with the same names.
    void preparationKeepsTheNamesOfASingleByteCatalogue()
    {
        const Folder folder;
        AnnotateMediaKinds(FixturePath("catalogue-windows-1252.xml"), folder / "annotated.xml");
        EncipherCatalogueAddresses(folder / "annotated.xml", folder / "prepared.xml", "key");
        const QByteArray bytes = ReadBytes(folder / "prepared.xml");
        QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"windows-1252\"?>"));
        QVERIFY(bytes.contains("T\xe9l\xe9 Gen\xe8ve \x80uro"));
        const Catalogue original = Catalogue::Load(FixturePath("catalogue-windows-1252.xml"));
        const Catalogue prepared = Catalogue::Load(folder / "prepared.xml");
        for (const char* id : {"1", "2", "3"}) {
            QCOMPARE(Bytes(prepared.FindChannelRecord(id)->name), Bytes(original.FindChannelRecord(id)->name));
            QCOMPARE(Bytes(prepared.FindChannelRecord(id)->country), Bytes(original.FindChannelRecord(id)->country));
        }
    }

    void aMissingOrBrokenInputRaisesTheListFileErrorAndWritesNothing()
    {
        const Folder folder;
        QVERIFY(WriteBytes(folder / "out.xml", "previous"));
        QVERIFY_THROWS_EXCEPTION(ListFileError, AnnotateMediaKinds(folder / "missing.xml", folder / "out.xml"));
        QVERIFY(WriteBytes(folder / "broken.xml", "<items><item></items>"));
        QVERIFY_THROWS_EXCEPTION(ListFileError,
                                 EncipherCatalogueAddresses(folder / "broken.xml", folder / "out.xml", "k"));
        QCOMPARE(ReadBytes(folder / "out.xml"), QByteArray("previous"));
    }

    void anOutputThatCannotBeWrittenRaisesAnErrorAndKeepsTheOldFile()
    {
        const Folder folder;
        QVERIFY(WriteBytes(folder / "in.xml", PlainCatalogue()));
        QVERIFY(WriteBytes(folder / "file", "x"));
        QVERIFY_THROWS_EXCEPTION(XmlError, AnnotateMediaKinds(folder / "in.xml", folder / "file" / "out.xml"));
        std::filesystem::create_directory(folder / "dir");
        QVERIFY_THROWS_EXCEPTION(XmlError, EncipherCatalogueAddresses(folder / "in.xml", folder / "dir", "k"));
        QCOMPARE(FolderEntries(folder.Path()),
                 (QStringList{QStringLiteral("dir"), QStringLiteral("file"), QStringLiteral("in.xml")}));
    }
};

QTEST_APPLESS_MAIN(PreparationTest)
#include "test_preparation.moc"
