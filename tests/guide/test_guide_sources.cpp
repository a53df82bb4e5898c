// Guide sources: the list of guides kept across runs with those the playlists name, and
// refreshes against guides served on 127.0.0.1 (plain and gzip, whatever their names): downloaded
// and read, a failed download read from the copy of the last one, limits in words, a refresh that
// cannot read anything leaving the guide as it was, cancel, and the quiet start-up refresh that
// waits a day.
#include "guide/guide_refresh.h"
#include "guide/guide_sources.h"

#include "guide/guide_error.h"
#include "tests/support/media_server.h"
#include "tests/support/waits.h"
#include "xmltv_samples.h"

#include <QDateTime>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

using namespace zentavo;
using namespace zentavo::test;

namespace {

constexpr std::int64_t kHour = 3600;

void WriteFile(const std::filesystem::path& path, std::string_view bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// A shipped catalogue of two channels, whose names the served guides match.
std::string ShippedCatalogue()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n"
           "<item><id>1</id><name>Das Erste HD</name><country>Germany</country><bandwidth/><type2>tv</type2>"
           "<url>00</url><imgindex>0</imgindex></item>\n"
           "<item><id>2</id><name>ZDF</name><country>Germany</country><bandwidth/><type2>tv</type2>"
           "<url>00</url><imgindex>0</imgindex></item>\n</items>\n";
}

std::string GuideFor(const char* id, const char* name, const std::string& title)
{
    const std::int64_t now = QDateTime::currentSecsSinceEpoch();
    return Guide(Channel(id, {name}) + Programme({id, now - kHour, now + kHour, title}));
}

} // namespace

class GuideSourcesTest : public QObject {
    Q_OBJECT
    QTemporaryDir folder;
    std::filesystem::path root;
    std::unique_ptr<MediaServer> server;
    QNetworkAccessManager network;

    GuideRefreshSettings Settings() const
    {
        GuideRefreshSettings settings;
        settings.paths = {root / "cache/guide.sqlite", root / "data/guide-choices.sqlite"};
        settings.sourcesFile = root / "data/guide-sources.json";
        settings.shippedCatalogue = root / "tv-all.xml";
        settings.playlistsFolder = root / "data/playlists";
        return settings;
    }

    GuideRefreshResult Refresh(GuideRefresh& refresh, bool quiet = false)
    {
        QSignalSpy finished(&refresh, &GuideRefresh::Finished);
        refresh.Start(quiet);
        if (finished.isEmpty() && !finished.wait(Limit(30000)))
            QTest::qFail("the refresh did not finish", __FILE__, __LINE__);
        return refresh.Result();
    }

    std::string NowOn(const char* key) const
    {
        const GuideNowNext row = GuideStore(Settings().paths).NowNext(key, QDateTime::currentSecsSinceEpoch());
        return row.now ? row.now->title : std::string("(nothing)");
    }

private slots:
    void init()
    {
        root = std::filesystem::path(folder.path().toStdString()) / QTest::currentTestFunction();
        WriteFile(root / "tv-all.xml", ShippedCatalogue());
        WriteFile(root / "served/ard.xml", GuideFor("ard.de", "Das Erste", "Tagesschau"));
        // Gzip under a name that does not say so.
        WriteFile(root / "served/zdf.dat", Gzip(GuideFor("zdf.de", "ZDF", "heute")));
        server = std::make_unique<MediaServer>(QString::fromStdString((root / "served").string()));
    }

    void theListKeepsSourcesAndTheirPlaylists()
    {
        GuideSourceList list(Settings().sourcesFile);
        QVERIFY(list.Sources().empty());
        QVERIFY(list.SetPlaylistGuides("playlist-1", {"http://e/a.xml", "http://e/b.xml"}));
        QVERIFY(list.Add("http://e/c.xml"));
        QVERIFY(!list.Add("http://e/a.xml")); // listed already
        QVERIFY_THROWS_EXCEPTION(GuideError, list.Add("no such file or address"));
        QCOMPARE(list.Sources().size(), size_t(3));
        QCOMPARE(list.Sources()[0], (GuideSourceInfo{"http://e/a.xml", "playlist-1", 0, {}}));

        // A new reading of the playlist names b and c: a goes, b stays as it was (with its state), c
        // stays the user's; another playlist naming b adds nothing.
        std::vector<GuideSourceInfo> read = list.Sources();
        read[1].updated = 1700000000;
        list.Save(read);
        QVERIFY(!list.SetPlaylistGuides("playlist-1", {"http://e/b.xml", "http://e/c.xml"}));
        QVERIFY(!list.SetPlaylistGuides("playlist-2", {"http://e/b.xml"}));
        QCOMPARE(list.Sources(),
                 (std::vector<GuideSourceInfo>{{"http://e/b.xml", "playlist-1", 1700000000, {}},
                                               {"http://e/c.xml", "", 0, {}}}));
        // A playlist that names nothing any more, or is gone, takes its guides along; the user's stay.
        QVERIFY(!list.SetPlaylistGuides("playlist-1", {}));
        QCOMPARE(list.Sources(), (std::vector<GuideSourceInfo>{{"http://e/c.xml", "", 0, {}}}));
        QVERIFY(list.SetPlaylistGuides("playlist-3", {"http://e/d.xml"}));
        list.RemovePlaylist("playlist-3");
        QCOMPARE(list.Sources().size(), size_t(1));
        list.Remove("http://e/c.xml");
        QVERIFY(list.Sources().empty());

        WriteFile(Settings().sourcesFile, "{ not json");
        try {
            list.Sources();
            QFAIL("a damaged list was read");
        } catch (const GuideError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(QStringLiteral("damaged")), error.what());
        }
    }

    void aRefreshDownloadsAndReadsEveryGuide()
    {
        GuideSourceList list(Settings().sourcesFile);
        list.Add(server->Url(QStringLiteral("ard.xml")).toString().toStdString());
        list.Add(server->Url(QStringLiteral("zdf.dat")).toString().toStdString());
        GuideRefresh refresh(network, Settings());
        QSignalSpy progress(&refresh, &GuideRefresh::Progress);
        const GuideRefreshResult result = Refresh(refresh);
        QVERIFY2(result.outcome == GuideRefreshResult::Outcome::Done, qPrintable(result.message));
        QCOMPARE(result.summary.listChannelsMatched, 2L);
        QVERIFY2(result.message.contains(QStringLiteral("2 of the 2 channels")), qPrintable(result.message));
        QVERIFY(!progress.isEmpty());
        QCOMPARE(NowOn("1"), std::string("Tagesschau"));
        QCOMPARE(NowOn("2"), std::string("heute"));
        for (const GuideSourceInfo& source : list.Sources()) {
            QVERIFY(source.updated > 0);
            QVERIFY(source.problem.empty());
        }

        // The quiet refresh of the next start waits a day.
        const GuideRefreshResult quiet = Refresh(refresh, true);
        QVERIFY(quiet.outcome == GuideRefreshResult::Outcome::NothingToDo);
        QCOMPARE(server->RequestCount(QStringLiteral("ard.xml")), 1);
    }

    void aFailedDownloadIsReadFromTheCopyBefore()
    {
        GuideSourceList list(Settings().sourcesFile);
        list.Add(server->Url(QStringLiteral("ard.xml")).toString().toStdString());
        list.Add(server->Url(QStringLiteral("zdf.dat")).toString().toStdString());
        GuideRefresh refresh(network, Settings());
        QVERIFY(Refresh(refresh).outcome == GuideRefreshResult::Outcome::Done);

        server->AnswerStatus(QStringLiteral("zdf.dat"), 503, "Service Unavailable");
        WriteFile(root / "served/ard.xml", GuideFor("ard.de", "Das Erste", "Tatort"));
        const GuideRefreshResult result = Refresh(refresh);
        QVERIFY2(result.outcome == GuideRefreshResult::Outcome::Done, qPrintable(result.message));
        QVERIFY2(result.message.contains(QStringLiteral("503")), qPrintable(result.message));
        QCOMPARE(NowOn("1"), std::string("Tatort"));
        QCOMPARE(NowOn("2"), std::string("heute"));
        const std::vector<GuideSourceInfo> sources = list.Sources();
        QVERIFY(sources[1].problem.find("503") != std::string::npos);
    }

    void aRefreshThatReadsNothingKeepsTheGuide_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<QString>("words");
        QTest::newRow("not found") << "missing.xml" << qint64(1 << 20) << "404";
        QTest::newRow("too large") << "big.xml" << qint64(100) << "a guide may have";
        QTest::newRow("not a guide") << "page.html" << qint64(1 << 20) << "was not read";
    }
    void aRefreshThatReadsNothingKeepsTheGuide()
    {
        QFETCH(QString, path);
        QFETCH(qint64, maxBytes);
        QFETCH(QString, words);
        GuideSourceList list(Settings().sourcesFile);
        list.Add(server->Url(QStringLiteral("ard.xml")).toString().toStdString());
        GuideRefresh first(network, Settings());
        QVERIFY(Refresh(first).outcome == GuideRefreshResult::Outcome::Done);

        WriteFile(root / "served/page.html", "<html><body>Not a guide</body></html>");
        WriteFile(root / "served/big.xml", GuideFor("ard.de", "Das Erste", "Too big"));
        list.Remove(server->Url(QStringLiteral("ard.xml")).toString().toStdString());
        list.Add(server->Url(path).toString().toStdString());
        GuideRefreshSettings settings = Settings();
        settings.limits.maxBytes = maxBytes;
        GuideRefresh refresh(network, settings);
        const GuideRefreshResult result = Refresh(refresh);
        QVERIFY2(result.outcome == GuideRefreshResult::Outcome::Failed, qPrintable(result.message));
        QVERIFY2(result.message.contains(words), qPrintable(result.message));
        QCOMPARE(NowOn("1"), std::string("Tagesschau"));
    }

    void cancelLeavesTheGuide()
    {
        GuideSourceList list(Settings().sourcesFile);
        list.Add(server->Url(QStringLiteral("ard.xml")).toString().toStdString());
        GuideRefresh first(network, Settings());
        QVERIFY(Refresh(first).outcome == GuideRefreshResult::Outcome::Done);

        server->Stall(QStringLiteral("stalled.xml"));
        list.Add(server->Url(QStringLiteral("stalled.xml")).toString().toStdString());
        GuideRefresh refresh(network, Settings());
        QSignalSpy finished(&refresh, &GuideRefresh::Finished);
        refresh.Start();
        QTRY_COMPARE_WITH_TIMEOUT(server->RequestCount(QStringLiteral("stalled.xml")), 1, Limit(10000));
        QVERIFY(refresh.Running());
        refresh.Cancel();
        QCOMPARE(finished.size(), 1);
        QVERIFY(refresh.Result().outcome == GuideRefreshResult::Outcome::Cancelled);
        QCOMPARE(NowOn("1"), std::string("Tagesschau"));
        QVERIFY(!std::filesystem::exists(
            refresh.DownloadedCopy({server->Url(QStringLiteral("stalled.xml")).toString().toStdString(), {}, 0, {}})));
    }

    void aSilentServerEndsTheDownloadInWords()
    {
        server->Stall(QStringLiteral("stalled.xml"));
        GuideSourceList(Settings().sourcesFile)
            .Add(server->Url(QStringLiteral("stalled.xml")).toString().toStdString());
        GuideRefreshSettings settings = Settings();
        settings.limits.silenceMs = 300;
        GuideRefresh refresh(network, settings);
        const GuideRefreshResult result = Refresh(refresh);
        QVERIFY(result.outcome == GuideRefreshResult::Outcome::Failed);
        QVERIFY2(result.message.contains(QStringLiteral("sent nothing")), qPrintable(result.message));
    }

    void aGuideFileIsReadWhereItIs()
    {
        WriteFile(root / "mine.xml.gz", Gzip(GuideFor("ard.de", "Das Erste", "From a file")));
        GuideSourceList(Settings().sourcesFile).Add((root / "mine.xml.gz").string());
        GuideRefresh refresh(network, Settings());
        const GuideRefreshResult result = Refresh(refresh);
        QVERIFY2(result.outcome == GuideRefreshResult::Outcome::Done, qPrintable(result.message));
        QCOMPARE(NowOn("1"), std::string("From a file"));
    }
};

QTEST_GUILESS_MAIN(GuideSourcesTest)
#include "test_guide_sources.moc"
