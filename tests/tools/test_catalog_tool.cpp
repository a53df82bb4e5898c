// zentavo-catalog, run as the real executable: outputs, files written, messages and exit statuses.
#include "channels/catalogue.h"
#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace zentavo;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run Catalog(const QStringList& args)
{
    QProcess process;
    process.start(qEnvironmentVariable("ZENTAVO_BIN_DIR") + QStringLiteral("/zentavo-catalog"), args);
    Run run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString Arg(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

QByteArray Bytes(const std::string& text)
{
    return QByteArray::fromStdString(text);
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kPlainCatalogue =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n"
    "<item><id>1</id><name>Alpha</name><country>Germany</country><bandwidth>300k</bandwidth><type2>tv</type2>"
    "<url>http://a.example/live.asx</url></item>\n"
    "<item><id>2</id><name>Beta</name><country>France</country><bandwidth></bandwidth><type2>radio</type2>"
    "<url>RTSP://b.example/radio</url></item>\n"
    "<item><id>3</id><name>Caf\xc3\xa9 "
    "cam</name><country>Norway</country><bandwidth>56k</bandwidth><type2>webcam</type2>"
    "<url>http://c.example/cam.jpg?t=1</url></item>\n"
    "</items>\n";

} // namespace

class CatalogToolTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(qEnvironmentVariable("ZENTAVO_BIN_DIR") + QStringLiteral("/zentavo-catalog")),
                 "zentavo-catalog is not built");
    }

    void classifyPrintsOneCodeALine()
    {
        const Run run =
            Catalog({QStringLiteral("classify"), QStringLiteral("http://x/a.asx"), QStringLiteral("rtsp://x"),
                     QStringLiteral("http://x/cam.JPG"), QStringLiteral("http://x/platform"), QString()});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("0\n1\n2\n1\n0\n"));
        QVERIFY(run.err.isEmpty());
    }

    void protectAndUnprotectMatchTheCipher_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<int>("size");
        const QByteArray passphrase = Bytes(BuildStreamPassphrase());
        QTest::newRow("stream passphrase, 256") << QStringList() << passphrase << 256;
        QTest::newRow("key and size 128") << QStringList{QStringLiteral("--key"), QStringLiteral("abc"),
                                                         QStringLiteral("--size"), QStringLiteral("128")}
                                          << QByteArray("abc") << 128;
        QTest::newRow("inline forms, 192")
            << QStringList{QStringLiteral("--key=k e y"), QStringLiteral("--size=192")} << QByteArray("k e y") << 192;
        QTest::newRow("empty key") << QStringList{QStringLiteral("--key="), QStringLiteral("--size"),
                                                  QStringLiteral("256")}
                                   << QByteArray() << 256;
    }
    void protectAndUnprotectMatchTheCipher()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, key);
        QFETCH(int, size);
        const KeySize keySize = size == 128 ? KeySize::Key128 : size == 192 ? KeySize::Key192 : KeySize::Key256;
        const QByteArray plain = "http://stream.example.net/caf\xc3\xa9.asx";
        const Run protect = Catalog(QStringList{QStringLiteral("protect")} + options + QStringList{Arg(plain)});
        QCOMPARE(protect.exitCode, 0);
        QCOMPARE(protect.out, Bytes(EncipherString(plain.toStdString(), key.toStdString(), keySize)) + "\n");

        const QString protectedText = Arg(protect.out.trimmed());
        const Run unprotect = Catalog(QStringList{QStringLiteral("unprotect")} + options + QStringList{protectedText});
        QCOMPARE(unprotect.exitCode, 0);
        QCOMPARE(unprotect.out, plain + "\n");
        const Run raw = Catalog(QStringList{QStringLiteral("unprotect"), QStringLiteral("--raw")} + options
                                + QStringList{protectedText});
        QCOMPARE(raw.exitCode, 0);
        QCOMPARE(raw.out, Bytes(DecipherString(protectedText.toStdString(), key.toStdString(), keySize)));
        QCOMPARE(raw.out.size(), 48); // 35 bytes and the zero fill of the third block
    }

    void unprotectTrimsAsTheCallersDo()
    {
        const QByteArray text = Bytes(EncipherString("  \thttp://x/a \r", BuildStreamPassphrase(), KeySize::Key256));
        const Run run = Catalog({QStringLiteral("unprotect"), Arg(text.toLower())});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("http://x/a\n"));
    }

    void optionsMayFollowTheTextAndDashesEndThem()
    {
        const Run run =
            Catalog({QStringLiteral("protect"), QStringLiteral("--"), QStringLiteral("--looks-like-an-option")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out,
                 Bytes(EncipherString("--looks-like-an-option", BuildStreamPassphrase(), KeySize::Key256)) + "\n");
        const Run after =
            Catalog({QStringLiteral("protect"), QStringLiteral("x"), QStringLiteral("--size"), QStringLiteral("128")});
        QCOMPARE(after.out, Bytes(EncipherString("x", BuildStreamPassphrase(), KeySize::Key128)) + "\n");
    }

    void unprotectReportsMalformedTextsAsBadData_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("not hex") << QStringLiteral("G7000000000000000000000000000000000000000000000000")
                                 << QByteArray("'0xG7' is not a valid integer value");
        QTest::newRow("too short") << QStringLiteral("00000000000000") << QByteArray("Stream read error");
        QTest::newRow("no cipher text") << QStringLiteral("0000000000000000")
                                        << QByteArray("Invalid buffer size for decryption");
        QTest::newRow("empty") << QString() << QByteArray("Stream read error");
    }
    void unprotectReportsMalformedTextsAsBadData()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, message);
        const Run run = Catalog({QStringLiteral("unprotect"), text});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(message), run.err.constData());
    }

    void badUsageExitsWithTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no command") << QStringList();
        QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")};
        QTest::newRow("classify without address") << QStringList{QStringLiteral("classify")};
        QTest::newRow("protect without text") << QStringList{QStringLiteral("protect")};
        QTest::newRow("protect two texts")
            << QStringList{QStringLiteral("protect"), QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("protect bad size") << QStringList{QStringLiteral("protect"), QStringLiteral("--size"),
                                                         QStringLiteral("64"), QStringLiteral("a")};
        QTest::newRow("protect key without value")
            << QStringList{QStringLiteral("protect"), QStringLiteral("a"), QStringLiteral("--key")};
        QTest::newRow("protect raw is unprotect's")
            << QStringList{QStringLiteral("protect"), QStringLiteral("--raw"), QStringLiteral("a")};
        QTest::newRow("unprotect unknown option")
            << QStringList{QStringLiteral("unprotect"), QStringLiteral("--verbose"), QStringLiteral("00")};
        QTest::newRow("unprotect key twice")
            << QStringList{QStringLiteral("unprotect"), QStringLiteral("--key"), QStringLiteral("a"),
                           QStringLiteral("--key=b"), QStringLiteral("00")};
        QTest::newRow("annotate without output") << QStringList{QStringLiteral("annotate"), QStringLiteral("in.xml")};
        QTest::newRow("annotate without input")
            << QStringList{QStringLiteral("annotate"), QStringLiteral("-o"), QStringLiteral("out.xml")};
        QTest::newRow("encipher two inputs")
            << QStringList{QStringLiteral("encipher"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("-o"),
                           QStringLiteral("c")};
        QTest::newRow("list without catalogue") << QStringList{QStringLiteral("list")};
        QTest::newRow("list two catalogues")
            << QStringList{QStringLiteral("list"), QStringLiteral("a"), QStringLiteral("b")};
    }
    void badUsageExitsWithTwo()
    {
        QFETCH(QStringList, args);
        const Run run = Catalog(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.contains("usage"));
    }

    void annotateThenEncipherPreparesACatalogue()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("plain.xml"));
        const QString annotated = dir.filePath(QStringLiteral("annotated.xml"));
        const QString prepared = dir.filePath(QStringLiteral("prepared.xml"));
        QVERIFY(WriteBytes(in, kPlainCatalogue));
        QCOMPARE(Catalog({QStringLiteral("annotate"), in, QStringLiteral("-o"), annotated}).exitCode, 0);
        QCOMPARE(Catalog({QStringLiteral("encipher"), QStringLiteral("-o"), prepared, annotated}).exitCode, 0);
        QCOMPARE(ReadBytes(in), kPlainCatalogue);

        const Run list = Catalog({QStringLiteral("list"), prepared});
        QCOMPARE(list.exitCode, 0);
        QCOMPARE(list.out,
                 QByteArray("1\ttv\t0\tGermany\tAlpha\t300k\thttp://a.example/live.asx\n"
                            "2\tradio\t1\tFrance\tBeta\t\tRTSP://b.example/radio\n"
                            "3\twebcam\t2\tNorway\tCaf\xc3\xa9 cam\t56k\thttp://c.example/cam.jpg?t=1\n"));
        QVERIFY(list.err.isEmpty());

        const Catalogue catalogue = Catalogue::Load(prepared.toStdString());
        QCOMPARE(Bytes(catalogue.FindChannelRecord("2")->url),
                 Bytes(EncipherString("RTSP://b.example/radio", BuildStreamPassphrase(), KeySize::Key256)));
    }

    void listKeepsOneChannelALineAndReportsBadAddresses()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tv-all.xml"));
        const QByteArray good = Bytes(EncipherString("http://x/a\tb", BuildStreamPassphrase(), KeySize::Key256));
        QVERIFY(WriteBytes(path,
                           "<?xml version=\"1.0\"?>\n<items>"
                           "<item><id>1</id><name>Two\nlines</name><type2>tv</type2><imgindex>0</imgindex><url>"
                               + good
                               + "</url></item>"
                                 "<item><id>2</id><name>Broken</name><url>XYZ</url></item>"
                                 "<item><id>3</id><name>Missing url</name></item>"
                                 "<item><id>4</id><name>Last</name><country>C</country><url>"
                               + good
                               + "</url></item>"
                                 "</items>"));
        const Run run = Catalog({QStringLiteral("list"), path});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out,
                 QByteArray("1\ttv\t0\t\tTwo lines\t\thttp://x/a b\n"
                            "2\t\t\t\tBroken\t\t\n"
                            "3\t\t\t\tMissing url\t\t\n"
                            "4\t\t\tC\tLast\t\thttp://x/a b\n"));
        QVERIFY2(run.err.contains("channel 2: '0xXY' is not a valid integer value"), run.err.constData());
        QVERIFY2(run.err.contains("channel 3: Stream read error"), run.err.constData());
    }

    void aCatalogueThatCannotBeLoadedIsBadData_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("list") << QStringLiteral("list");
        QTest::newRow("annotate") << QStringLiteral("annotate");
        QTest::newRow("encipher") << QStringLiteral("encipher");
    }
    void aCatalogueThatCannotBeLoadedIsBadData()
    {
        QFETCH(QString, command);
        QTemporaryDir dir;
        const QString broken = dir.filePath(QStringLiteral("broken.xml"));
        const QString out = dir.filePath(QStringLiteral("out.xml"));
        const QString badBytes = dir.filePath(QStringLiteral("bad-bytes.xml"));
        QVERIFY(WriteBytes(broken, "<items><item>"));
        QVERIFY(WriteBytes(badBytes, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><items>\xff\xfe</items>"));
        QVERIFY(WriteBytes(out, "previous"));
        for (const QString& input : {broken, badBytes, dir.filePath(QStringLiteral("missing.xml")), dir.path()}) {
            QStringList args{command, input};
            if (command != QLatin1String("list"))
                args << QStringLiteral("-o") << out;
            const Run run = Catalog(args);
            QCOMPARE(run.exitCode, 1);
            QVERIFY(run.out.isEmpty());
            QVERIFY2(run.err.contains(kListFileMessage), run.err.constData());
            QCOMPARE(run.err.count('\n'), 2); // the message and what went wrong, nothing from the parser
        }
        QCOMPARE(ReadBytes(out), QByteArray("previous"));
    }

    void aFullStandardOutputIsAFailure_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("classify") << QStringList{QStringLiteral("classify"), QStringLiteral("x")};
        QTest::newRow("protect") << QStringList{QStringLiteral("protect"), QStringLiteral("x")};
        QTest::newRow("list") << QStringList{QStringLiteral("list"), QStringLiteral("catalogue.xml")};
    }
    void aFullStandardOutputIsAFailure()
    {
        QFETCH(QStringList, args);
        QVERIFY2(QFile::exists(QStringLiteral("/dev/full")), "the test needs Linux's /dev/full");
        QTemporaryDir dir;
        QVERIFY(WriteBytes(dir.filePath(QStringLiteral("catalogue.xml")),
                           "<items><item><id>1</id><url>"
                               + Bytes(EncipherString("http://x/", BuildStreamPassphrase(), KeySize::Key256))
                               + "</url></item></items>"));
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(qEnvironmentVariable("ZENTAVO_BIN_DIR") + QStringLiteral("/zentavo-catalog"), args);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(process.readAllStandardError().contains("cannot write"));
    }

    void anOutputThatCannotBeWrittenIsReported()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.xml"));
        QVERIFY(WriteBytes(in, kPlainCatalogue));
        const Run run = Catalog({QStringLiteral("annotate"), in, QStringLiteral("-o"), dir.path()});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("Cannot save"), run.err.constData());
        QVERIFY(QFileInfo(dir.path()).isDir());
    }
};

QTEST_GUILESS_MAIN(CatalogToolTest)
#include "test_catalog_tool.moc"
