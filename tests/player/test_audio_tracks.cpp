// The sound tracks as the host reads them from the page, names them in the menu and keeps the
// user's choice per channel: the page's words (hostile ones included), the labels, finding a kept
// choice among the tracks of a later play, the store's file across a restart, and the flow of a play.
#include "player/audio_track_choices.h"
#include "player/audio_tracks.h"
#include "player/channel_audio_tracks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace zentavo;

Q_DECLARE_METATYPE(zentavo::AudioTracks)
Q_DECLARE_METATYPE(zentavo::AudioTrackChoice)

namespace {

AudioTracks Tracks(std::initializer_list<AudioTrack> tracks, int current)
{
    return {QList<AudioTrack>(tracks), current};
}

std::filesystem::path PathOf(const QString& path)
{
    return std::filesystem::path(path.toStdString());
}

} // namespace

class AudioTracksTest : public QObject {
    Q_OBJECT

private slots:
    void readsThePagesWords_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<bool>("read");
        QTest::addColumn<AudioTracks>("expected");
        QTest::newRow("two tracks, the second plays")
            << QStringLiteral("{\"tracks\":[{\"name\":\"English\",\"language\":\"eng\"},{\"name\":\"Français\","
                              "\"language\":\"fra\"}],\"current\":1}")
            << true
            << Tracks({{QStringLiteral("English"), QStringLiteral("eng")},
                       {QStringLiteral("Français"), QStringLiteral("fra")}},
                      1);
        QTest::newRow("no tracks") << QStringLiteral("{\"tracks\":[],\"current\":-1}") << true << AudioTracks{};
        QTest::newRow("current outside the tracks") << QStringLiteral("{\"tracks\":[{\"name\":\"a\"}],\"current\":3}")
                                                    << true << Tracks({{QStringLiteral("a"), {}}}, -1);
        QTest::newRow("current not a whole number")
            << QStringLiteral("{\"tracks\":[{\"name\":\"a\"},{\"name\":\"b\"}],\"current\":0.5}") << true
            << Tracks({{QStringLiteral("a"), {}}, {QStringLiteral("b"), {}}}, -1);
        QTest::newRow("control and format characters, line breaks")
            << QStringLiteral(
                   "{\"tracks\":[{\"name\":\"Dir\\u202eector\\ncut\\u0007\",\"language\":\"en\\tg\"}],\"current\":0}")
            << true << Tracks({{QStringLiteral("Dir ector cut"), QStringLiteral("en g")}}, 0);
        QTest::newRow("markup stays text")
            << QStringLiteral("{\"tracks\":[{\"name\":\"<b>Bold</b> & co\",\"language\":\"x\"}],\"current\":0}") << true
            << Tracks({{QStringLiteral("<b>Bold</b> & co"), QStringLiteral("x")}}, 0);
        QTest::newRow("fields of other types are empty")
            << QStringLiteral("{\"tracks\":[{\"name\":7,\"language\":null}, \"odd\"],\"current\":\"1\"}") << true
            << Tracks({{}, {}}, -1);
        QTest::newRow("not JSON") << QStringLiteral("tracks") << false << AudioTracks{};
        QTest::newRow("no list of tracks") << QStringLiteral("{\"tracks\":{\"name\":\"a\"}}") << false << AudioTracks{};
        QTest::newRow("an array") << QStringLiteral("[{\"name\":\"a\"}]") << false << AudioTracks{};
    }

    void readsThePagesWords()
    {
        QFETCH(QString, json);
        QFETCH(bool, read);
        QFETCH(AudioTracks, expected);
        const std::optional<AudioTracks> tracks = ReadAudioTracks(json);
        QCOMPARE(tracks.has_value(), read);
        if (read)
            QCOMPARE(*tracks, expected);
    }

    void boundsWhatThePageSays()
    {
        // Long names are cut, without leaving half a character; only so many tracks are read.
        const QString longName = QString(kLongestTrackText - 1, QLatin1Char('a')) + QStringLiteral("\U0001F600tail");
        QString json = QStringLiteral("{\"tracks\":[");
        for (int i = 0; i < 100; ++i)
            json += QStringLiteral("{\"name\":\"%1\",\"language\":\"eng\"},").arg(longName);
        json.chop(1);
        json += QStringLiteral("],\"current\":40}");
        const std::optional<AudioTracks> tracks = ReadAudioTracks(json);
        QVERIFY(tracks);
        QCOMPARE(tracks->tracks.size(), kMostAudioTracks);
        QCOMPARE(tracks->tracks[0].name, QString(kLongestTrackText - 1, QLatin1Char('a')));
        QCOMPARE(tracks->current, -1);
        // A text far longer than any list of tracks is not read at all.
        QVERIFY(!ReadAudioTracks(QStringLiteral("{\"tracks\":[],\"x\":\"")
                                 + QString(kLongestAudioTracksText, QLatin1Char('x')) + QStringLiteral("\"}")));
    }

    void labelsSayNameAndLanguage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("label");
        QTest::newRow("name and code") << QStringLiteral("Commentary") << QStringLiteral("eng")
                                       << QStringLiteral("Commentary (English)");
        QTest::newRow("two-letter code") << QString() << QStringLiteral("fr") << QStringLiteral("French");
        QTest::newRow("code with a region") << QString() << QStringLiteral("pt-BR") << QStringLiteral("Portuguese");
        QTest::newRow("upper-case code") << QString() << QStringLiteral("FRA") << QStringLiteral("French");
        QTest::newRow("name is the language")
            << QStringLiteral("English") << QStringLiteral("en") << QStringLiteral("English");
        QTest::newRow("name is the code") << QStringLiteral("deu") << QStringLiteral("deu") << QStringLiteral("deu");
        QTest::newRow("unknown code kept as it is")
            << QStringLiteral("Main") << QStringLiteral("xyz") << QStringLiteral("Main (xyz)");
        QTest::newRow("nothing known") << QString() << QString() << QStringLiteral("Track 3");
    }

    void labelsSayNameAndLanguage()
    {
        QFETCH(QString, name);
        QFETCH(QString, language);
        QFETCH(QString, label);
        QCOMPARE(AudioTrackLabel({name, language}, 2), label);
    }

    void findsTheKeptChoiceAgain_data()
    {
        const AudioTrack eng{QStringLiteral("English"), QStringLiteral("eng")};
        const AudioTrack fra{QStringLiteral("French"), QStringLiteral("fra")};
        const AudioTrack engCommentary{QStringLiteral("Commentary"), QStringLiteral("eng")};
        const AudioTrack unnamed{};
        QTest::addColumn<AudioTracks>("tracks");
        QTest::addColumn<AudioTrackChoice>("choice");
        QTest::addColumn<int>("found"); // -1: none
        QTest::newRow("same place, same track")
            << Tracks({eng, fra}, 0) << AudioTrackChoice{1, QStringLiteral("French"), QStringLiteral("fra")} << 1;
        QTest::newRow("the track moved") << Tracks({fra, eng}, 0)
                                         << AudioTrackChoice{1, QStringLiteral("French"), QStringLiteral("fra")} << 0;
        QTest::newRow("renamed, same language")
            << Tracks({eng, {QStringLiteral("Français"), QStringLiteral("FRA")}}, 0)
            << AudioTrackChoice{0, QStringLiteral("French"), QStringLiteral("fra")} << 1;
        QTest::newRow("two in the language, the one at its place")
            << Tracks({fra, eng, engCommentary}, 0)
            << AudioTrackChoice{2, QStringLiteral("Other"), QStringLiteral("eng")} << 2;
        QTest::newRow("two in the language, neither at its place: its place")
            << Tracks({eng, engCommentary, fra}, 0)
            << AudioTrackChoice{2, QStringLiteral("Other"), QStringLiteral("eng")} << 2;
        QTest::newRow("nothing named: its place") << Tracks({unnamed, unnamed}, 0) << AudioTrackChoice{1, {}, {}} << 1;
        QTest::newRow("gone, no track at its place")
            << Tracks({eng, fra}, 0) << AudioTrackChoice{4, QStringLiteral("Greek"), QStringLiteral("ell")} << -1;
    }

    void findsTheKeptChoiceAgain()
    {
        QFETCH(AudioTracks, tracks);
        QFETCH(AudioTrackChoice, choice);
        QFETCH(int, found);
        QCOMPARE(FindChosenTrack(tracks, choice).value_or(-1), found);
    }

    void choicesAreKeptPerChannelAcrossARestart()
    {
        QTemporaryDir dir;
        const std::filesystem::path file = PathOf(dir.filePath(QStringLiteral("new/folder/audio-tracks.json")));
        {
            AudioTrackChoices choices(file);
            QVERIFY(!choices.Find(QStringLiteral("7")));
            choices.Keep(QStringLiteral("7"), {1, QStringLiteral("French"), QStringLiteral("fra")});
            choices.Keep(QStringLiteral("own:abc"), {0, QStringLiteral("<i>x</i>"), {}});
            choices.Keep(QStringLiteral("7"), {2, QStringLiteral("German"), QStringLiteral("deu")});
        }
        const AudioTrackChoices again(file);
        QCOMPARE(again.Find(QStringLiteral("7")),
                 (AudioTrackChoice{2, QStringLiteral("German"), QStringLiteral("deu")}));
        QCOMPARE(again.Find(QStringLiteral("own:abc")), (AudioTrackChoice{0, QStringLiteral("<i>x</i>"), {}}));
        QVERIFY(!again.Find(QStringLiteral("70")));
    }

    void onlyTheChannelsChosenForLastAreKept()
    {
        QTemporaryDir dir;
        AudioTrackChoices choices(PathOf(dir.filePath(QStringLiteral("audio-tracks.json"))), 3);
        for (int id = 1; id <= 3; ++id)
            choices.Keep(QString::number(id), {1, {}, {}});
        // Channel 1, chosen for again, becomes the newest: channel 2 is the oldest when 4 comes.
        choices.Keep(QStringLiteral("1"), {0, {}, {}});
        choices.Keep(QStringLiteral("4"), {1, {}, {}});
        QStringList kept;
        for (int id = 1; id <= 4; ++id) {
            if (const auto choice = choices.Find(QString::number(id)))
                kept << QStringLiteral("%1:%2").arg(id).arg(choice->index);
        }
        QCOMPARE(kept, (QStringList{QStringLiteral("1:0"), QStringLiteral("3:1"), QStringLiteral("4:1")}));
    }

    void aBrokenFileHoldsNoChoiceAndIsReplaced_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not JSON") << QByteArray("{\"channels\": [");
        QTest::newRow("another shape") << QByteArray("[1, 2, 3]");
        QTest::newRow("entries of the wrong kinds")
            << QByteArray("{\"channels\":[{\"id\":\"7\",\"index\":\"1\"},{\"id\":\"7\",\"index\":99},{\"id\":\"7\","
                          "\"index\":-1},5]}");
    }

    void aBrokenFileHoldsNoChoiceAndIsReplaced()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("audio-tracks.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        AudioTrackChoices choices(PathOf(path));
        QVERIFY(!choices.Find(QStringLiteral("7")));
        choices.Keep(QStringLiteral("8"), {1, {}, {}});
        QCOMPARE(choices.Find(QStringLiteral("8"))->index, 1);
    }

    void aChoiceThatCannotBeKeptSaysWhy()
    {
        QTemporaryDir dir;
        // The store's folder is a file: nothing can be written there.
        const QString blocker = dir.filePath(QStringLiteral("blocker"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        AudioTrackChoices choices(PathOf(blocker + QStringLiteral("/audio-tracks.json")));
        try {
            choices.Keep(QStringLiteral("7"), {1, {}, {}});
            QFAIL("kept a choice where no file can be");
        } catch (const std::runtime_error& error) {
            QVERIFY2(
                QString::fromUtf8(error.what()).startsWith(QStringLiteral("Cannot keep the audio track choice in ")),
                error.what());
        }
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, choices.Keep(QString(), {1, {}, {}}));
    }

    void aPlaySwitchesOnceToTheTrackKeptForItsChannel()
    {
        QTemporaryDir dir;
        const std::filesystem::path file = PathOf(dir.filePath(QStringLiteral("audio-tracks.json")));
        const AudioTrack eng{QStringLiteral("English"), QStringLiteral("eng")};
        const AudioTrack fra{QStringLiteral("French"), QStringLiteral("fra")};
        ChannelAudioTracks flow{AudioTrackChoices(file)};

        // Nothing kept yet: the page's own pick stays; the user's choice is kept.
        flow.Playing(QStringLiteral("7"));
        QVERIFY(!flow.Told(Tracks({eng, fra}, 0)));
        flow.Choose(1);
        QCOMPARE(AudioTrackChoices(file).Find(QStringLiteral("7"))->language, QStringLiteral("fra"));

        // The next play of the channel switches once its tracks are told: not for a single track,
        // once only, and not when the kept track already plays.
        flow.Playing(QStringLiteral("7"));
        QVERIFY(!flow.Told(Tracks({eng}, 0)));
        QCOMPARE(flow.Told(Tracks({eng, fra}, 0)), std::optional<int>(1));
        QVERIFY(!flow.Told(Tracks({eng, fra}, 0)));
        flow.Playing(QStringLiteral("7"));
        QVERIFY(!flow.Told(Tracks({eng, fra}, 1)));

        // Another channel keeps its own; a choice while nothing plays is kept for none.
        flow.Playing(QStringLiteral("8"));
        QVERIFY(!flow.Told(Tracks({eng, fra}, 0)));
        flow.Playing(QString());
        flow.Told(Tracks({eng, fra}, 0));
        flow.Choose(1);
        QVERIFY(!AudioTrackChoices(file).Find(QString()));
        QVERIFY(!AudioTrackChoices(file).Find(QStringLiteral("8")));
    }
};

QTEST_GUILESS_MAIN(AudioTracksTest)
#include "test_audio_tracks.moc"
