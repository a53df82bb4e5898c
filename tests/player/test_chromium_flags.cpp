// The web engine's flags: the player's own join what the user set, and the features that it turns
// off join those of a "--disable-features" already there, since the engine reads only the last one.
#include "player/chromium_flags.h"

#include <QTest>

using namespace zentavo;

class ChromiumFlagsTest : public QObject {
    Q_OBJECT

private slots:
    void playerFlagsJoinTheUsers_data()
    {
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QByteArray>("merged");
        const QByteArray ours("--process-per-site --disable-features=MediaSessionService,HardwareMediaKeyHandling");
        QTest::newRow("nothing set") << QByteArray() << ours;
        QTest::newRow("blanks only") << QByteArray("   ") << ours;
        QTest::newRow("user's flag kept first")
            << QByteArray("--enable-logging") << QByteArray("--enable-logging ") + ours;
        QTest::newRow("flag already there is not doubled")
            << QByteArray("--process-per-site")
            << QByteArray("--process-per-site --disable-features=MediaSessionService,HardwareMediaKeyHandling");
        QTest::newRow("user's disabled features kept")
            << QByteArray("--disable-features=VizDisplayCompositor --v=1")
            << QByteArray("--disable-features=VizDisplayCompositor,MediaSessionService,HardwareMediaKeyHandling "
                          "--v=1 --process-per-site");
        QTest::newRow("two disable-features folded into one")
            << QByteArray("--disable-features=A --disable-features=B,MediaSessionService")
            << QByteArray("--disable-features=A,B,MediaSessionService,HardwareMediaKeyHandling --process-per-site");
    }

    void playerFlagsJoinTheUsers()
    {
        QFETCH(QByteArray, existing);
        QFETCH(QByteArray, merged);
        QCOMPARE(
            MergedChromiumFlags(existing,
                                {QByteArrayLiteral("--process-per-site"),
                                 QByteArrayLiteral("--disable-features=MediaSessionService,HardwareMediaKeyHandling")}),
            merged);
    }

    void settingTwiceChangesNothing()
    {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--v=1");
        SetChromiumFlags();
        const QByteArray once = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        SetChromiumFlags();
        QCOMPARE(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), once);
        QVERIFY(once.startsWith("--v=1 "));
    }
};

QTEST_GUILESS_MAIN(ChromiumFlagsTest)
#include "test_chromium_flags.moc"
