// The one rate limit of stream titles before the window and MPRIS: the rule with a clock of the
// test's own, then the limiter on the event loop with a burst of titles.
#include "player/title_rate_limit.h"

#include "tests/support/waits.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

using namespace zentavo;
using namespace std::chrono_literals;

namespace {

// Plays "time:title" steps ("-" is the empty title) through the rule, the waiting title going at
// the moment it is due as the limiter's timer sends it; returns what went, as "time:title".
QStringList Run(const QStringList& steps)
{
    ChangeLimit limit(1000ms);
    QStringList sent;
    const auto sendDue = [&](std::chrono::milliseconds until) {
        while (const auto due = limit.DueAt()) {
            if (*due > until)
                break;
            if (const auto value = limit.TakeDue(*due))
                sent << QStringLiteral("%1:%2").arg(due->count()).arg(value->isEmpty() ? QStringLiteral("-") : *value);
        }
    };
    for (const QString& step : steps) {
        const std::chrono::milliseconds now(step.section(QLatin1Char(':'), 0, 0).toLongLong());
        QString title = step.section(QLatin1Char(':'), 1);
        if (title == QLatin1String("-"))
            title.clear();
        sendDue(now);
        if (const auto value = limit.Offer(title, now))
            sent << QStringLiteral("%1:%2").arg(now.count()).arg(value->isEmpty() ? QStringLiteral("-") : *value);
    }
    sendDue(std::chrono::milliseconds::max());
    return sent;
}

QStringList Split(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class TitleRateLimitTest : public QObject {
    Q_OBJECT

private slots:
    void atMostOneChangeASecondTheLatestWinning_data();
    void atMostOneChangeASecondTheLatestWinning();
    void burstOnTheEventLoopEndsOnTheLastTitle();
};

void TitleRateLimitTest::atMostOneChangeASecondTheLatestWinning_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("first change goes at once") << Split("5:A") << Split("5:A");
    QTest::newRow("changes within the second: the latest goes at its end")
        << Split("0:A 10:B 20:C 990:D") << Split("0:A 1000:D");
    QTest::newRow("after a quiet second the next goes at once")
        << Split("0:A 1500:B 2600:C") << Split("0:A 1500:B 2600:C");
    QTest::newRow("a change back within the second goes nowhere") << Split("0:A 100:B 200:A") << Split("0:A");
    QTest::newRow("the same title again goes nowhere") << Split("0:A 1500:A") << Split("0:A");
    QTest::newRow("no title at the start is no change; a clear later is one")
        << Split("0:- 10:A 2000:-") << Split("10:A 2000:-");
    QTest::newRow("a clear followed by a new play within the second: only the new title")
        << Split("0:A 1200:B 1300:- 1400:C") << Split("0:A 1200:B 2200:C");
    // Fifty titles a second for three seconds.
    QStringList fast;
    for (int i = 0; i < 150; ++i)
        fast << QStringLiteral("%1:T%2").arg(i * 20).arg(i);
    QTest::newRow("fifty a second: one a second, ending on the last")
        << fast << Split("0:T0 1000:T49 2000:T99 3000:T149");
}

void TitleRateLimitTest::atMostOneChangeASecondTheLatestWinning()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, sent);
    QCOMPARE(Run(steps), sent);
}

void TitleRateLimitTest::burstOnTheEventLoopEndsOnTheLastTitle()
{
    TitleRateLimiter limiter(nullptr, 200ms);
    QSignalSpy changed(&limiter, &TitleRateLimiter::Changed);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 500; ++i) {
        limiter.Offer(QStringLiteral("Title %1").arg(i));
        if (i % 50 == 0)
            QCoreApplication::processEvents();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!changed.isEmpty() && changed.last().at(0).toString() == QStringLiteral("Title 499"),
                             test::Limit(5000));
    // One at once, then at most one for each interval that passed.
    QVERIFY2(changed.size() <= 2 + clock.elapsed() / 200, qPrintable(QString::number(changed.size())));
    QVERIFY(test::StaysFor(500ms, [&] { return changed.last().at(0).toString() == QStringLiteral("Title 499"); }));
}

QTEST_GUILESS_MAIN(TitleRateLimitTest)
#include "test_title_rate_limit.moc"
