// The start-up language check and the text of the box that ends a refused start.
#include "app/locale_gate.h"

#include "crypto/string_cipher.h"

#include <QRegularExpression>
#include <QTest>

using namespace zentavo;

class LocaleGateTest : public QObject {
    Q_OBJECT

private slots:
    void constantHoldsLatin()
    {
        QCOMPARE(TrimControlBytes(DecipherString(kBlockedLanguage, kBlockedLanguageKey, KeySize::Key128)),
                 std::string("LATIN"));
        QCOMPARE(std::string(kBlockedLanguageKey).size(), std::size_t(3));
    }

    void gateDecides_data()
    {
        QTest::addColumn<QByteArray>("storedName");
        QTest::addColumn<QString>("userLanguage");
        QTest::addColumn<bool>("refused");
        QTest::newRow("latin user") << QByteArray("LATIN") << QStringLiteral("LATIN") << true;
        QTest::newRow("english user") << QByteArray("LATIN") << QStringLiteral("ENGLISH") << false;
        QTest::newRow("no language") << QByteArray("LATIN") << QString() << false;
        QTest::newRow("stored in lower case") << QByteArray("latin") << QStringLiteral("LATIN") << false;
        QTest::newRow("stored mixed case") << QByteArray("Latin") << QStringLiteral("LATIN") << false;
    }
    void gateDecides()
    {
        QFETCH(QByteArray, storedName);
        QFETCH(QString, userLanguage);
        QFETCH(bool, refused);
        const std::string constant = EncipherString(storedName.toStdString(), kBlockedLanguageKey, KeySize::Key128);
        QString error;
        try {
            QVERIFY(RunLocaleGate(constant, userLanguage));
        } catch (const ConversionError& e) {
            error = QString::fromUtf8(e.what());
        }
        QCOMPARE(!error.isEmpty(), refused);
        if (refused)
            QCOMPARE(error, QStringLiteral("'dll.-+|' is not a valid integer value"));
    }

    void malformedConstantEndsStartUpWithTheCipherError()
    {
        QVERIFY_THROWS_EXCEPTION(StreamReadError, RunLocaleGate("0500", QStringLiteral("ENGLISH")));
    }

    void failureTextNamesKindModuleAndAddress()
    {
        const QString text = StartupFailureText(ConversionError("'dll.-+|' is not a valid integer value"),
                                                QStringLiteral("zentavo-player"));
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^Exception ConversionError in module zentavo-player at [0-9A-F]{16}\\.\\n"
                                    "'dll\\.-\\+\\|' is not a valid integer value\\.$"))
                     .match(text)
                     .hasMatch(),
                 qPrintable(text));
    }

    void userLanguageIsUpperCasedEnglishName()
    {
        QCOMPARE(UserLanguageName(), QLocale::languageToString(QLocale::system().language()).toUpper());
    }
};

QTEST_GUILESS_MAIN(LocaleGateTest)
#include "test_locale_gate.moc"
