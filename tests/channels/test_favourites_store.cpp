// Favourites store, file side: the empty store, ADD, DEL, ADDCOMMENT, the rows, and files that fail.
#include "channels/catalogue.h"
#include "channels/favourites_store.h"

#include "core_test_files.h"

#include <QTest>

#include <sys/stat.h>

using namespace zentavo;
using namespace zentavo::test;

namespace {

const QByteArray kEmptyStore = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items/>\n";

QByteArray Catalogue3()
{
    return CatalogueXml({
        ItemXml({"3", "Alpha TV", "Germany", "300k", "tv", "0", "u"}),
        ItemXml({"17", "Beta FM", "France", "64k", "radio", "1", "u"}),
        ItemXml({"5", "Harbour cam", "Norway", "", "webcam", "x", "u"}),
    });
}

QByteArray Store(const char* items)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>") + items + "</items>\n";
}

struct Files {
    Folder folder;
    std::filesystem::path favourites = folder / "tv-list-fav.xml";
    std::filesystem::path catalogue = folder / "tv-all.xml";
    Files() { WriteBytes(catalogue, Catalogue3()); }
};

QStringList Captions(const std::vector<ListRow>& rows)
{
    QStringList captions;
    for (const auto& row : rows)
        captions << QString::fromStdString(row.caption);
    return captions;
}

} // namespace

class FavouritesStoreTest : public QObject {
    Q_OBJECT

private slots:
    void anEmptyStoreIsADeclarationAndAnEmptyRoot()
    {
        const Files files;
        QVERIFY(WriteBytes(files.favourites, Store("<item id=\"1\" comment=\"\"/>")));
        CreateEmptyFavourites(files.favourites);
        QCOMPARE(ReadBytes(files.favourites), kEmptyStore);
    }

    void addAppendsAnItemWithIdAndEmptyComment()
    {
        const Files files;
        QCOMPARE(AddFavourite(files.favourites, "17"), EditResult::Changed); // creates the missing file first
        QCOMPARE(AddFavourite(files.favourites, "3"), EditResult::Changed);
        QCOMPARE(ReadBytes(files.favourites), Store("<item id=\"17\" comment=\"\"/><item id=\"3\" comment=\"\"/>"));
        const auto rows = BuildFavouriteRows(files.favourites, files.catalogue);
        QCOMPARE(Captions(rows),
                 (QStringList{QStringLiteral("France - Beta FM"), QStringLiteral("Germany - Alpha TV")}));
    }

    void addingAFavouriteAgainLeavesTheFileUntouched_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::newRow("same id") << QByteArray("17");
        QTest::newRow("same number with leading zero") << QByteArray("017");
    }
    void addingAFavouriteAgainLeavesTheFileUntouched()
    {
        QFETCH(QByteArray, id);
        const Files files;
        const QByteArray before = Store("\n  <item id=\"17\" comment=\"mine\"/>\n");
        QVERIFY(WriteBytes(files.favourites, before));
        struct stat info {};
        QCOMPARE(::stat(files.favourites.c_str(), &info), 0);
        QCOMPARE(AddFavourite(files.favourites, id.toStdString()), EditResult::Unchanged);
        QCOMPARE(ReadBytes(files.favourites), before);
        struct stat after {};
        QCOMPARE(::stat(files.favourites.c_str(), &after), 0);
        QCOMPARE(after.st_ino, info.st_ino); // not even rewritten
    }

    void addRefusesTextThatIsNotAChannelId_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("word") << QByteArray("abc");
        QTest::newRow("path") << QByteArray("1] | /items/item[1");
        QTest::newRow("two numbers") << QByteArray("1 2");
        QTest::newRow("sign") << QByteArray("-1");
        QTest::newRow("blank only") << QByteArray(" ");
    }
    void addRefusesTextThatIsNotAChannelId()
    {
        QFETCH(QByteArray, id);
        const Files files;
        QVERIFY(WriteBytes(files.favourites, kEmptyStore));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, AddFavourite(files.favourites, id.toStdString()));
        QCOMPARE(ReadBytes(files.favourites), kEmptyStore);
    }

    // A favourite's id is data: the same number matches, whatever its zeros and blanks; text
    // that is not a number is never evaluated and finds nothing.
    void favouriteLookupsCompareIdsAsNumbersNeverAsExpressions_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<QByteArray>("comment"); // "-": nothing found
        QTest::newRow("same text") << QByteArray("3") << QByteArray("a");
        QTest::newRow("leading zero") << QByteArray("03") << QByteArray("a");
        QTest::newRow("blanks and zeros in the file") << QByteArray("17") << QByteArray("c");
        QTest::newRow("zero") << QByteArray("0") << QByteArray("d");
        QTest::newRow("attribute that names itself") << QByteArray("@id") << QByteArray("-");
        QTest::newRow("always true") << QByteArray("3 or 1=1") << QByteArray("-");
        QTest::newRow("union") << QByteArray("9]|/items/item[2") << QByteArray("-");
        QTest::newRow("word the file holds") << QByteArray("x") << QByteArray("-");
        QTest::newRow("fraction") << QByteArray("3.0") << QByteArray("-");
        QTest::newRow("empty") << QByteArray() << QByteArray("-");
    }
    void favouriteLookupsCompareIdsAsNumbersNeverAsExpressions()
    {
        QFETCH(QByteArray, id);
        QFETCH(QByteArray, comment);
        const Files files;
        const QByteArray store = Store("<item id=\"3\" comment=\"a\"/><item id=\"x\" comment=\"b\"/>"
                                       "<item id=\" 017\n\" comment=\"c\"/><item id=\"000\" comment=\"d\"/>");
        QVERIFY(WriteBytes(files.favourites, store));
        const auto found = FavouriteComment(files.favourites, id.toStdString());
        QCOMPARE(found ? QByteArray::fromStdString(*found) : QByteArray("-"), comment);
        QCOMPARE(SetFavouriteComment(files.favourites, id.toStdString(), "new"),
                 comment == "-" ? EditResult::Unchanged : EditResult::Changed);
        if (comment == "-") {
            QCOMPARE(RemoveFavourite(files.favourites, id.toStdString()), EditResult::Unchanged);
            QCOMPARE(ReadBytes(files.favourites), store);
        }
    }

    // Ids read from a hand-formatted catalogue keep their white space; they still select their item.
    void anIdWithWhiteSpaceAroundItIsStillAChannelId()
    {
        const Files files;
        QCOMPARE(AddFavourite(files.favourites, "\n  17\n"), EditResult::Changed);
        QCOMPARE(AddFavourite(files.favourites, "17"), EditResult::Unchanged);
        QCOMPARE(Captions(BuildFavouriteRows(files.favourites, files.catalogue)),
                 QStringList{QStringLiteral("France - Beta FM")});
        QCOMPARE(RemoveFavourite(files.favourites, "17"), EditResult::Changed);
    }

    void removeTakesOutTheFirstItemWithThatId()
    {
        const Files files;
        QVERIFY(WriteBytes(
            files.favourites,
            Store("<item id=\"3\" comment=\"\"/><item id=\"17\" comment=\"a\"/><item id=\"5\" comment=\"\"/>")));
        QCOMPARE(RemoveFavourite(files.favourites, "17"), EditResult::Changed);
        QCOMPARE(ReadBytes(files.favourites), Store("<item id=\"3\" comment=\"\"/><item id=\"5\" comment=\"\"/>"));
        const QByteArray before = ReadBytes(files.favourites);
        QCOMPARE(RemoveFavourite(files.favourites, "17"), EditResult::Unchanged);
        QCOMPARE(RemoveFavourite(files.favourites, "]["), EditResult::Unchanged);
        QCOMPARE(ReadBytes(files.favourites), before);
    }

    void commentsAreSetOrCreated()
    {
        const Files files;
        QVERIFY(WriteBytes(files.favourites, Store("<item id=\"3\" comment=\"old\"/><item id=\"17\"/>")));
        QCOMPARE(FavouriteComment(files.favourites, "3").value(), std::string("old"));
        QCOMPARE(FavouriteComment(files.favourites, "17").value(), std::string()); // no attribute reads as empty
        QVERIFY(!FavouriteComment(files.favourites, "99"));

        QCOMPARE(SetFavouriteComment(files.favourites, "17", "late & <great> \"show\""), EditResult::Changed);
        QCOMPARE(SetFavouriteComment(files.favourites, "3", "old"), EditResult::Changed); // saved even when the same
        QCOMPARE(SetFavouriteComment(files.favourites, "99", "x"), EditResult::Unchanged);
        QCOMPARE(FavouriteComment(files.favourites, "17").value(), std::string("late & <great> \"show\""));
        QCOMPARE(ReadBytes(files.favourites),
                 Store("<item id=\"3\" comment=\"old\"/><item id=\"17\" comment=\"late &amp; &lt;great&gt; "
                       "&quot;show&quot;\"/>"));
    }

    void rowsShowCatalogueDataAndTheirDecoration_data()
    {
        QTest::addColumn<QByteArray>("item");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("icon");
        QTest::newRow("plain") << QByteArray("<item id=\"3\" comment=\"\"/>") << QStringLiteral("Germany - Alpha TV")
                               << 0;
        QTest::newRow("comment") << QByteArray("<item id=\"3\" comment=\"news\"/>")
                                 << QStringLiteral("Germany - Alpha TV  [ news ]") << 0;
        QTest::newRow("bandwidth attribute") << QByteArray("<item id=\"17\" bandwidth=\"128k\" comment=\"\"/>")
                                             << QStringLiteral("France - Beta FM  (128k)") << 1;
        QTest::newRow("bandwidth and comment") << QByteArray("<item id=\"17\" comment=\"jazz\" bandwidth=\"128k\"/>")
                                               << QStringLiteral("France - Beta FM  (128k)  [ jazz ]") << 1;
        QTest::newRow("no comment attribute")
            << QByteArray("<item id=\"3\"/>") << QStringLiteral("Germany - Alpha TV") << 0;
        QTest::newRow("non-integer imgindex")
            << QByteArray("<item id=\"5\" comment=\"\"/>") << QStringLiteral("Norway - Harbour cam") << kNoIcon;
        QTest::newRow("blanks around the id")
            << QByteArray("<item id=\" 3\n\" comment=\"\"/>") << QStringLiteral("Germany - Alpha TV") << 0;
    }
    void rowsShowCatalogueDataAndTheirDecoration()
    {
        QFETCH(QByteArray, item);
        QFETCH(QString, caption);
        QFETCH(int, icon);
        const Files files;
        QVERIFY(WriteBytes(files.favourites, Store(item.constData())));
        const auto rows = BuildFavouriteRows(files.favourites, files.catalogue);
        QCOMPARE(rows.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(rows[0].caption), caption);
        QCOMPARE(rows[0].iconIndex, icon);
        QCOMPARE(Bytes(rows[0].id),
                 item.contains("\"17\"")      ? QByteArray("17")
                     : item.contains("\"5\"") ? QByteArray("5")
                                              : QByteArray("3"));
    }

    // Ids are compared as written: "03" and "3 or 1=1" name no channel.
    void favouritesTheCatalogueLacksAreLeftOut()
    {
        const Files files;
        QVERIFY(WriteBytes(files.favourites,
                           Store("<item id=\"99\" comment=\"gone\"/><item id=\"3\" comment=\"\"/><item comment=\"no "
                                 "id\"/><item id=\"x]\"/>"
                                 "<item id=\"03\"/><item id=\"3 or 1=1\"/><item id=\"3.0\"/>")));
        QCOMPARE(Captions(BuildFavouriteRows(files.favourites, files.catalogue)),
                 QStringList{QStringLiteral("Germany - Alpha TV")});
    }

    void rowsFollowTheCatalogueOfTheMoment()
    {
        const Files files;
        QVERIFY(WriteBytes(files.favourites, Store("<item id=\"3\" comment=\"\"/>")));
        QVERIFY(WriteBytes(files.catalogue, CatalogueXml({ItemXml({"3", "Renamed", "Austria", "", "tv", "1", "u"})})));
        const auto rows = BuildFavouriteRows(files.favourites, files.catalogue);
        QCOMPARE(Captions(rows), QStringList{QStringLiteral("Austria - Renamed")});
        QCOMPARE(rows[0].iconIndex, 1);
    }

    void aMissingStoreIsCreatedEmptyByTheListing()
    {
        const Files files;
        QVERIFY(BuildFavouriteRows(files.favourites, files.catalogue).empty());
        QCOMPARE(ReadBytes(files.favourites), kEmptyStore);
    }

    // A store that exists but cannot be loaded is reported and never overwritten, by any operation.
    void aBrokenStoreIsNeverOverwritten_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not well-formed") << QByteArray("<items><item id=\"3\" comment=\"precious\"></items>");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("another root") << QByteArray("<favourites><item id=\"3\"/></favourites>");
        QTest::newRow("binary") << QByteArray("\x00\x01\x02garbage", 10);
    }
    void aBrokenStoreIsNeverOverwritten()
    {
        QFETCH(QByteArray, content);
        const Files files;
        QVERIFY(WriteBytes(files.favourites, content));
        QVERIFY_THROWS_EXCEPTION(ListFileError, AddFavourite(files.favourites, "17"));
        QVERIFY_THROWS_EXCEPTION(ListFileError, RemoveFavourite(files.favourites, "3"));
        QVERIFY_THROWS_EXCEPTION(ListFileError, SetFavouriteComment(files.favourites, "3", "x"));
        QVERIFY_THROWS_EXCEPTION(ListFileError, FavouriteComment(files.favourites, "3"));
        QVERIFY_THROWS_EXCEPTION(ListFileError, BuildFavouriteRows(files.favourites, files.catalogue));
        QCOMPARE(ReadBytes(files.favourites), content);
    }

    // A store that is no regular file is the list-file error at once, never waited for, and
    // stays what it is.
    void aStoreThatIsNoRegularFileIsReportedWithoutWaiting_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << QStringLiteral("fifo");
        QTest::newRow("link to /dev/zero") << QStringLiteral("/dev/zero");
    }
    void aStoreThatIsNoRegularFileIsReportedWithoutWaiting()
    {
        QFETCH(QString, kind);
        const Files files;
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(files.favourites.c_str(), 0600), 0);
        else
            std::filesystem::create_symlink(kind.toStdString(), files.favourites);
        QVERIFY_THROWS_EXCEPTION(ListFileError, AddFavourite(files.favourites, "17"));
        QVERIFY_THROWS_EXCEPTION(ListFileError, BuildFavouriteRows(files.favourites, files.catalogue));
        const auto status = std::filesystem::symlink_status(files.favourites);
        QCOMPARE(status.type(),
                 kind == QLatin1String("fifo") ? std::filesystem::file_type::fifo
                                               : std::filesystem::file_type::symlink);
    }

    void theListingReportsACatalogueThatCannotBeLoaded()
    {
        const Files files;
        QVERIFY(WriteBytes(files.favourites, Store("<item id=\"3\" comment=\"\"/>")));
        QVERIFY(WriteBytes(files.catalogue, "<items>"));
        try {
            BuildFavouriteRows(files.favourites, files.catalogue);
            QFAIL("no error");
        } catch (const ListFileError& error) {
            QCOMPARE(QByteArray(error.what()), QByteArray(kListFileMessage));
        }
    }

    // A save that fails reports an error and leaves the file as it was.
    void aSaveThatFailsLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read-only file") << QStringLiteral("read-only");
        QTest::newRow("store is a folder") << QStringLiteral("folder");
        QTest::newRow("folder under a regular file") << QStringLiteral("under-file");
    }
    void aSaveThatFailsLeavesTheFileAsItWas()
    {
        QFETCH(QString, kind);
        const Files files;
        const QByteArray before = Store("<item id=\"3\" comment=\"\"/>");
        std::filesystem::path store = files.favourites;
        if (kind == QLatin1String("read-only")) {
            QVERIFY(WriteBytes(store, before));
            QVERIFY(::chmod(store.c_str(), 0444) == 0);
            QVERIFY_THROWS_EXCEPTION(XmlError, AddFavourite(store, "17"));
            QVERIFY_THROWS_EXCEPTION(XmlError, RemoveFavourite(store, "3"));
            QVERIFY_THROWS_EXCEPTION(XmlError, SetFavouriteComment(store, "3", "x"));
            QCOMPARE(ReadBytes(store), before);
            QCOMPARE(FolderEntries(files.folder.Path()),
                     (QStringList{QStringLiteral("tv-all.xml"), QStringLiteral("tv-list-fav.xml")}));
            return;
        }
        if (kind == QLatin1String("folder")) {
            std::filesystem::create_directory(store);
        } else {
            QVERIFY(WriteBytes(files.folder / "plain", "x"));
            store = files.folder / "plain" / "tv-list-fav.xml";
        }
        // The missing store cannot be created: the error reaches the caller.
        bool failed = false;
        try {
            AddFavourite(store, "17");
        } catch (const std::runtime_error&) {
            failed = true;
        }
        QVERIFY(failed);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, BuildFavouriteRows(store, files.catalogue));
        if (kind == QLatin1String("folder"))
            QVERIFY(std::filesystem::is_directory(store));
        else
            QCOMPARE(ReadBytes(files.folder / "plain"), QByteArray("x"));
    }

    // A favourites file that is a link, to a store or to nothing yet, is used where it points:
    // a missing store is created at the link's target, and the link stays a link.
    void aLinkedStoreIsUsedWhereItPoints_data()
    {
        QTest::addColumn<bool>("targetExists");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("dangling, listing") << false << QStringLiteral("list") << kEmptyStore;
        QTest::newRow("dangling, add") << false << QStringLiteral("add") << Store("<item id=\"17\" comment=\"\"/>");
        QTest::newRow("working, listing") << true << QStringLiteral("list") << Store("<item id=\"3\" comment=\"\"/>");
        QTest::newRow("working, add") << true << QStringLiteral("add")
                                      << Store("<item id=\"3\" comment=\"\"/><item id=\"17\" comment=\"\"/>");
    }
    void aLinkedStoreIsUsedWhereItPoints()
    {
        QFETCH(bool, targetExists);
        QFETCH(QString, operation);
        QFETCH(QByteArray, stored);
        const Files files;
        std::filesystem::create_directory(files.folder / "mine");
        const auto target = files.folder / "mine" / "favourites.xml";
        std::filesystem::create_symlink("mine/favourites.xml", files.favourites);
        if (targetExists)
            QVERIFY(WriteBytes(target, Store("<item id=\"3\" comment=\"\"/>")));

        if (operation == QLatin1String("list"))
            QCOMPARE(BuildFavouriteRows(files.favourites, files.catalogue).size(), std::size_t{targetExists ? 1u : 0u});
        else
            QCOMPARE(AddFavourite(files.favourites, "17"), EditResult::Changed);

        QCOMPARE(ReadBytes(target), stored);
        QVERIFY(std::filesystem::is_symlink(std::filesystem::symlink_status(files.favourites)));
        QCOMPARE(QString::fromStdString(std::filesystem::read_symlink(files.favourites).string()),
                 QStringLiteral("mine/favourites.xml"));
    }

    void deletingTheFileWhileRunningStartsAFreshStore()
    {
        const Files files;
        QCOMPARE(AddFavourite(files.favourites, "3"), EditResult::Changed);
        std::filesystem::remove(files.favourites);
        QCOMPARE(AddFavourite(files.favourites, "5"), EditResult::Changed);
        QCOMPARE(ReadBytes(files.favourites), Store("<item id=\"5\" comment=\"\"/>"));
    }

    // Each operation reads the file afresh, so changes made on disk in between survive.
    void changesMadeOnDiskBetweenCommandsSurvive()
    {
        const Files files;
        QCOMPARE(AddFavourite(files.favourites, "3"), EditResult::Changed);
        QVERIFY(
            WriteBytes(files.favourites, Store("<item id=\"3\" comment=\"\"/><item id=\"17\" comment=\"by hand\"/>")));
        QCOMPARE(AddFavourite(files.favourites, "5"), EditResult::Changed);
        QCOMPARE(FavouriteComment(files.favourites, "17").value(), std::string("by hand"));
        QCOMPARE(BuildFavouriteRows(files.favourites, files.catalogue).size(), std::size_t{3});
    }
};

QTEST_APPLESS_MAIN(FavouritesStoreTest)
#include "test_favourites_store.moc"
