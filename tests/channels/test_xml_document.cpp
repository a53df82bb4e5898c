// XmlDocument: encodings, lossless saving, atomic replacement, safe parsing, XPath selection.
#include "channels/xml_document.h"

#include "core_test_files.h"

#include <QTest>

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zentavo;
using namespace zentavo::test;

class XmlDocumentTest : public QObject {
    Q_OBJECT

private slots:
    void cataloguesLoadInTheEncodingTheirDeclarationNames_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("firstName");
        QTest::addColumn<QByteArray>("secondCountry");
        QTest::newRow("UTF-8") << QStringLiteral("catalogue-utf-8.xml") << QByteArray("東京テレビ")
                               << QByteArray("Suisse");
        QTest::newRow("UTF-16 LE with BOM")
            << QStringLiteral("catalogue-utf-16.xml") << QByteArray("東京テレビ") << QByteArray("Suisse");
        QTest::newRow("UTF-16 BE with BOM")
            << QStringLiteral("catalogue-utf-16be.xml") << QByteArray("東京テレビ") << QByteArray("Suisse");
        QTest::newRow("ISO-8859-1") << QStringLiteral("catalogue-iso-8859-1.xml") << QByteArray("Télé Genève")
                                    << QByteArray("Danmark");
        QTest::newRow("windows-1252") << QStringLiteral("catalogue-windows-1252.xml") << QByteArray("Télé Genève €uro")
                                      << QByteArray("Österreich");
    }
    void cataloguesLoadInTheEncodingTheirDeclarationNames()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, firstName);
        QFETCH(QByteArray, secondCountry);
        const XmlDocument document = XmlDocument::LoadFile(FixturePath(file.toUtf8().constData()));
        const auto items = document.Root().ChildElements();
        QVERIFY(items.size() >= 2);
        QCOMPARE(Bytes(items[0].ChildText("name")), firstName);
        QCOMPARE(Bytes(items[1].ChildText("country")), secondCountry);
    }

    // A document saved again, with new characters the encoding lacks, loads with every character intact.
    void aSavedDocumentKeepsEveryCharacter_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("declaredEncoding");
        QTest::newRow("UTF-8") << QStringLiteral("catalogue-utf-8.xml") << QByteArray("UTF-8");
        QTest::newRow("UTF-16") << QStringLiteral("catalogue-utf-16.xml") << QByteArray("UTF-16");
        QTest::newRow("ISO-8859-1") << QStringLiteral("catalogue-iso-8859-1.xml") << QByteArray("ISO-8859-1");
        QTest::newRow("windows-1252") << QStringLiteral("catalogue-windows-1252.xml") << QByteArray("windows-1252");
    }
    void aSavedDocumentKeepsEveryCharacter()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, declaredEncoding);
        const Folder folder;
        XmlDocument document = XmlDocument::LoadFile(FixturePath(file.toUtf8().constData()));
        std::vector<std::string> before;
        for (const auto& item : document.Root().ChildElements())
            before.push_back(item.ChildText("name") + "|" + item.ChildText("country"));
        const std::string added = "snow ☃, euro €, ß & <tag> \"quoted\" 'single'";
        document.Root().AppendChild("item").AppendChild("name").SetText(added);
        document.Root().ChildElements().back().SetAttribute("note", added + "\ttab\nline");
        document.SaveFile(folder / "saved.xml");

        const QByteArray saved = ReadBytes(folder / "saved.xml");
        const QByteArray head = declaredEncoding == "UTF-16"
            ? QString::fromUtf16(reinterpret_cast<const char16_t*>(saved.constData() + 2), 60).toUtf8()
            : saved.left(60);
        QVERIFY2(head.contains("encoding=\"" + declaredEncoding + "\""), head.constData());

        const XmlDocument again = XmlDocument::LoadFile(folder / "saved.xml");
        const auto items = again.Root().ChildElements();
        QCOMPARE(items.size(), before.size() + 1);
        for (std::size_t i = 0; i < before.size(); ++i)
            QCOMPARE(Bytes(items[i].ChildText("name") + "|" + items[i].ChildText("country")), Bytes(before[i]));
        QCOMPARE(Bytes(items.back().ChildText("name")), Bytes(added));
        QCOMPARE(Bytes(items.back().Attribute("note").value()), Bytes(added + "\ttab\nline"));
    }

    // UTF-7 writes '<' as "+ADw-": a document saved in it could never be read again.
    void anEncodingThatCannotBeReadBackIsSavedAsUtf8()
    {
        XmlDocument document = XmlDocument::LoadBytes(
            "<?xml version=\"1.0\" encoding=\"UTF-7\"?>\n<items><item id=\"1\" comment=\"caf+AOk-\"/></items>\n");
        QCOMPARE(Bytes(*document.Root().FirstChildElement()->Attribute("comment")), QByteArray("caf\xc3\xa9"));
        document.Root().AppendChild("item").SetAttribute("id", "2");
        const std::string saved = document.SaveToBytes();
        QVERIFY(Bytes(saved).startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
        const XmlDocument again = XmlDocument::LoadBytes(saved);
        QCOMPARE(Bytes(*again.Root().FirstChildElement()->Attribute("comment")), QByteArray("caf\xc3\xa9"));
        QCOMPARE(again.Root().ChildElements().size(), std::size_t{2});
    }

    void aWindows1252FileStaysSingleByte()
    {
        const Folder folder;
        const XmlDocument document = XmlDocument::LoadFile(FixturePath("catalogue-windows-1252.xml"));
        document.SaveFile(folder / "saved.xml");
        const QByteArray saved = ReadBytes(folder / "saved.xml");
        QVERIFY(saved.contains("T\xe9l\xe9 Gen\xe8ve \x80uro"));
        QVERIFY(!saved.contains("\xc3\xa9"));
    }

    void textsAreCharactersNotMarkup()
    {
        XmlDocument document = XmlDocument::Create("items");
        XmlElement item = document.Root().AppendChild("item");
        item.SetText("a &amp; <b>c</b> &x;");
        item.SetAttribute("comment", "x=\"1\" & <y>");
        const XmlDocument again = XmlDocument::LoadBytes(document.SaveToBytes());
        QCOMPARE(Bytes(again.Root().FirstChildElement()->Text()), QByteArray("a &amp; <b>c</b> &x;"));
        QCOMPARE(Bytes(*again.Root().FirstChildElement()->Attribute("comment")), QByteArray("x=\"1\" & <y>"));
    }

    void textsXmlCannotStoreAreRefused_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("control character") << QByteArray("a\x01"
                                                         "b");
        QTest::newRow("escape character") << QByteArray("\x1b[0m");
        QTest::newRow("NUL") << QByteArray("a\0b", 3);
        QTest::newRow("invalid UTF-8") << QByteArray("caf\xe9");
    }
    void textsXmlCannotStoreAreRefused()
    {
        QFETCH(QByteArray, text);
        XmlDocument document = XmlDocument::Create("items");
        XmlElement item = document.Root().AppendChild("item");
        QVERIFY_THROWS_EXCEPTION(XmlError, item.SetText(text.toStdString()));
        QVERIFY_THROWS_EXCEPTION(XmlError, item.SetAttribute("comment", text.toStdString()));
        QVERIFY(!item.Attribute("comment"));
    }

    void aNewDocumentIsADeclarationAndAnEmptyRoot()
    {
        QCOMPARE(Bytes(XmlDocument::Create("items").SaveToBytes()),
                 QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items/>\n"));
    }

    void loadingFailsForFilesThatAreNotDocuments_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("pathKind");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("missing");
        QTest::newRow("a folder") << QByteArray() << QStringLiteral("folder");
        QTest::newRow("under a regular file") << QByteArray() << QStringLiteral("under-file");
        QTest::newRow("empty file") << QByteArray() << QStringLiteral("file");
        QTest::newRow("unclosed element") << QByteArray("<items><item></items>") << QStringLiteral("file");
        QTest::newRow("text only") << QByteArray("just text") << QStringLiteral("file");
        QTest::newRow("two roots") << QByteArray("<items/><items/>") << QStringLiteral("file");
        QTest::newRow("bad bytes for UTF-8")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><items>\xff\xfe</items>")
            << QStringLiteral("file");
        QTest::newRow("unknown encoding")
            << QByteArray("<?xml version=\"1.0\" encoding=\"x-no-such\"?><items/>") << QStringLiteral("file");
        QTest::newRow("undefined entity") << QByteArray("<items>&nothing;</items>") << QStringLiteral("file");
    }
    void loadingFailsForFilesThatAreNotDocuments()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, pathKind);
        const Folder folder;
        std::filesystem::path path = folder / "doc.xml";
        if (pathKind == QLatin1String("folder"))
            std::filesystem::create_directory(path);
        else if (pathKind == QLatin1String("under-file")) {
            QVERIFY(WriteBytes(path, "<items/>"));
            path /= "inner.xml";
        } else if (pathKind == QLatin1String("file"))
            QVERIFY(WriteBytes(path, content));
        QVERIFY_THROWS_EXCEPTION(XmlError, XmlDocument::LoadFile(path));
    }

    void anErrorNamesTheFileAndTheLine()
    {
        const Folder folder;
        QVERIFY(WriteBytes(folder / "bad.xml", "<items>\n<item>\n</items>\n"));
        try {
            XmlDocument::LoadFile(folder / "bad.xml");
            QFAIL("no error");
        } catch (const XmlError& error) {
            const QByteArray message = error.what();
            QVERIFY2(message.contains("bad.xml") && message.contains("line 3"), message.constData());
        }
    }

    // External entities are never read, and entity bombs are refused instead of expanded.
    void parsingReadsNoExternalEntityAndRefusesEntityBombs()
    {
        const Folder folder;
        QVERIFY(WriteBytes(folder / "secret.txt", "TOP SECRET"));
        const std::string secretUrl = "file://" + (folder / "secret.txt").string();
        const std::string xxe = "<?xml version=\"1.0\"?><!DOCTYPE items [<!ENTITY s SYSTEM \"" + secretUrl
            + "\">]><items><item><name>&s;</name></item></items>";
        const XmlDocument document = XmlDocument::LoadBytes(xxe);
        QVERIFY(!Bytes(document.Root().FirstChildElement()->ChildText("name")).contains("SECRET"));
        QVERIFY(!Bytes(document.SaveToBytes()).contains("TOP SECRET"));

        std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE items [<!ENTITY a0 \"aaaaaaaaaaaaaaaaaaaaaaaa\">";
        for (int level = 1; level <= 10; ++level) {
            bomb += "<!ENTITY a" + std::to_string(level) + " \"";
            for (int copy = 0; copy < 10; ++copy)
                bomb += "&a" + std::to_string(level - 1) + ";";
            bomb += "\">";
        }
        bomb += "]><items><item><name>&a10;</name></item></items>";
        QVERIFY_THROWS_EXCEPTION(XmlError, XmlDocument::LoadBytes(bomb));
    }

    void selectionTakesTheFirstElementInDocumentOrder_data()
    {
        QTest::addColumn<QString>("xpath");
        QTest::addColumn<QByteArray>("name"); // empty: nothing selected
        QTest::newRow("predicate") << QStringLiteral("/items/item[id=2]") << QByteArray("two");
        QTest::newRow("first of two matches") << QStringLiteral("/items/item[id>1]") << QByteArray("two");
        QTest::newRow("union in reverse order")
            << QStringLiteral("/items/item[3] | /items/item[2]") << QByteArray("two");
        QTest::newRow("no match") << QStringLiteral("/items/item[id=9]") << QByteArray();
        QTest::newRow("attribute is not an element") << QStringLiteral("/items/item/@x") << QByteArray();
        QTest::newRow("number, not a node-set") << QStringLiteral("count(/items/item)") << QByteArray();
        QTest::newRow("invalid path") << QStringLiteral("/items/item[id=") << QByteArray();
        QTest::newRow("empty path") << QString() << QByteArray();
        QTest::newRow("unknown function") << QStringLiteral("/items/item[nosuch(1)]") << QByteArray();
    }
    void selectionTakesTheFirstElementInDocumentOrder()
    {
        QFETCH(QString, xpath);
        QFETCH(QByteArray, name);
        const XmlDocument document = XmlDocument::LoadBytes(
            "<items><item x='1'><id>1</id><name>one</name></item><item><id>2</id><name>two</name></item>"
            "<item><id>3</id><name>three</name></item></items>");
        const auto found = document.SelectSingleNode(xpath.toStdString());
        QCOMPARE(found ? Bytes(found->ChildText("name")) : QByteArray(), name);
    }

    void selectionFromAnElementIsRelativeToIt()
    {
        const XmlDocument document =
            XmlDocument::LoadBytes("<items><item><url>a</url></item><item><url>b</url></item></items>");
        const auto second = document.Root().ChildElements()[1];
        QCOMPARE(Bytes(second.SelectSingleNode("url")->Text()), QByteArray("b"));
        QVERIFY(!second.SelectSingleNode("name"));
    }

    void childTextReadsTheFirstElementOfThatName()
    {
        const XmlDocument document = XmlDocument::LoadBytes(
            "<item><!-- note --><name>first<![CDATA[ & more]]></name><name>second</name><nameless>x</nameless>"
            "<empty/></item>");
        const XmlElement item = document.Root();
        QCOMPARE(Bytes(item.ChildText("name")), QByteArray("first & more"));
        QCOMPARE(Bytes(item.ChildText("empty")), QByteArray());
        QCOMPARE(Bytes(item.ChildText("missing")), QByteArray());
        QCOMPARE(Bytes(item.ChildText("nam")), QByteArray());
        QCOMPARE(item.ChildElements().size(), std::size_t{4});
    }

    void removedElementsLeaveTheDocument()
    {
        XmlDocument document = XmlDocument::LoadBytes("<items><item id='1'/><item id='2'/></items>");
        document.SelectSingleNode("/items/item[@id=1]")->Remove();
        QCOMPARE(Bytes(document.SaveToBytes()),
                 QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items><item id=\"2\"/></items>\n"));
    }

    void aSaveReplacesTheFileAndLeavesNoTemporaryFile()
    {
        const Folder folder;
        const auto path = folder / "doc.xml";
        QVERIFY(WriteBytes(path, "old content"));
        QVERIFY(::chmod(path.c_str(), 0640) == 0);
        XmlDocument::Create("items").SaveFile(path);
        QCOMPARE(ReadBytes(path), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items/>\n"));
        QCOMPARE(FolderEntries(folder.Path()), QStringList{QStringLiteral("doc.xml")});
        struct stat info {};
        QCOMPARE(::stat(path.c_str(), &info), 0);
        QCOMPARE(info.st_mode & 07777, 0640U); // the file keeps its permissions
    }

    // A process killed at any moment of a save leaves the old file or the new one, never a mix.
    void aSaveKilledMidwayLeavesAWholeFile()
    {
        const Folder folder;
        const auto path = folder / "doc.xml";
        std::string big;
        for (int i = 0; i < 20000; ++i)
            big += "<item><id>" + std::to_string(i) + "</id><name>channel name number " + std::to_string(i)
                + "</name></item>";
        const XmlDocument first = XmlDocument::LoadBytes("<items>" + big + "</items>");
        const XmlDocument second = XmlDocument::LoadBytes("<items>" + big + big + "</items>");
        const QByteArray firstBytes = Bytes(first.SaveToBytes());
        const QByteArray secondBytes = Bytes(second.SaveToBytes());
        first.SaveFile(path);
        for (int round = 0; round < 12; ++round) {
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                for (;;) {
                    second.SaveFile(path);
                    first.SaveFile(path);
                }
            }
            ::usleep(static_cast<useconds_t>(3000 + round * 2500));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            const QByteArray now = ReadBytes(path);
            QVERIFY2(now == firstBytes || now == secondBytes, "the file is neither the old nor the new document");
        }
        // The temporary files of the killed saves go with the next save.
        first.SaveFile(path);
        QCOMPARE(FolderEntries(folder.Path()), QStringList{QStringLiteral("doc.xml")});
    }

    // Before a save, temporary files that an earlier save of the same file left behind are
    // removed: only names that the writer makes, only when no live writer can own them.
    void aSaveRemovesTheStaleTemporaryFilesOfEarlierSaves_data()
    {
        QTest::addColumn<QString>("name"); // %dead: a process that has ended, %live: this test
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<bool>("removed");
        QTest::newRow("save of an ended process") << QStringLiteral(".doc.xml.save-%dead-a1B2c3") << 0 << true;
        QTest::newRow("save of an ended process, old") << QStringLiteral(".doc.xml.save-%dead-a1B2c3") << 3600 << true;
        QTest::newRow("save of a live process") << QStringLiteral(".doc.xml.save-%live-a1B2c3") << 0 << false;
        QTest::newRow("earlier naming, old") << QStringLiteral(".doc.xml.Qw3rTy") << 3600 << true;
        QTest::newRow("earlier naming, fresh") << QStringLiteral(".doc.xml.Qw3rTy") << 0 << false;
        QTest::newRow("another file's save") << QStringLiteral(".other.xml.save-%dead-a1B2c3") << 3600 << false;
        QTest::newRow("not a process id") << QStringLiteral(".doc.xml.save-12x4-a1B2c3") << 3600 << false;
        QTest::newRow("suffix too short") << QStringLiteral(".doc.xml.save-%dead-a1B2c") << 3600 << false;
        QTest::newRow("a name of the user's") << QStringLiteral("doc.xml.bak") << 3600 << false;
        QTest::newRow("without the dot") << QStringLiteral("doc.xml.Qw3rTy") << 3600 << false;
    }
    void aSaveRemovesTheStaleTemporaryFilesOfEarlierSaves()
    {
        QFETCH(QString, name);
        QFETCH(int, ageSeconds);
        QFETCH(bool, removed);
        const pid_t ended = ::fork();
        if (ended == 0)
            ::_exit(0);
        QVERIFY(ended > 0);
        QCOMPARE(::waitpid(ended, nullptr, 0), ended);
        name.replace(QStringLiteral("%dead"), QString::number(ended));
        name.replace(QStringLiteral("%live"), QString::number(::getpid()));

        const Folder folder;
        const auto stale = folder.Path() / name.toStdString();
        QVERIFY(WriteBytes(stale, "half a document"));
        const struct timespec times[2] = {{::time(nullptr) - ageSeconds, 0}, {::time(nullptr) - ageSeconds, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, stale.c_str(), times, 0), 0);

        XmlDocument::Create("items").SaveFile(folder / "doc.xml");
        QCOMPARE(std::filesystem::exists(stale), !removed);
        QVERIFY(FolderEntries(folder.Path()).contains(QStringLiteral("doc.xml")));
    }

    // A saved path that is a link, working or dangling, is written where the link points (the
    // chain followed to its end, relative links from their own folder); the link itself stays.
    void aSaveThroughALinkWritesWhereItPoints_data()
    {
        QTest::addColumn<QString>("link"); // the link's text, as readlink gives it back
        QTest::addColumn<QString>("target"); // the file that receives the document, under the folder
        QTest::addColumn<bool>("targetExists");
        QTest::newRow("working, absolute") << QStringLiteral("@/real.xml") << QStringLiteral("real.xml") << true;
        QTest::newRow("working, relative") << QStringLiteral("real.xml") << QStringLiteral("real.xml") << true;
        QTest::newRow("dangling, absolute") << QStringLiteral("@/real.xml") << QStringLiteral("real.xml") << false;
        QTest::newRow("dangling, relative") << QStringLiteral("real.xml") << QStringLiteral("real.xml") << false;
        QTest::newRow("dangling, into a subfolder")
            << QStringLiteral("sub/real.xml") << QStringLiteral("sub/real.xml") << false;
        QTest::newRow("chain ending dangling")
            << QStringLiteral("sub/hop.xml") << QStringLiteral("sub/real.xml") << false;
        QTest::newRow("chain ending in a file")
            << QStringLiteral("sub/hop.xml") << QStringLiteral("sub/real.xml") << true;
    }
    void aSaveThroughALinkWritesWhereItPoints()
    {
        QFETCH(QString, link);
        QFETCH(QString, target);
        QFETCH(bool, targetExists);
        const Folder folder;
        std::filesystem::create_directory(folder / "sub");
        // sub/hop.xml is a relative link inside sub/, resolved from sub/ and not from the folder.
        std::filesystem::create_symlink("real.xml", folder / "sub" / "hop.xml");
        const std::string text =
            link.startsWith(u'@') ? folder.Path().string() + link.mid(1).toStdString() : link.toStdString();
        std::filesystem::create_symlink(text, folder / "link.xml");
        if (targetExists)
            QVERIFY(WriteBytes(folder.Path() / target.toStdString(), "old"));

        XmlDocument::Create("items").SaveFile(folder / "link.xml");

        QVERIFY(std::filesystem::is_symlink(std::filesystem::symlink_status(folder / "link.xml")));
        QCOMPARE(QString::fromStdString(std::filesystem::read_symlink(folder / "link.xml").string()),
                 QString::fromStdString(text));
        QCOMPARE(ReadBytes(folder.Path() / target.toStdString()),
                 QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items/>\n"));
    }

    // A link that cannot be followed to a writable place is refused in words and stays as it was.
    void aLinkThatLeadsNowhereIsRefusedAndKept_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("words");
        QTest::newRow("into a missing folder")
            << QStringLiteral("no-such-folder/real.xml") << QStringLiteral("No such file or directory");
        QTest::newRow("a loop") << QStringLiteral("link.xml") << QStringLiteral("Too many levels of symbolic links");
        QTest::newRow("to a folder") << QStringLiteral("sub") << QStringLiteral("Is a directory");
    }
    void aLinkThatLeadsNowhereIsRefusedAndKept()
    {
        QFETCH(QString, link);
        QFETCH(QString, words);
        const Folder folder;
        std::filesystem::create_directory(folder / "sub");
        std::filesystem::create_symlink(link.toStdString(), folder / "link.xml");
        try {
            XmlDocument::Create("items").SaveFile(folder / "link.xml");
            QFAIL("the save must fail");
        } catch (const XmlError& error) {
            const QString message = QString::fromUtf8(error.what());
            QVERIFY2(message.startsWith(QStringLiteral("Cannot save ")
                                        + QString::fromStdString((folder / "link.xml").string())),
                     error.what());
            QVERIFY2(message.contains(words), error.what());
        }
        QCOMPARE(QString::fromStdString(std::filesystem::read_symlink(folder / "link.xml").string()), link);
        // Dangling links too: QDir would not list them.
        std::size_t entries = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path())) {
            QVERIFY2(entry.path().filename() == "link.xml" || entry.path().filename() == "sub", entry.path().c_str());
            ++entries;
        }
        QCOMPARE(entries, std::size_t{2});
    }

    // A save that cannot complete raises XmlError and leaves what was there whole.
    void aFailedSaveLeavesThePreviousFileWhole_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read-only file") << QStringLiteral("read-only");
        QTest::newRow("a folder in its place") << QStringLiteral("folder");
        QTest::newRow("path under a regular file") << QStringLiteral("under-file");
        QTest::newRow("missing folder") << QStringLiteral("missing-folder");
    }
    void aFailedSaveLeavesThePreviousFileWhole()
    {
        QFETCH(QString, kind);
        const Folder folder;
        auto path = folder / "doc.xml";
        QVERIFY(WriteBytes(path, "previous"));
        if (kind == QLatin1String("read-only")) {
            QVERIFY(::chmod(path.c_str(), 0444) == 0);
        } else if (kind == QLatin1String("folder")) {
            std::filesystem::remove(path);
            std::filesystem::create_directory(path);
            QVERIFY(WriteBytes(path / "inside", "kept"));
        } else if (kind == QLatin1String("under-file")) {
            path /= "inner.xml";
        } else {
            path = folder / "no-such-folder" / "doc.xml";
        }
        QVERIFY_THROWS_EXCEPTION(XmlError, XmlDocument::Create("items").SaveFile(path));
        if (kind == QLatin1String("folder"))
            QCOMPARE(ReadBytes(folder / "doc.xml" / "inside"), QByteArray("kept"));
        else
            QCOMPARE(ReadBytes(folder / "doc.xml"), QByteArray("previous"));
        const QStringList entries = FolderEntries(folder.Path());
        QCOMPARE(entries, QStringList{QStringLiteral("doc.xml")});
    }
};

QTEST_APPLESS_MAIN(XmlDocumentTest)
#include "test_xml_document.moc"
