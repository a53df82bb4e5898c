// The sort rule of the channel lists.
#include "channels/list_compare.h"

#include <QTest>

using namespace zentavo;

class ListCompareTest : public QObject {
    Q_OBJECT
private slots:
    void comparesAsciiWithoutCaseAndShorterFirst_data();
    void comparesAsciiWithoutCaseAndShorterFirst();
    void numbersCompareAsNumbersAndEmptyFieldsGoLast_data();
    void numbersCompareAsNumbersAndEmptyFieldsGoLast();
};

void ListCompareTest::comparesAsciiWithoutCaseAndShorterFirst_data()
{
    QTest::addColumn<QString>("captionA");
    QTest::addColumn<QString>("idA");
    QTest::addColumn<QString>("captionB");
    QTest::addColumn<QString>("idB");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("expected"); // sign

    QTest::newRow("same text") << "abc"
                               << "1"
                               << "abc"
                               << "2" << 0 << 0;
    QTest::newRow("ASCII case ignored") << " France - NEWS"
                                        << "1"
                                        << " france - news"
                                        << "2" << 0 << 0;
    QTest::newRow("folded letters ordered as small") << "a"
                                                     << "1"
                                                     << "B"
                                                     << "2" << 0 << -1;
    QTest::newRow("capital after underscore once folded") << "_"
                                                          << "1"
                                                          << "A"
                                                          << "2" << 0 << -1;
    QTest::newRow("beginning comes first") << "abc"
                                           << "1"
                                           << "ABCD"
                                           << "2" << 0 << -1;
    QTest::newRow("longer comes after") << "abcd"
                                        << "1"
                                        << "abc"
                                        << "2" << 0 << 1;
    QTest::newRow("empty comes first") << ""
                                       << "1"
                                       << "a"
                                       << "2" << 0 << -1;
    QTest::newRow("non-ASCII not folded") << "\xc3\x89"
                                          << "1"
                                          << "\xc3\xa9"
                                          << "2" << 0 << -1;
    QTest::newRow("non-ASCII after ASCII") << "\xc3\xa9"
                                           << "1"
                                           << "z"
                                           << "2" << 0 << 1;
    QTest::newRow("ids compared as text") << "x"
                                          << "10"
                                          << "x"
                                          << "9" << 1 << -1;
    QTest::newRow("id column ignores captions") << "b"
                                                << "1"
                                                << "a"
                                                << "2" << 1 << -1;
    QTest::newRow("caption column ignores ids") << "a"
                                                << "2"
                                                << "b"
                                                << "1" << 0 << -1;
}

void ListCompareTest::comparesAsciiWithoutCaseAndShorterFirst()
{
    QFETCH(QString, captionA);
    QFETCH(QString, idA);
    QFETCH(QString, captionB);
    QFETCH(QString, idB);
    QFETCH(int, column);
    QFETCH(int, expected);

    const ListRow a{captionA.toStdString(), idA.toStdString(), 0};
    const ListRow b{captionB.toStdString(), idB.toStdString(), 0};
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    QCOMPARE(sign(ListView1Compare(a, b, column)), expected);
    QCOMPARE(sign(ListView1Compare(b, a, column)), -expected);
}

void ListCompareTest::numbersCompareAsNumbersAndEmptyFieldsGoLast_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("column"); // 2: the numbers, 3: the groups
    QTest::addColumn<int>("expected"); // sign
    QTest::newRow("9 before 10") << "9"
                                 << "10" << 2 << -1;
    QTest::newRow("100 after 99") << "100"
                                  << "99" << 2 << 1;
    QTest::newRow("equal numbers") << "42"
                                   << "42" << 2 << 0;
    QTest::newRow("same length by digits") << "21"
                                           << "12" << 2 << 1;
    QTest::newRow("a number before none") << "999999"
                                          << "" << 2 << -1;
    QTest::newRow("no numbers are equal") << ""
                                          << "" << 2 << 0;
    QTest::newRow("groups without case") << "news"
                                         << "Sport" << 3 << -1;
    QTest::newRow("a group before none") << "Zoo"
                                         << "" << 3 << -1;
}

void ListCompareTest::numbersCompareAsNumbersAndEmptyFieldsGoLast()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, column);
    QFETCH(int, expected);
    ListRow rowA{"same", "1", 0};
    ListRow rowB{"same", "1", 0};
    (column == 2 ? rowA.number : rowA.group) = a.toStdString();
    (column == 2 ? rowB.number : rowB.group) = b.toStdString();
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    QCOMPARE(sign(ListView1Compare(rowA, rowB, column)), expected);
    QCOMPARE(sign(ListView1Compare(rowB, rowA, column)), -expected);
}

QTEST_APPLESS_MAIN(ListCompareTest)
#include "test_list_compare.moc"
