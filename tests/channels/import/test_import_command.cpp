// zentavo-catalog import end to end: usage and data errors with their exit statuses, the
// reports on standard error and output, the catalogue it writes, and every shared list.
#include "channels/catalogue.h"
#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"

#include "shared_lists.h"

#include <QtTest>

using namespace zentavo;

namespace {

struct Run {
    int status = -1;
    QString out, err;
};

QString Tool()
{
    return qEnvironmentVariable("ZENTAVO_BIN_DIR") + QStringLiteral("/zentavo-catalog");
}

Run Import(const QStringList& args)
{
    QProcess process;
    process.start(Tool(), QStringList{QStringLiteral("import")} + args);
    Run run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("timed out");
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// "read N entries", "imported N", "left out N" and the per-reason lines, as numbers.
struct Summary {
    long read = -1, imported = -1, leftOut = -1, reasons = 0;
};

Summary ParseSummary(const QString& out)
{
    Summary s;
    static const QRegularExpression line(QStringLiteral("^(read|imported|left out|  [a-z ]+:) ?(\\d+)"),
                                         QRegularExpression::MultilineOption);
    auto it = line.globalMatch(out);
    while (it.hasNext()) {
        const auto m = it.next();
        const long n = m.captured(2).toLong();
        const QString key = m.captured(1);
        if (key == QLatin1String("read"))
            s.read = n;
        else if (key == QLatin1String("imported"))
            s.imported = n;
        else if (key == QLatin1String("left out"))
            s.leftOut = n;
        else
            s.reasons += n;
    }
    return s;
}

} // namespace

class ImportCommandTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void badUsageExitsWithTwo_data();
    void badUsageExitsWithTwo();
    void countryMustBeUtf8();
    void badDataExitsWithOneAndWritesNothing_data();
    void badDataExitsWithOneAndWritesNothing();
    void importsPlaylistsIntoAPreparedCatalogue();
    void everySharedListImportsAndAddsUp_data();
    void everySharedListImportsAndAddsUp();

private:
    QTemporaryDir dir_;
    QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
};

void ImportCommandTest::initTestCase()
{
    QVERIFY(QFileInfo(Tool()).isExecutable());
    QVERIFY(dir_.isValid());
    Write(Path("good.m3u"), "#EXTM3U\n#EXTINF:-1,One\nhttp://h/1\n");
}

void ImportCommandTest::badUsageExitsWithTwo_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString good = Path("good.m3u"), out = Path("usage-out.xml");
    QTest::newRow("nothing") << QStringList{} << QStringLiteral("no playlist given");
    QTest::newRow("no output") << QStringList{good} << QStringLiteral("no output file given");
    QTest::newRow("output without name") << QStringList{good, QStringLiteral("-o")}
                                         << QStringLiteral("-o needs a file name");
    QTest::newRow("no input") << QStringList{QStringLiteral("-o"), out} << QStringLiteral("no playlist given");
    QTest::newRow("bad type") << QStringList{QStringLiteral("--type"), QStringLiteral("TV"), good, QStringLiteral("-o"),
                                             out}
                              << QStringLiteral("--type must be tv, radio or webcam, not 'TV'");
    QTest::newRow("type without value") << QStringList{good, QStringLiteral("-o"), out, QStringLiteral("--type")}
                                        << QStringLiteral("--type needs a value");
    QTest::newRow("empty country") << QStringList{QStringLiteral("--country"), QString(), good, QStringLiteral("-o"),
                                                  out}
                                   << QStringLiteral("--country needs a value");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--kind"), QStringLiteral("tv"), good,
                                                   QStringLiteral("-o"), out}
                                    << QStringLiteral("unknown option '--kind'");
}

void ImportCommandTest::badUsageExitsWithTwo()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Run run = Import(args);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.err.contains(QStringLiteral("usage: zentavo-catalog import")));
    QVERIFY(!QFile::exists(Path("usage-out.xml")));
}

void ImportCommandTest::countryMustBeUtf8()
{
    // A Latin-1 "Ä" on the command line cannot go into the UTF-8 catalogue.
    QProcess shell;
    shell.start(QStringLiteral("bash"),
                {QStringLiteral("-c"),
                 QStringLiteral("exec \"$1\" import --country \"$(printf '\\304sterreich')\" \"$2\" -o \"$3\""),
                 QStringLiteral("bash"), Tool(), Path("good.m3u"), Path("latin1.xml")});
    QVERIFY(shell.waitForFinished(60000));
    QCOMPARE(shell.exitCode(), 2);
    QVERIFY(QString::fromUtf8(shell.readAllStandardError()).contains(QStringLiteral("--country must be UTF-8 text")));
    QVERIFY(!QFile::exists(Path("latin1.xml")));
}

void ImportCommandTest::badDataExitsWithOneAndWritesNothing_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << Path("missing.m3u") << QByteArray() << Path("out1.xml")
                                  << QStringLiteral("cannot read");
    QTest::newRow("binary file") << Path("song.mp3") << QByteArray("ID3\x03\x00\x00\x00\x00\x00\x10", 10)
                                 << Path("out2.xml") << QStringLiteral("binary data");
    QTest::newRow("tsv without url column") << Path("list.tsv") << QByteArray("name\tcountry\nA\tB\n")
                                            << Path("out3.xml") << QStringLiteral("no url column");
    QTest::newRow("nothing usable") << Path("bad.m3u") << QByteArray("#EXTINF:-1,A\nhhttp://h/\n#EXTINF:-1,B\n")
                                    << Path("out4.xml") << QStringLiteral("no channel to import");
    QTest::newRow("output folder missing")
        << Path("good.m3u") << QByteArray() << Path("no/such/folder/out.xml") << QStringLiteral("cannot write");
}

void ImportCommandTest::badDataExitsWithOneAndWritesNothing()
{
    QFETCH(QString, input);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, output);
    QFETCH(QString, message);
    if (!bytes.isEmpty())
        Write(input, bytes);
    const Run run = Import({input, QStringLiteral("-o"), output});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(!QFile::exists(output));
}

void ImportCommandTest::importsPlaylistsIntoAPreparedCatalogue()
{
    Write(Path("tv.m3u"),
          "#EXTM3U x-tvg-url=\"a,b\"\r\n"
          "#EXTINF:-1 tvg-id=\"ORF1.at@HD\" tvg-logo=\"https://logo.example/orf1.png\" group-title=\"News, Info\",ORF "
          "1 (720p)\r\n"
          "#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11, Linux)\r\n"
          "https://orf.example/orf1.m3u8\r\n"
          "#EXTINF:-1,Broken\r\nhhttps://h/b\r\n"
          "#EXTINF:-1,Cam\r\nhttps://cam.example/now.jpg");
    Write(Path("radio.pls"),
          "[playlist]\nfile1=http://radio.example/a.mp3\ntitle1=Radio A\nFile2=https://orf.example/orf1.m3u8\n");
    const QString out = Path("catalogue.xml");
    const Run run = Import({Path("tv.m3u"), Path("radio.pls"), QStringLiteral("-o"), out});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out,
             QStringLiteral("read 5 entries\nimported 3\nleft out 2\n  broken scheme: 1\n  duplicate address: 1\n"));
    QCOMPARE(run.err,
             Path("tv.m3u") + QStringLiteral(":6: left out (broken scheme): hhttps://h/b\n") + Path("radio.pls")
                 + QStringLiteral(":4: left out (duplicate address): https://orf.example/orf1.m3u8 (first at ")
                 + Path("tv.m3u") + QStringLiteral(":line 4)\n"));

    const Catalogue catalogue = Catalogue::Load(out.toStdString());
    QStringList rows;
    catalogue.ForEachChannel([&](const ChannelRecord& r) {
        const std::string url = TrimControlBytes(DecipherString(r.url, BuildStreamPassphrase(), KeySize::Key256));
        rows << QString::fromStdString(r.id + "|" + r.name + "|" + r.country + "|" + r.bandwidth + "|" + r.type2 + "|"
                                       + r.imgindex + "|" + url + "|" + r.logo);
    });
    QCOMPARE(rows,
             (QStringList{QStringLiteral(
                              "1|ORF 1|Austria|720p|tv|0|https://orf.example/orf1.m3u8|https://logo.example/orf1.png"),
                          QStringLiteral("2|Cam|||webcam|2|https://cam.example/now.jpg|"),
                          QStringLiteral("3|Radio A|||radio|0|http://radio.example/a.mp3|")}));

    // --type and --country apply to every channel.
    const Run typed = Import({QStringLiteral("--type"), QStringLiteral("radio"), QStringLiteral("--country"),
                              QStringLiteral("Österreich"), Path("radio.pls"), QStringLiteral("-o"), out});
    QCOMPARE(typed.status, 0);
    const Catalogue radio = Catalogue::Load(out.toStdString());
    QStringList types;
    radio.ForEachChannel([&](const ChannelRecord& r) { types << QString::fromStdString(r.type2 + "|" + r.country); });
    QCOMPARE(types, (QStringList{QStringLiteral("radio|Österreich"), QStringLiteral("radio|Österreich")}));
}

void ImportCommandTest::everySharedListImportsAndAddsUp_data()
{
    ZENTAVO_ADD_SHARED_LIST_ROWS();
}

void ImportCommandTest::everySharedListImportsAndAddsUp()
{
    QFETCH(QString, path);
    QFETCH(long, entries);
    const QString out = Path("shared.xml");
    const Run run = Import({path, QStringLiteral("-o"), out});
    QVERIFY2(run.status == 0, qPrintable(run.err.left(2000)));
    const Summary summary = ParseSummary(run.out);
    QCOMPARE(summary.read, entries);
    QCOMPARE(summary.imported + summary.leftOut, summary.read);
    QCOMPARE(summary.reasons, summary.leftOut);
    QCOMPARE(long(run.err.count(QStringLiteral(": left out ("))), summary.leftOut);
    long items = 0;
    Catalogue::Load(out.toStdString()).ForEachChannel([&](const ChannelRecord&) { ++items; });
    QCOMPARE(items, summary.imported);
}

QTEST_GUILESS_MAIN(ImportCommandTest)
#include "test_import_command.moc"
