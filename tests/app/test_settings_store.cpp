// The stored start-up option: where it lives, what reads as on, and the three store errors.
#include "app/settings_store.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace zentavo;

class SettingsStoreTest : public QObject {
    Q_OBJECT

    static void WriteFile(const QString& path, const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QString ErrorOf(const std::function<void()>& step)
    {
        try {
            step();
        } catch (const SettingsError& error) {
            return QString::fromUtf8(error.what());
        }
        return {};
    }

private slots:
    void livesInTheUserConfigFolder()
    {
        QCOMPARE(SettingsStore::DefaultFilePath(),
                 QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/zentavo/player.ini"));
    }

    void freshUserGetsAnEmptyKeyAndNoValue()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(QStringLiteral("cfg/zentavo/player.ini")));
        QVERIFY(!QFile::exists(store.FilePath()));
        store.CreateKey();
        QVERIFY(QFile::exists(store.FilePath()));
        QCOMPARE(store.ReadChannelStart(), QString());
        QCOMPARE(QFileInfo(store.FilePath()).size(), 0);
    }

    void writesOneThenZeroUnderTheGroup()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(QStringLiteral("player.ini")));
        store.WriteChannelStart(true);
        QCOMPARE(store.ReadChannelStart(), QStringLiteral("1"));
        QCOMPARE(
            QSettings(store.FilePath(), QSettings::IniFormat).value(QStringLiteral("Software/Zentavo/channel-start")),
            QVariant(QStringLiteral("1")));
        store.WriteChannelStart(false);
        QCOMPARE(store.ReadChannelStart(), QStringLiteral("0"));
    }

    void readsStoredTextAsItStands_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one") << QByteArray("Zentavo\\channel-start=1") << QStringLiteral("1");
        QTest::newRow("zero") << QByteArray("Zentavo\\channel-start=0") << QStringLiteral("0");
        QTest::newRow("empty") << QByteArray("Zentavo\\channel-start=") << QString();
        QTest::newRow("quoted blank one") << QByteArray("Zentavo\\channel-start=\" 1\"") << QStringLiteral(" 1");
        QTest::newRow("true") << QByteArray("Zentavo\\channel-start=true") << QStringLiteral("true");
        QTest::newRow("missing") << QByteArray("Zentavo\\other=1") << QString();
    }
    void readsStoredTextAsItStands()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("player.ini"));
        WriteFile(path, "[Software]\n" + line + "\n");
        QCOMPARE(SettingsStore(path).ReadChannelStart(), expected);
    }

    void valueThatIsNotTextIsAnInvalidType_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("number") << QByteArray("Zentavo\\channel-start=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x1)");
        QTest::newRow("list") << QByteArray("Zentavo\\channel-start=1, 0");
        QTest::newRow("bytes") << QByteArray("Zentavo\\channel-start=@ByteArray(1)");
    }
    void valueThatIsNotTextIsAnInvalidType()
    {
        QFETCH(QByteArray, line);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("player.ini"));
        WriteFile(path, "[Software]\n" + line + "\n");
        SettingsStore store(path);
        QCOMPARE(ErrorOf([&] { store.ReadChannelStart(); }), QStringLiteral("Invalid data type for 'channel-start'"));
    }

    void unwritableConfigFolderFailsToCreateTheKey()
    {
        // A config "folder" that is a plain file cannot hold the settings folder, not even for root.
        QTemporaryDir dir;
        const QString blocker = dir.filePath(QStringLiteral("config"));
        WriteFile(blocker, "not a folder");
        SettingsStore store(blocker + QStringLiteral("/zentavo/player.ini"));
        QCOMPARE(ErrorOf([&] { store.CreateKey(); }), QStringLiteral("Failed to create key Software/Zentavo"));
        QCOMPARE(ErrorOf([&] { store.WriteChannelStart(true); }),
                 QStringLiteral("Failed to create key Software/Zentavo"));
    }

    void writeOverAFileThatDoesNotParseSucceeds_data()
    {
        QTest::addColumn<QByteArray>("content");
        QByteArray noise(4096, '\0');
        quint32 state = 2463534242u; // xorshift: the same bytes on every run
        for (char& byte : noise) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            byte = static_cast<char>(state & 0xFF);
        }
        QTest::newRow("random bytes") << noise;
        QTest::newRow("zero bytes") << QByteArray(64, '\0');
        QTest::newRow("unclosed group") << QByteArray("[Software\nZentavo\\channel-start=0\n");
        QTest::newRow("lone quote") << QByteArray("[Software]\nZentavo\\channel-start=\"0\n");
    }
    void writeOverAFileThatDoesNotParseSucceeds()
    {
        // The value reaches the file: no error may be reported.
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("player.ini"));
        WriteFile(path, content);
        SettingsStore store(path);
        QCOMPARE(ErrorOf([&] { store.WriteChannelStart(true); }), QString());
        QCOMPARE(store.ReadChannelStart(), QStringLiteral("1"));
        QCOMPARE(ErrorOf([&] { store.WriteChannelStart(false); }), QString());
        QCOMPARE(store.ReadChannelStart(), QStringLiteral("0"));
    }

    void failedWriteIsReported()
    {
        // The key exists, but the file may not grow: the write fails, whoever runs the test.
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(QStringLiteral("player.ini")));
        store.CreateKey();
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit tiny = previous;
        tiny.rlim_cur = 4;
        setrlimit(RLIMIT_FSIZE, &tiny);
        const QString error = ErrorOf([&] { store.WriteChannelStart(true); });
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
        QCOMPARE(error, QStringLiteral("Failed to set data for 'channel-start'"));
        QCOMPARE(store.ReadChannelStart(), QString());
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "test_settings_store.moc"
