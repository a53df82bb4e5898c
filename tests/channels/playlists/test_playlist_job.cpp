// Playlist jobs without a window: adding from a file and from an address on 127.0.0.1, downloads that
// fail (status, size, time), Cancel, a new reading that keeps ids or, when it fails, the old channels,
// and removal.
#include "channels/playlists/combined_lists.h"
#include "channels/playlists/own_channel_id.h"
#include "channels/playlists/playlist_job.h"
#include "channels/playlists/playlist_store.h"
#include "tests/support/media_server.h"

#include "core_test_files.h"
#include "tests/support/waits.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

using namespace zentavo;
using namespace zentavo::test;

namespace {

const QByteArray kList = "#EXTM3U\n"
                         "#EXTINF:-1 tvg-country=\"DE\",Erste\nhttp://erste.example/live.m3u8\n"
                         "#EXTINF:-1 radio=\"true\",Welle\nhttp://welle.example/stream.mp3\n"
                         "#EXTINF:-1,Broken\nhhttp://broken.example/\n";

struct Setup {
    Folder folder;
    Folder served;
    MediaServer server{QString::fromStdString(served.Path().string())};
    QNetworkAccessManager network;
    PlaylistJob job{network};
    PlaylistStore store{folder / "playlists"};

    Setup()
    {
        WriteBytes(folder / "tv-all.xml", CatalogueXml({ItemXml({"1", "Alpha TV", "Germany", "", "tv", "0", "u"})}));
        WriteBytes(served / "list.m3u", kList);
    }
    PlaylistJobRequest Request(PlaylistJobRequest::Kind kind = PlaylistJobRequest::Kind::Add) const
    {
        PlaylistJobRequest request;
        request.kind = kind;
        request.storeFolder = store.Folder();
        request.shippedCatalogue = folder / "tv-all.xml";
        request.favourites = folder / "tv-list-fav.xml";
        request.passphrase = "job test passphrase";
        return request;
    }
    const PlaylistJobResult& Run(PlaylistJobRequest request)
    {
        QSignalSpy finished(&job, &PlaylistJob::Finished);
        job.Start(std::move(request));
        if (!finished.wait(test::Limit(20000)))
            qFatal("the playlist job did not finish");
        return job.Result();
    }
    std::string Address(const char* path) const
    {
        return server.Url(QString::fromLatin1(path)).toString().toStdString();
    }
};

// An M3U list of count channels, with its header or as bare addresses one a line.
QByteArray Channels(int count, bool header = true)
{
    QByteArray list = header ? "#EXTM3U\n" : "";
    for (int i = 0; i < count; ++i)
        list += (header ? "#EXTINF:-1,Channel " + QByteArray::number(i) + "\n" : QByteArray()) + "http://c.example/"
            + QByteArray::number(i) + "\n";
    return list;
}

// What the network of a hotel or a café answers for every address until one signs in.
const QByteArray kSignInPage = "<!DOCTYPE html>\n<html><body><p>Welcome! Sign in at\n"
                               "http://login.hotel.example/\n</p></body></html>\n";

std::vector<std::string> Ids(const std::vector<ListRow>& rows)
{
    std::vector<std::string> ids;
    for (const ListRow& row : rows)
        ids.push_back(row.id);
    return ids;
}

} // namespace

class TestPlaylistJob : public QObject {
    Q_OBJECT
private slots:
    void addFromFileAndFromAddress()
    {
        Setup setup;
        PlaylistJobRequest fromFile = setup.Request();
        fromFile.source = (setup.served / "list.m3u").string();
        const PlaylistJobResult& file = setup.Run(fromFile);
        QCOMPARE(file.outcome, PlaylistJobResult::Outcome::Done);
        QCOMPARE(file.playlist.name, std::string("list"));
        QCOMPARE(file.summary.imported, 2L);
        QVERIFY2(file.message.contains(QStringLiteral("broken scheme: 1")), qPrintable(file.message));
        QVERIFY(file.lists && file.favourites);
        QCOMPARE(file.lists->tv.size(), size_t{2});
        QCOMPARE(file.lists->tv[1].caption, std::string(" Germany - Erste") + kOwnRowMarker);
        QCOMPARE(file.lists->radio.size(), size_t{1});

        PlaylistJobRequest fromAddress = setup.Request();
        fromAddress.source = setup.Address("list.m3u");
        fromAddress.name = "Served";
        const PlaylistJobResult& address = setup.Run(fromAddress);
        QCOMPARE(address.outcome, PlaylistJobResult::Outcome::Done);
        QCOMPARE(setup.server.RequestCount(QStringLiteral("list.m3u")), 1);
        QCOMPARE(address.playlist.source, fromAddress.source);
        // Both playlists list the same two addresses; the second's ids moved on past the first's.
        QCOMPARE(address.lists->tv.size(), size_t{3});
        QCOMPARE(address.lists->radio.size(), size_t{2});
        QVERIFY(address.lists->radio[0].id != address.lists->radio[1].id);
        QCOMPARE(setup.store.Playlists().size(), size_t{2});
    }

    void failuresSayWhy_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<QString>("words");
        QTest::newRow("missing") << QStringLiteral("missing.m3u") << 20000 << qint64{1 << 20} << QStringLiteral("404");
        QTest::newRow("too large") << QStringLiteral("list.m3u") << 20000 << qint64{40}
                                   << QStringLiteral("MB a playlist may have");
        QTest::newRow("too slow") << QStringLiteral("stalled.m3u") << 300 << qint64{1 << 20}
                                  << QStringLiteral("did not send the playlist within 0.3 seconds");
        QTest::newRow("no playlist") << QStringLiteral("binary.m3u") << 20000 << qint64{1 << 20}
                                     << QStringLiteral("not a playlist");
        QTest::newRow("no server") << QString() << 20000 << qint64{1 << 20}
                                   << QStringLiteral("could not be downloaded");
        QTest::newRow("other scheme") << QStringLiteral("ftp://127.0.0.1/list.m3u") << 20000 << qint64{1 << 20}
                                      << QStringLiteral("Only http:// and https:// addresses");
        QTest::newRow("missing file") << QStringLiteral("/nonexistent/folder/list.m3u") << 20000 << qint64{1 << 20}
                                      << QStringLiteral("/nonexistent/folder/list.m3u");
    }
    void failuresSayWhy()
    {
        QFETCH(QString, path);
        QFETCH(int, timeoutMs);
        QFETCH(qint64, maxBytes);
        QFETCH(QString, words);
        Setup setup;
        setup.server.Stall(QStringLiteral("stalled.m3u"));
        WriteBytes(setup.served / "stalled.m3u", kList);
        WriteBytes(setup.served / "binary.m3u",
                   QByteArray("\x7f"
                              "ELF\0\0\0binary",
                              13));
        PlaylistJobRequest request = setup.Request();
        // A path of the served folder, an address or file of its own, or (empty) where nothing listens.
        request.source = path.isEmpty() ? MediaServer::RefusedUrl(QStringLiteral("list.m3u")).toString().toStdString()
            : path.contains(QLatin1Char('/')) ? path.toStdString()
                                              : setup.Address(path.toLatin1().constData());
        request.limits.timeoutMs = timeoutMs;
        request.limits.maxBytes = maxBytes;
        const PlaylistJobResult& result = setup.Run(request);
        QCOMPARE(result.outcome, PlaylistJobResult::Outcome::Failed);
        QVERIFY2(result.message.contains(words), qPrintable(result.message));
        QVERIFY(setup.store.Playlists().empty());
    }

    // A page is refused in words whether the server calls it one or its content shows it; a
    // playlist that a script sends as text/html is still read.
    void webPagesAreNoPlaylists()
    {
        Setup setup;
        WriteBytes(setup.served / "page.m3u", kSignInPage);
        WriteBytes(setup.served / "typed.m3u", "Sign in first:\nhttp://login.hotel.example/\n");
        setup.server.SetContentType(QStringLiteral("page.m3u"), "text/plain");
        setup.server.SetContentType(QStringLiteral("typed.m3u"), "text/html; charset=utf-8");
        const std::pair<std::string, QString> pages[] = {
            {setup.Address("page.m3u"), QStringLiteral("The address answered with a web page, not a playlist.")},
            {setup.Address("typed.m3u"), QStringLiteral("The address answered with a web page, not a playlist.")},
            {(setup.served / "page.m3u").string(), QStringLiteral("This file is a web page, not a playlist.")},
        };
        for (const auto& [source, words] : pages) {
            PlaylistJobRequest request = setup.Request();
            request.source = source;
            const PlaylistJobResult& result = setup.Run(request);
            QCOMPARE(result.outcome, PlaylistJobResult::Outcome::Failed);
            QVERIFY2(result.message.startsWith(words), qPrintable(result.message));
            QVERIFY(!std::filesystem::exists(setup.store.Folder()));
        }
        setup.server.SetContentType(QStringLiteral("list.m3u"), "text/html");
        PlaylistJobRequest script = setup.Request();
        script.source = setup.Address("list.m3u");
        QCOMPARE(setup.Run(script).outcome, PlaylistJobResult::Outcome::Done);
    }

    // A file that is no regular file, or one beyond the limit, fails in words before it is read.
    void onlyRegularFilesWithinTheLimit()
    {
        Setup setup;
        const std::filesystem::path fifo = setup.served / "fifo.m3u";
        QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
        PlaylistJobRequest request = setup.Request();
        request.source = fifo.string();
        QCOMPARE(setup.Run(request).outcome, PlaylistJobResult::Outcome::Failed);
        QVERIFY2(setup.job.Result().message.endsWith(QStringLiteral("it is a pipe (FIFO), not a file")),
                 qPrintable(setup.job.Result().message));
        request.source = (setup.served / "list.m3u").string();
        request.limits.maxBytes = 40;
        QCOMPARE(setup.Run(request).outcome, PlaylistJobResult::Outcome::Failed);
        QVERIFY2(setup.job.Result().message.endsWith(QStringLiteral("MB a playlist may have")),
                 qPrintable(setup.job.Result().message));
        QVERIFY(setup.store.Playlists().empty());
        // Too many entries: refused in words, nothing kept.
        request.limits = DownloadLimits{};
        request.limits.maxEntries = 1;
        QCOMPARE(setup.Run(request).outcome, PlaylistJobResult::Outcome::Failed);
        QVERIFY2(
            setup.job.Result().message.contains(QStringLiteral(" entries, more than the 1 one playlist may have.")),
            qPrintable(setup.job.Result().message));
        QVERIFY(setup.store.Playlists().empty());
    }

    // A new reading replaces a playlist's channels only when it is a playlist by its content (or its
    // server says so) and keeps at least half of them or all but a few; else they stay, and the
    // result says why. Asked again with replaceAnyway, the reading replaces them.
    void refreshKeepsTheChannelsOfADoubtfulReading()
    {
        Setup setup;
        WriteBytes(setup.served / "list.m3u", Channels(12));
        PlaylistJobRequest add = setup.Request();
        add.source = setup.Address("list.m3u");
        const std::string key = setup.Run(add).playlist.key;
        QCOMPARE(setup.store.Find(key)->count, 12L);
        struct Step {
            const char* what;
            QByteArray body;
            QByteArray type;
            bool replaceAnyway;
            PlaylistJobResult::Outcome outcome;
            const char* words; // in the message
            long count; // listed after the step
        };
        using Outcome = PlaylistJobResult::Outcome;
        const Step steps[] = {
            {"sign-in page", kSignInPage, "text/html", false, Outcome::Failed, "keeps its 12 channels.", 12},
            {"sign-in page, replace anyway", kSignInPage, "text/plain", true, Outcome::Failed, "web page", 12},
            {"bare address", Channels(1, false), "text/plain", false, Outcome::Kept,
             "does not show that it is a playlist", 12},
            {"5 of 12", Channels(5), "text/plain", false, Outcome::Kept,
             "has 5 channels where the playlist had 12.\n\nThe playlist keeps its 12 channels.", 12},
            {"6 of 12: half is not most", Channels(6), "text/plain", false, Outcome::Done, "Imported 6", 6},
            {"1 of 6", Channels(1), "audio/x-mpegurl", false, Outcome::Kept, "has 1 channel where", 6},
            {"1 of 6, replace anyway", Channels(1), "audio/x-mpegurl", true, Outcome::Done, "Imported 1", 1},
            {"bare addresses the server calls a playlist", Channels(3, false), "audio/x-mpegurl", false, Outcome::Done,
             "Imported 3", 3},
            {"1 of 3: a few only", Channels(1), "text/plain", false, Outcome::Done, "Imported 1", 1},
        };
        for (const Step& step : steps) {
            WriteBytes(setup.served / "list.m3u", step.body);
            setup.server.SetContentType(QStringLiteral("list.m3u"), step.type);
            const QByteArray before = ReadBytes(setup.store.CataloguePath(*setup.store.Find(key)));
            const std::int64_t updated = setup.store.Find(key)->updated;
            PlaylistJobRequest refresh = setup.Request(PlaylistJobRequest::Kind::Refresh);
            refresh.key = key;
            refresh.replaceAnyway = step.replaceAnyway;
            const PlaylistJobResult& result = setup.Run(refresh);
            QVERIFY2(result.outcome == step.outcome, step.what);
            QVERIFY2(result.message.contains(QString::fromUtf8(step.words)),
                     qPrintable(QString::fromUtf8(step.what) + QStringLiteral(": ") + result.message));
            QVERIFY2(setup.store.Find(key)->count == step.count, step.what);
            if (step.outcome != Outcome::Done) {
                QVERIFY2(ReadBytes(setup.store.CataloguePath(*setup.store.Find(key))) == before, step.what);
                QVERIFY2(setup.store.Find(key)->updated == updated, step.what);
                QVERIFY2(!result.lists, step.what);
            }
        }
    }

    void cancelDuringDownload()
    {
        Setup setup;
        setup.server.Stall(QStringLiteral("list.m3u"));
        PlaylistJobRequest request = setup.Request();
        request.source = setup.Address("list.m3u");
        QSignalSpy finished(&setup.job, &PlaylistJob::Finished);
        setup.job.Start(request);
        QTRY_COMPARE_WITH_TIMEOUT(setup.server.RequestCount(QStringLiteral("list.m3u")), 1, test::Limit(5000));
        setup.job.Cancel();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(setup.job.Result().outcome, PlaylistJobResult::Outcome::Cancelled);
        QVERIFY(!setup.job.Running());
        QVERIFY(setup.store.Playlists().empty());
        // The job takes the next request as usual.
        WriteBytes(setup.served / "other.m3u", kList);
        request.source = setup.Address("other.m3u");
        QCOMPARE(setup.Run(request).outcome, PlaylistJobResult::Outcome::Done);
    }

    // Cancel while the worker reads a long list: nothing is written, and the job is free again.
    void cancelDuringImport()
    {
        Setup setup;
        QByteArray big = "#EXTM3U\n";
        for (int i = 0; i < 100000; ++i)
            big += "#EXTINF:-1,Channel " + QByteArray::number(i) + "\nhttp://c.example/" + QByteArray::number(i) + "\n";
        WriteBytes(setup.served / "big.m3u", big);
        PlaylistJobRequest request = setup.Request();
        request.source = (setup.served / "big.m3u").string();
        QSignalSpy finished(&setup.job, &PlaylistJob::Finished);
        // The worker is started when the job says it reads; the import of 100,000 entries takes far
        // longer than the Cancel that follows at once.
        connect(&setup.job, &PlaylistJob::Progress, &setup.job, [&setup](const QString& stage) {
            if (stage.startsWith(QStringLiteral("Reading")))
                setup.job.Cancel();
        });
        setup.job.Start(request);
        QVERIFY(finished.wait(test::Limit(60000)));
        QCOMPARE(setup.job.Result().outcome, PlaylistJobResult::Outcome::Cancelled);
        QVERIFY(setup.store.Playlists().empty());
        QVERIFY(!std::filesystem::exists(setup.store.Folder()));
    }

    void refreshKeepsIdsOrTheOldChannels()
    {
        Setup setup;
        PlaylistJobRequest add = setup.Request();
        add.source = setup.Address("list.m3u");
        const PlaylistJobResult& added = setup.Run(add);
        QCOMPARE(added.outcome, PlaylistJobResult::Outcome::Done);
        const std::string key = added.playlist.key;
        const std::vector<std::string> radioIds = Ids(added.lists->radio);
        const std::string erste = added.lists->tv[1].id;

        // A new reading with a channel more in front: the others keep their ids.
        WriteBytes(setup.served / "list.m3u", "#EXTM3U\n#EXTINF:-1,New\nhttp://new.example/a\n" + kList);
        PlaylistJobRequest refresh = setup.Request(PlaylistJobRequest::Kind::Refresh);
        refresh.key = key;
        const PlaylistJobResult& refreshed = setup.Run(refresh);
        QCOMPARE(refreshed.outcome, PlaylistJobResult::Outcome::Done);
        QCOMPARE(refreshed.playlist.count, 3L);
        QCOMPARE(refreshed.lists->tv.size(), size_t{3});
        QCOMPARE(refreshed.lists->tv[2].id, erste);
        QCOMPARE(Ids(refreshed.lists->radio), radioIds);
        const PlaylistInfo listed = *setup.store.Find(key);
        const QByteArray catalogue = ReadBytes(setup.store.CataloguePath(listed));

        // The server fails: the playlist keeps its channels and its time.
        setup.server.AnswerStatus(QStringLiteral("list.m3u"), 500);
        const PlaylistJobResult& failed = setup.Run(refresh);
        QCOMPARE(failed.outcome, PlaylistJobResult::Outcome::Failed);
        QVERIFY2(failed.message.contains(QStringLiteral("500")), qPrintable(failed.message));
        QCOMPARE(ReadBytes(setup.store.CataloguePath(listed)), catalogue);
        QCOMPARE(setup.store.Find(key)->updated, listed.updated);
        QCOMPARE(setup.store.Find(key)->count, 3L);
    }

    void chosenListHoldsOnRefresh()
    {
        Setup setup;
        PlaylistJobRequest add = setup.Request();
        add.source = setup.Address("list.m3u");
        add.type = ChannelType::Webcam;
        const PlaylistJobResult& added = setup.Run(add);
        QCOMPARE(added.outcome, PlaylistJobResult::Outcome::Done);
        QCOMPARE(added.lists->webcam.size(), size_t{2});
        QCOMPARE(added.lists->radio.size(), size_t{0});
        QCOMPARE(setup.store.Find(added.playlist.key)->type, std::string("webcam"));
        PlaylistJobRequest refresh = setup.Request(PlaylistJobRequest::Kind::Refresh);
        refresh.key = added.playlist.key;
        const PlaylistJobResult& refreshed = setup.Run(refresh);
        QCOMPARE(refreshed.outcome, PlaylistJobResult::Outcome::Done);
        QCOMPARE(refreshed.lists->webcam.size(), size_t{2});
        QCOMPARE(refreshed.lists->tv.size(), size_t{1});
    }

    void remove()
    {
        Setup setup;
        PlaylistJobRequest add = setup.Request();
        add.source = (setup.served / "list.m3u").string();
        const std::string key = setup.Run(add).playlist.key;
        PlaylistJobRequest remove = setup.Request(PlaylistJobRequest::Kind::Remove);
        remove.key = key;
        const PlaylistJobResult& removed = setup.Run(remove);
        QCOMPARE(removed.outcome, PlaylistJobResult::Outcome::Done);
        QCOMPARE(removed.lists->tv.size(), size_t{1});
        QVERIFY(removed.lists->radio.empty());
        QVERIFY(setup.store.Playlists().empty());
    }
};

QTEST_GUILESS_MAIN(TestPlaylistJob)
#include "test_playlist_job.moc"
