// The real executable starts offscreen, shows its start page and ends with status 0.
#include <QDir>
#include <QProcess>
#include <QTest>

class PlayerSmokeTest : public QObject {
    Q_OBJECT

private slots:
    void realExecutableStartsAndCloses()
    {
        const QString program = QString::fromLocal8Bit(qgetenv("ZENTAVO_BIN_DIR")) + QStringLiteral("/zentavo-player");
        QVERIFY2(QFile::exists(program), qPrintable(program));
        QProcess player;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZENTAVO_REPORT_STARTUP"), QStringLiteral("exit"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("en_GB.UTF-8"));
        env.remove(QStringLiteral("LC_ALL"));
        player.setProcessEnvironment(env);
        player.start(program, {});
        QVERIFY(player.waitForStarted());
        const bool finished = player.waitForFinished(90000);
        if (!finished)
            player.kill();
        const QByteArray errors = player.readAllStandardError();
        QVERIFY2(finished, errors.constData());
        QCOMPARE(player.exitStatus(), QProcess::NormalExit);
        QCOMPARE(player.exitCode(), 0);
        QVERIFY2(errors.contains("zentavo: start page loaded"), errors.constData());
    }
};

QTEST_GUILESS_MAIN(PlayerSmokeTest)
#include "test_player_smoke.moc"
