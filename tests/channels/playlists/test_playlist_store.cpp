// The user's own playlists without a window: ids of their own range, the store's round trip, ids and
// favourites across a new reading, removal, the lists and favourites over both catalogues, and ids
// that collide across catalogues.
#include "channels/catalogue.h"
#include "channels/channel_id.h"
#include "channels/channel_lists.h"
#include "channels/favourites_store.h"
#include "channels/import/playlist_import.h"
#include "channels/playlists/combined_lists.h"
#include "channels/playlists/own_channel_id.h"
#include "channels/playlists/playlist_reading.h"
#include "channels/playlists/playlist_store.h"
#include "crypto/string_cipher.h"
#include "files/file_descriptor.h"

#include "core_test_files.h"

#include <QTest>

#include <ctime>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zentavo;
using namespace zentavo::test;

namespace {

constexpr const char* kPassphrase = "own playlists test passphrase";

ImportedChannel Channel(std::string name, std::string url, std::string type2 = "tv")
{
    ImportedChannel channel;
    channel.name = std::move(name);
    channel.country = "Germany";
    channel.type2 = std::move(type2);
    channel.url = std::move(url);
    return channel;
}

// id -> plain address of every item of an own catalogue.
std::map<std::string, std::string> IdsAndAddresses(const std::filesystem::path& catalogue)
{
    std::map<std::string, std::string> result;
    Catalogue::Load(catalogue).ForEachChannel([&](const ChannelRecord& record) {
        result[record.id] = TrimControlBytes(DecipherString(record.url, kPassphrase, KeySize::Key256));
    });
    return result;
}

std::string IdOf(const std::map<std::string, std::string>& ids, const std::string& address)
{
    for (const auto& [id, url] : ids) {
        if (url == address)
            return id;
    }
    return {};
}

using Strings = std::vector<std::string>;

Strings Captions(const std::vector<ListRow>& rows)
{
    Strings captions;
    for (const ListRow& row : rows)
        captions.push_back(row.caption);
    return captions;
}

struct Files {
    Folder folder;
    std::filesystem::path shipped = folder / "tv-all.xml";
    std::filesystem::path favourites = folder / "tv-list-fav.xml";
    PlaylistStore store{folder / "playlists"};
    Files()
    {
        WriteBytes(shipped,
                   CatalogueXml({ItemXml({"1", "Alpha TV", "Germany", "", "tv", "0", "u"}),
                                 ItemXml({"2", "Beta FM", "France", "64k", "radio", "1", "u"})}));
    }
};

} // namespace

class TestPlaylistStore : public QObject {
    Q_OBJECT
private slots:
    void ownIdsAreTheirOwnRange_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("own");
        QTest::newRow("first") << QStringLiteral("1000000000000000") << true;
        QTest::newRow("last") << QStringLiteral("1999999999999999") << true;
        QTest::newRow("past the end") << QStringLiteral("2000000000000000") << false;
        QTest::newRow("below") << QStringLiteral("999999999999999") << false;
        QTest::newRow("shipped") << QStringLiteral("542") << false;
        QTest::newRow("leading zero") << QStringLiteral("01000000000000000") << false;
        QTest::newRow("beyond 64 bits") << QStringLiteral("100000000000000000000") << false;
        QTest::newRow("empty") << QStringLiteral("") << false;
        QTest::newRow("sign") << QStringLiteral("+1000000000000000") << false;
    }
    void ownIdsAreTheirOwnRange()
    {
        QFETCH(QString, id);
        QFETCH(bool, own);
        QCOMPARE(IsOwnChannelId(id.toStdString()), own);
    }

    void preferredIdComesFromTheAddressAlone()
    {
        // A fixed value: a change of the hash would lose every favourite of the user's playlists.
        QCOMPARE(PreferredOwnId("http://example.com/live.m3u8"), std::uint64_t{1361434940027978});
        QCOMPARE(PreferredOwnId("HTTP://Example.COM/live.m3u8"), PreferredOwnId("http://example.com/live.m3u8"));
        QVERIFY(PreferredOwnId("http://example.com/Live.m3u8") != PreferredOwnId("http://example.com/live.m3u8"));
        QVERIFY(IsOwnChannelId(std::to_string(PreferredOwnId(""))));
    }

    void idsKeepPreviousOnesAndProbePastTakenOnes()
    {
        const std::vector<ImportedChannel> channels{
            Channel("A", "http://a.example/1"), Channel("B", "http://b.example/2"), Channel("C", "http://c.example/3")};
        const std::uint64_t a = PreferredOwnId("http://a.example/1");
        const std::uint64_t c = PreferredOwnId("http://c.example/3");
        // B had A's preferred id before: it keeps it, and A, coming first, moves on to the next one.
        // C's preferred id belongs to another playlist: C takes the next free one.
        const std::unordered_map<std::string, std::uint64_t> previous{{"http://b.example/2", a}};
        const std::vector<std::uint64_t> ids = AssignOwnIds(channels, previous, {c, c + 1});
        QCOMPARE(ids, (std::vector<std::uint64_t>{a + 1, a, c + 2}));
        QCOMPARE(AssignOwnIds(channels, previous, {c, c + 1}), ids);
        // Without history each takes its preferred id, whatever the order.
        const std::vector<std::uint64_t> fresh = AssignOwnIds(channels, {}, {});
        QCOMPARE(fresh[0], a);
        QCOMPARE(AssignOwnIds({channels[2], channels[0]}, {}, {}), (std::vector<std::uint64_t>{fresh[2], fresh[0]}));
    }

    void storeRoundTrip()
    {
        Files files;
        QVERIFY(files.store.Playlists().empty());
        const std::vector<ImportedChannel> channels{Channel("One", "http://one.example/live"),
                                                    Channel("Two & Co", "https://two.example/a.mp3", "radio")};
        const PlaylistInfo added =
            files.store.Add("My radios", "/home/me/radios.m3u", channels, kPassphrase, 1700000000);
        QCOMPARE(added.count, 2L);

        const std::vector<PlaylistInfo> listed = PlaylistStore(files.folder / "playlists").Playlists();
        QCOMPARE(listed.size(), size_t{1});
        QCOMPARE(listed[0].key, added.key);
        QCOMPARE(listed[0].name, std::string("My radios"));
        QCOMPARE(listed[0].source, std::string("/home/me/radios.m3u"));
        QCOMPARE(listed[0].count, 2L);
        QCOMPARE(listed[0].updated, std::int64_t{1700000000});

        // The catalogue is what the import command writes, ids of the own range in place of 1..n.
        const auto ids = IdsAndAddresses(files.store.CataloguePath(listed[0]));
        QCOMPARE(ids.size(), size_t{2});
        QCOMPARE(IdOf(ids, "http://one.example/live"), std::to_string(PreferredOwnId("http://one.example/live")));
        QCOMPARE(IdOf(ids, "https://two.example/a.mp3"), std::to_string(PreferredOwnId("https://two.example/a.mp3")));
        const auto record = Catalogue::Load(files.store.CataloguePath(listed[0]))
                                .FindChannelRecord(IdOf(ids, "https://two.example/a.mp3"));
        QVERIFY(record);
        QCOMPARE(record->name, std::string("Two & Co"));
        QCOMPARE(record->type2, std::string("radio"));
        QVERIFY(record->url != "https://two.example/a.mp3");
    }

    void groupNumberAndRequestHeadersRoundTrip()
    {
        // From the list's lines through the user's catalogue to the rows and the play's headers.
        Files files;
        PlaylistImport import({});
        import.AddPlaylist("#EXTM3U\n"
                           "#EXTINF:-1 tvg-chno=\"012\" group-title=\"News;Politics\",Headline & Co\n"
                           "#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11; Linux) a&b=c%d\n"
                           "#EXTVLCOPT:http-referrer=https://site.example/watch?v=1&t=2\n"
                           "http://one.example/live.m3u8|Cookie=k%3Dv%3B%20w%3D%3C%3E\n"
                           "#EXTINF:-1 group-title=\"\",Plain\n"
                           "http://two.example/live.m3u8\n",
                           "list.m3u");
        QCOMPARE(import.Channels().size(), size_t{2});
        const PlaylistInfo added = files.store.Add("Mine", "list.m3u", import.Channels(), kPassphrase, 1700000000);

        const QByteArray bytes = ReadBytes(files.store.CataloguePath(added));
        // Still one item a line, the new elements after the logo's place and before imgindex.
        QCOMPARE(bytes.count('\n'), 5);
        QVERIFY(bytes.contains("<group>News</group><number>12</number><headers>"));

        const auto ids = IdsAndAddresses(files.store.CataloguePath(added));
        const auto record = Catalogue::Load(files.store.CataloguePath(added))
                                .FindChannelRecord(IdOf(ids, "http://one.example/live.m3u8"));
        QVERIFY(record);
        QCOMPARE(record->name, std::string("Headline & Co"));
        QCOMPARE(record->country, std::string());
        const RequestHeaders headers = DecodedRequestHeaders(record->headers);
        QCOMPARE(headers,
                 (RequestHeaders{{"User-Agent", "Mozilla/5.0 (X11; Linux) a&b=c%d"},
                                 {"Referer", "https://site.example/watch?v=1&t=2"},
                                 {"Cookie", "k=v; w=<>"}}));
        const auto plain = Catalogue::Load(files.store.CataloguePath(added))
                               .FindChannelRecord(IdOf(ids, "http://two.example/live.m3u8"));
        QVERIFY(plain);
        QVERIFY(plain->headers.empty() && plain->group.empty() && plain->number.empty());

        const ChannelLists lists = BuildAllChannelLists(files.shipped, files.store);
        QCOMPARE(lists.tv.size(), size_t{3});
        QCOMPARE(lists.tv[1].group, std::string("News"));
        QCOMPARE(lists.tv[1].number, std::string("12"));
        QCOMPARE(lists.tv[2].group, std::string());
        QCOMPARE(lists.tv[2].number, std::string());
    }

    void guidesOfTheHeaderAreKeptWithThePlaylist()
    {
        // From the header through the index, as each reading of the playlist names them.
        Files files;
        PlaylistImport import({});
        import.AddPlaylist("#EXTM3U x-tvg-url=\"http://e/a.xml,https://e/b.xml.gz?k=1&v=<2>\"\n"
                           "#EXTINF:-1,One\nhttp://one.example/live\n",
                           "list.m3u");
        const Strings named{"http://e/a.xml", "https://e/b.xml.gz?k=1&v=<2>"};
        QCOMPARE(import.GuideAddresses(), named);
        const PlaylistInfo added =
            files.store.Add("Mine", "list.m3u", import.Channels(), kPassphrase, 1, {}, import.GuideAddresses());
        QCOMPARE(added.guides, named);
        QCOMPARE(files.store.Find(added.key)->guides, named);
        files.store.Replace(added.key, import.Channels(), kPassphrase, 2, {"http://e/c.xml"});
        QCOMPARE(files.store.Find(added.key)->guides, Strings{"http://e/c.xml"});
        files.store.Replace(added.key, import.Channels(), kPassphrase, 3, {});
        QVERIFY(files.store.Find(added.key)->guides.empty());
    }

    void sameAddressInTwoPlaylistsGetsTwoIds()
    {
        Files files;
        const std::vector<ImportedChannel> channels{Channel("One", "http://one.example/live")};
        const PlaylistInfo first = files.store.Add("First", "a.m3u", channels, kPassphrase, 1);
        const PlaylistInfo second = files.store.Add("Second", "b.m3u", channels, kPassphrase, 2);
        QVERIFY(first.key != second.key);
        const std::string firstId = IdsAndAddresses(files.store.CataloguePath(first)).begin()->first;
        const std::string secondId = IdsAndAddresses(files.store.CataloguePath(second)).begin()->first;
        QCOMPARE(firstId, std::to_string(PreferredOwnId("http://one.example/live")));
        QCOMPARE(secondId, std::to_string(PreferredOwnId("http://one.example/live") + 1));
        // Reading the first again leaves both ids where they were.
        files.store.Replace(first.key, channels, kPassphrase, 3);
        QCOMPARE(IdsAndAddresses(files.store.CataloguePath(first)).begin()->first, firstId);
        QCOMPARE(files.store.CatalogueHolding(secondId), std::optional(files.store.CataloguePath(second)));
        QCOMPARE(files.store.CatalogueHolding("1"), std::nullopt);
    }

    void refreshKeepsIdsAndFavourites()
    {
        Files files;
        const PlaylistInfo added =
            files.store.Add("List", "http://lists.example/tv.m3u",
                            {Channel("One", "http://one.example/live"), Channel("Two", "http://two.example/live"),
                             Channel("Gone", "http://gone.example/live")},
                            kPassphrase, 10);
        const auto before = IdsAndAddresses(files.store.CataloguePath(added));
        const std::string twoId = IdOf(before, "http://two.example/live");
        const std::string goneId = IdOf(before, "http://gone.example/live");
        QCOMPARE(AddFavourite(files.favourites, twoId), EditResult::Changed);
        QCOMPARE(SetFavouriteComment(files.favourites, twoId, "evening news"), EditResult::Changed);
        QCOMPARE(AddFavourite(files.favourites, goneId), EditResult::Changed);
        QCOMPARE(AddFavourite(files.favourites, "2"), EditResult::Changed);

        // The new reading has a new channel first, the others in another order, one gone.
        const PlaylistInfo refreshed = files.store.Replace(added.key,
                                                           {Channel("New", "http://new.example/live"),
                                                            Channel("Two (renamed)", "HTTP://TWO.example/live"),
                                                            Channel("One", "http://one.example/live")},
                                                           kPassphrase, 20);
        QCOMPARE(refreshed.count, 3L);
        QCOMPARE(refreshed.updated, std::int64_t{20});
        QCOMPARE(files.store.Playlists().size(), size_t{1});
        const auto after = IdsAndAddresses(files.store.CataloguePath(refreshed));
        QCOMPARE(IdOf(after, "http://one.example/live"), IdOf(before, "http://one.example/live"));
        QCOMPARE(IdOf(after, "HTTP://TWO.example/live"), twoId);

        const std::vector<ListRow> rows =
            BuildFavouriteRows(files.favourites, AllCataloguePaths(files.shipped, files.store));
        QCOMPARE(Captions(rows), (Strings{"Germany - Two (renamed)  [ evening news ]", "France - Beta FM"}));
        // The favourite of the channel that went is left out of the rows but kept in the file.
        QVERIFY(ReadBytes(files.favourites).contains(QByteArray::fromStdString(goneId)));
    }

    void removeHidesChannelsAndKeepsFavourites()
    {
        Files files;
        const PlaylistInfo kept =
            files.store.Add("Kept", "k.m3u", {Channel("Kept", "http://kept.example/1")}, kPassphrase, 1);
        const PlaylistInfo removed =
            files.store.Add("Removed", "r.m3u", {Channel("Removed", "http://removed.example/1")}, kPassphrase, 1);
        const std::string removedId = IdsAndAddresses(files.store.CataloguePath(removed)).begin()->first;
        QCOMPARE(AddFavourite(files.favourites, removedId), EditResult::Changed);
        const QByteArray favouritesBefore = ReadBytes(files.favourites);

        files.store.Remove(removed.key);
        const std::vector<PlaylistInfo> listed = files.store.Playlists();
        QCOMPARE(listed.size(), size_t{1});
        QCOMPARE(listed[0].key, kept.key);
        QVERIFY(!std::filesystem::exists(files.store.CataloguePath(removed)));
        QCOMPARE(files.store.CatalogueHolding(removedId), std::nullopt);
        QCOMPARE(ReadBytes(files.favourites), favouritesBefore);
        QVERIFY(BuildFavouriteRows(files.favourites, AllCataloguePaths(files.shipped, files.store)).empty());
        const ChannelLists lists = BuildAllChannelLists(files.shipped, files.store);
        QCOMPARE(Captions(lists.tv), (Strings{" Germany - Alpha TV", std::string(" Germany - Kept") + kOwnRowMarker}));
        // Removing what is gone already changes nothing; a new playlist does not take the old key's file.
        files.store.Remove(removed.key);
        QCOMPARE(files.store.Playlists().size(), size_t{1});
    }

    // What a player killed in the middle of a change leaves: the catalogue of an Add whose index was
    // never written, the temporary files of saves. They go at the next start; nothing else does.
    void leftoversOfInterruptedChangesGoAtStart()
    {
        Files files;
        const std::vector<ImportedChannel> channels{Channel("One", "http://one.example/live")};
        files.store.Add("A", "a.m3u", channels, kPassphrase, 1);
        files.store.Add("B", "b.m3u", channels, kPassphrase, 1);
        const std::filesystem::path folder = files.store.Folder();
        const auto write = [&folder](const char* name, std::int64_t secondsAgo = 0) {
            QVERIFY(WriteBytes(folder / name, "left"));
            const timespec times[2] = {{::time(nullptr) - secondsAgo, 0}, {::time(nullptr) - secondsAgo, 0}};
            QCOMPARE(::utimensat(AT_FDCWD, (folder / name).c_str(), times, 0), 0);
        };
        write("playlist-3.xml"); // an Add killed before its index
        write(".playlist-2.xml.save-99-Ab12Cd", 120); // a Refresh killed while it saved
        write(".playlists.xml.save-99-Zz9Yy8", 120);
        write(".playlist-3.xml.Qw3Er4", 120); // the earlier naming of temporary files
        // A save under way in this very process holds its temporary file locked.
        const std::string live = ".playlist-1.xml.save-" + std::to_string(::getpid()) + "-Live01";
        write(live.c_str());
        const FileDescriptor liveFd(::open((folder / live).c_str(), O_RDONLY | O_CLOEXEC));
        QCOMPARE(::flock(liveFd.Get(), LOCK_EX), 0);
        // Nothing of any other name, and nothing but regular files: a link is not followed.
        Folder outside;
        QVERIFY(WriteBytes(outside / "precious.xml", "precious"));
        std::filesystem::create_symlink(outside / "precious.xml", folder / "playlist-4.xml");
        std::filesystem::create_directory(folder / "playlist-5.xml");
        for (const char* name : {"notes.txt", "playlist-03.xml", "playlist-6.xml.bak", ".other.xml.save-99-Ab12Cd"})
            write(name, 120);
        const QStringList kept{QStringLiteral(".other.xml.save-99-Ab12Cd"),
                               QString::fromStdString(live),
                               QStringLiteral("notes.txt"),
                               QStringLiteral("playlist-03.xml"),
                               QStringLiteral("playlist-1.xml"),
                               QStringLiteral("playlist-2.xml"),
                               QStringLiteral("playlist-4.xml"),
                               QStringLiteral("playlist-5.xml"),
                               QStringLiteral("playlist-6.xml.bak"),
                               QStringLiteral("playlists.xml")};
        const QStringList before = FolderEntries(folder);
        QCOMPARE(before.size(), kept.size() + 4);

        // Not while another player changes the folder, nor when the index cannot be read.
        {
            const FileDescriptor busy(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            QCOMPARE(::flock(busy.Get(), LOCK_EX), 0);
            PlaylistStore(folder).RemoveLeftovers();
            QCOMPARE(FolderEntries(folder), before);
        }
        const QByteArray index = ReadBytes(folder / "playlists.xml");
        QVERIFY(WriteBytes(folder / "playlists.xml", "<playlists"));
        PlaylistStore(folder).RemoveLeftovers();
        QCOMPARE(FolderEntries(folder), before);
        QVERIFY(WriteBytes(folder / "playlists.xml", index));

        PlaylistStore(folder).RemoveLeftovers();
        QCOMPARE(FolderEntries(folder), kept);
        QCOMPARE(ReadBytes(outside / "precious.xml"), QByteArray("precious"));
        QCOMPARE(files.store.Playlists().size(), size_t{2});
        // A new playlist takes the number that the leftover had.
        QCOMPARE(files.store.Add("C", "c.m3u", channels, kPassphrase, 1).key, std::string("playlist-3"));
        // Remove takes the temporary files of its catalogue along.
        write(".playlist-2.xml.save-99-Ab12Cd", 120);
        files.store.Remove("playlist-2");
        QVERIFY(!FolderEntries(folder).contains(QStringLiteral(".playlist-2.xml.save-99-Ab12Cd")));
    }

    // Catalogues written before the import removed direction overrides, or by hand, still show rows
    // in order: the lists read names without them.
    void namesLoseDirectionOverridesWhenRead()
    {
        Files files;
        const std::string rlo = "\u202E";
        ImportedChannel evil = Channel(rlo + "Evil \u2067TV\u2069", "http://evil.example/live");
        evil.country = "\u202AGermany\u202C";
        const PlaylistInfo added = files.store.Add(rlo + "Mine", "m.m3u", {evil}, kPassphrase, 1);
        QCOMPARE(files.store.Playlists().at(0).name, std::string("Mine"));
        const ChannelLists lists = BuildAllChannelLists(files.shipped, files.store);
        QCOMPARE(lists.tv.back().caption, std::string(" Germany - Evil TV") + kOwnRowMarker);
        QCOMPARE(AddFavourite(files.favourites, lists.tv.back().id), EditResult::Changed);
        QCOMPARE(Captions(BuildFavouriteRows(files.favourites, AllCataloguePaths(files.shipped, files.store))),
                 (Strings{"Germany - Evil TV"}));
    }

    void listsShowBothCataloguesOwnRowsMarked()
    {
        Files files;
        files.store.Add("Mine", "m.m3u",
                        {Channel("Own TV", "http://own.example/tv"),
                         Channel("Own FM", "http://own.example/fm", "radio"),
                         Channel("Own cam", "http://own.example/cam.jpg", "webcam")},
                        kPassphrase, 1);
        const PlaylistInfo broken =
            files.store.Add("Broken", "b.m3u", {Channel("B", "http://b.example/")}, kPassphrase, 1);
        WriteBytes(files.store.CataloguePath(broken), "<items><item>");
        const ChannelLists lists = BuildAllChannelLists(files.shipped, files.store);
        const std::string marker = kOwnRowMarker;
        QCOMPARE(Captions(lists.tv), (Strings{" Germany - Alpha TV", " Germany - Own TV" + marker}));
        QCOMPARE(Captions(lists.radio), (Strings{" France - Beta FM  (64k)", " Germany - Own FM" + marker}));
        QCOMPARE(Captions(lists.webcam), (Strings{" Germany - Own cam" + marker}));
        QCOMPARE(lists.tv[1].id, std::to_string(PreferredOwnId("http://own.example/tv")));

        // An index that cannot be read lists no playlist; the shipped lists stay.
        WriteBytes(files.folder / "playlists" / "playlists.xml", "<playlists");
        QVERIFY_THROWS_EXCEPTION(ListFileError, files.store.Playlists());
        QCOMPARE(Captions(BuildAllChannelLists(files.shipped, files.store).tv), (Strings{" Germany - Alpha TV"}));
        QCOMPARE(AllCataloguePaths(files.shipped, files.store), (std::vector<std::filesystem::path>{files.shipped}));
    }

    // One id in two catalogues (a playlist file edited by hand, or by an older version): the lists
    // show the first holder's row only and name the others, and playing the id plays that row.
    void collidingIdsShowAndPlayTheFirstHolder()
    {
        Files files;
        const PlaylistInfo first =
            files.store.Add("First", "f.m3u", {Channel("One", "http://one.example/live")}, kPassphrase, 1);
        const PlaylistInfo second =
            files.store.Add("Second", "s.m3u",
                            {Channel("Other", "http://other.example/live"), Channel("Two", "http://two.example/live"),
                             Channel("Four", "http://four.example/live", "radio")},
                            kPassphrase, 2);
        const auto secondIds = IdsAndAddresses(files.store.CataloguePath(second));
        const std::string oneId = IdsAndAddresses(files.store.CataloguePath(first)).begin()->first;
        const std::string otherId = IdOf(secondIds, "http://other.example/live");
        const std::string twoId = IdOf(secondIds, "http://two.example/live");
        const std::string fourId = IdOf(secondIds, "http://four.example/live");
        // Other takes One's id; the shipped catalogue holds Two's id, on an item of no list.
        QByteArray edited = ReadBytes(files.store.CataloguePath(second));
        edited.replace(QByteArray::fromStdString(otherId), QByteArray::fromStdString(oneId));
        QVERIFY(WriteBytes(files.store.CataloguePath(second), edited));
        WriteBytes(files.shipped,
                   CatalogueXml({ItemXml({"1", "Alpha TV", "Germany", "", "tv", "0", "u"}),
                                 ItemXml({twoId, "Gamma", "Italy", "", "other", "0", "u"})}));

        const ChannelLists lists = BuildAllChannelLists(files.shipped, files.store);
        const std::string marker = kOwnRowMarker;
        QCOMPARE(Captions(lists.tv), (Strings{" Germany - Alpha TV", " Germany - One" + marker}));
        QCOMPARE(Captions(lists.radio), (Strings{" Germany - Four" + marker}));
        QCOMPARE(Captions(lists.leftOut), (Strings{" Germany - Other" + marker, " Germany - Two" + marker}));
        const std::string message = LeftOutRowsMessage(lists.leftOut);
        QVERIFY2(message.find("Germany - Other" + marker + " (id " + oneId + ")") != std::string::npos,
                 message.c_str());
        QVERIFY2(message.find("Germany - Two" + marker + " (id " + twoId + ")") != std::string::npos, message.c_str());

        // Playing an id plays the row shown for it, from the catalogue that holds that row.
        const struct {
            std::string id;
            std::filesystem::path catalogue;
            std::string address; // empty: an item of the shipped catalogue
        } plays[] = {
            {oneId, files.store.CataloguePath(first), "http://one.example/live"},
            {" " + oneId + "\n", files.store.CataloguePath(first), "http://one.example/live"},
            {fourId, files.store.CataloguePath(second), "http://four.example/live"},
            {twoId, files.shipped, ""},
            {"1", files.shipped, ""},
        };
        for (const auto& play : plays) {
            const std::filesystem::path catalogue = CatalogueShowing(files.shipped, files.store, play.id);
            QCOMPARE(catalogue, play.catalogue);
            if (!play.address.empty())
                QCOMPARE(IdsAndAddresses(catalogue).at(std::string(TrimXmlSpace(play.id))), play.address);
        }
        // The favourites rows name the same channel.
        QCOMPARE(AddFavourite(files.favourites, oneId), EditResult::Changed);
        QCOMPARE(Captions(BuildFavouriteRows(files.favourites, AllCataloguePaths(files.shipped, files.store))),
                 (Strings{"Germany - One"}));
    }

    void summaryInWords()
    {
        const PlaylistReading reading =
            ReadPlaylist("#EXTM3U\n#EXTINF:-1,One\nhttp://one.example/a\n"
                         "#EXTINF:-1,Again\nhttp://one.example/a\n#EXTINF:-1,Typo\nhhttps://x.example/\n"
                         "#EXTINF:-1,None\n",
                         "list.m3u");
        QCOMPARE(reading.channels.size(), size_t{1});
        const QString text = QString::fromStdString(SummaryInWords("Mine", reading.summary));
        QVERIFY2(text.startsWith(QStringLiteral(
                     "Imported 1 channel from \u201CMine\u201D.\nTV Stations: 1.\nLeft out 3 of 4 entries:")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("broken scheme: 1"))
                     && text.contains(QStringLiteral("duplicate address: 1"))
                     && text.contains(QStringLiteral("no address: 1")),
                 qPrintable(text));
        ImportSummary clean;
        clean.read = clean.imported = 2;
        QCOMPARE(SummaryInWords("X", clean), std::string("Imported 2 channels from \u201CX\u201D."));
        // Each tab that got channels, in the tabs' order.
        ImportSummary mixed;
        mixed.read = mixed.imported = 6;
        mixed.byType = {1, 0, 5};
        QCOMPARE(SummaryInWords("X", mixed),
                 std::string("Imported 6 channels from \u201CX\u201D.\nTV Stations: 1, Webcams: 5."));
    }

    void defaultNames_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("name");
        QTest::newRow("file") << QStringLiteral("/home/me/Radio Stations.m3u8") << QStringLiteral("Radio Stations");
        QTest::newRow("address") << QStringLiteral("https://iptv.example.org/lists/de.m3u?x=1")
                                 << QStringLiteral("iptv.example.org");
        QTest::newRow("address, upper-case scheme")
            << QStringLiteral("HTTP://Lists.example") << QStringLiteral("Lists.example");
    }
    void defaultNames()
    {
        QFETCH(QString, source);
        QFETCH(QString, name);
        QCOMPARE(QString::fromStdString(DefaultPlaylistName(source.toStdString())), name);
    }
};

QTEST_GUILESS_MAIN(TestPlaylistStore)
#include "test_playlist_store.moc"
