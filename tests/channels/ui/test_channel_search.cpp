// How the channel list's search compares (case and accents folded away, every word must be found),
// and the list model that shows only the rows found.
#include "channels/search_text.h"
#include "channels/ui/channel_list_model.h"

#include <QPersistentModelIndex>
#include <QTest>

using namespace zentavo;

class ChannelSearchTest : public QObject {
    Q_OBJECT

private slots:
    void foldingDropsCaseAndAccents_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folded");
        QTest::newRow("ascii") << QStringLiteral("France - News ONE") << QStringLiteral("france - news one");
        QTest::newRow("acute") << QStringLiteral("Café Méditerranée") << QStringLiteral("cafe mediterranee");
        QTest::newRow("cedilla") << QStringLiteral("ÇANAL Sud") << QStringLiteral("canal sud");
        QTest::newRow("umlaut") << QStringLiteral("Österreich") << QStringLiteral("osterreich");
        QTest::newRow("ligature") << QStringLiteral("ﬁlm") << QStringLiteral("film");
        QTest::newRow("greek") << QStringLiteral("ΕΛΛΆΔΑ") << QStringLiteral("ελλαδα");
        QTest::newRow("cyrillic") << QStringLiteral("Россия Ё") << QStringLiteral("россия е");
        QTest::newRow("empty") << QString() << QString();
    }
    void foldingDropsCaseAndAccents()
    {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(QString::fromStdString(FoldForSearch(text.toStdString())), folded);
    }

    void everyWordMustBeFound_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("found");
        QTest::newRow("one word") << QStringLiteral("canal") << true;
        QTest::newRow("words in another order") << QStringLiteral("sud andorra") << true;
        QTest::newRow("blanks around and between") << QStringLiteral("  SUD   andorra ") << true;
        QTest::newRow("accent typed, none in the text") << QStringLiteral("Andórra") << true;
        QTest::newRow("part of a word") << QStringLiteral("ndor") << true;
        QTest::newRow("one word missing") << QStringLiteral("canal nord") << false;
        QTest::newRow("nothing typed") << QStringLiteral("   ") << true;
    }
    void everyWordMustBeFound()
    {
        QFETCH(QString, typed);
        QFETCH(bool, found);
        QCOMPARE(HoldsEveryWord(FoldForSearch("Andorra - Çanal Sud"), SearchWords(typed)), found);
    }

    void sortingWhileSearchingKeepsTheRowsFoundAndTheSelection()
    {
        ChannelListModel model({});
        model.SetRows(
            {{"Zero - One", "1", 0}, {"Alpha - Two", "2", 0}, {"Beta - Three", "3", 0}, {"Gamma - Tree", "4", 0}});
        model.SetFilter(QStringLiteral("t"));
        QCOMPARE(model.rowCount(), 3); // Two, Three, Tree
        const QPersistentModelIndex selected = model.index(1, 0); // Three
        QCOMPARE(model.Row(selected.row()).id, std::string("3"));
        model.SortByColumn(0);
        QCOMPARE(model.rowCount(), 3);
        QStringList ids;
        for (int row = 0; row < model.rowCount(); ++row)
            ids << QString::fromStdString(model.Row(row).id);
        QCOMPARE(ids, (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));
        QVERIFY(selected.isValid());
        QCOMPARE(model.Row(selected.row()).id, std::string("3"));
        // New rows keep the search; an empty search shows them all, in the sorted order.
        model.SetFilter(QStringLiteral("ree"));
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.ShownRowOf("4"), 1);
        QCOMPARE(model.ShownRowOf("1"), -1);
        model.SetFilter(QString());
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.Row(0).id, std::string("2"));
    }
};

QTEST_GUILESS_MAIN(ChannelSearchTest)
#include "test_channel_search.moc"
