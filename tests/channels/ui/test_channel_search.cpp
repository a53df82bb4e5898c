// How the channel list's search compares (case and accents folded away, every word must be found),
// and the list model that shows only the rows found.
#include "channels/search_text.h"
#include "channels/ui/channel_list_model.h"
#include "tests/support/waits.h"

#include <QPersistentModelIndex>
#include <QSignalSpy>
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

    // The list keeps no folded copy of an ASCII caption and compares it as it is: it must find the
    // rows the fold of each caption holds the words of, ASCII or not.
    void theListFindsTheRowsWhoseFoldedCaptionHoldsTheWords_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("lower case") << QStringLiteral("cafe");
        QTest::newRow("capitals and an accent") << QStringLiteral("CAFÉ");
        QTest::newRow("two words, capitals in the row") << QStringLiteral("news one");
        QTest::newRow("words in another order") << QStringLiteral("paris cafe");
        QTest::newRow("a ligature in the row") << QStringLiteral("film");
        QTest::newRow("a ligature typed") << QStringLiteral("ﬁ");
        QTest::newRow("greek") << QStringLiteral("ελλαδα");
        QTest::newRow("an accent typed alone") << QStringLiteral("é");
        QTest::newRow("a word no row has") << QStringLiteral("xyz");
        QTest::newRow("part of a word") << QStringLiteral("ONE");
    }
    void theListFindsTheRowsWhoseFoldedCaptionHoldsTheWords()
    {
        QFETCH(QString, typed);
        const std::vector<std::string> captions{"France - News ONE",
                                                "Caf\u00E9 M\u00E9diterran\u00E9e",
                                                "CAFE Paris",
                                                "\u0395\u03BB\u03BB\u03AC\u03B4\u03B1 TV",
                                                "",
                                                "\u00D6sterreich - ORF",
                                                "\uFB01lm club",
                                                "Eleven"};
        std::vector<ListRow> rows;
        QStringList expected;
        for (std::size_t i = 0; i < captions.size(); ++i) {
            rows.push_back({captions[i], std::to_string(i), 0});
            if (HoldsEveryWord(FoldForSearch(captions[i]), SearchWords(typed)))
                expected << QString::number(i);
        }
        ChannelListModel model({});
        model.SetRows(rows);
        model.SetFilter(typed);
        QStringList found;
        for (int row = 0; row < model.rowCount(); ++row)
            found << QString::fromStdString(model.Row(row).id);
        QCOMPARE(found, expected);
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

    // The sort made on a thread: the same order as the sort in place, sorts asked for meanwhile
    // made in turn on the order before them, the search and the selection kept; rows replaced while
    // it sorts show as given.
    void sortingInTheBackgroundKeepsTheSearchAndTheSelection()
    {
        const std::vector<ListRow> rows{{"Zero - One", "1", 0, {}, "b"},
                                        {"Alpha - Two", "2", 0, {}, "a"},
                                        {"Beta - Three", "3", 0, {}, "b"},
                                        {"Gamma - Tree", "4", 0, {}, "a"}};
        const auto ids = [](const ChannelListModel& model) {
            QStringList shown;
            for (int row = 0; row < model.rowCount(); ++row)
                shown << QString::fromStdString(model.Row(row).id);
            return shown;
        };
        ChannelListModel inPlace({});
        inPlace.SetRows(rows);
        inPlace.SortByColumn(0);
        inPlace.SortByColumn(ChannelListModel::GroupColumn);

        ChannelListModel model({});
        model.SetRows(rows);
        model.SetFilter(QStringLiteral("t"));
        const QPersistentModelIndex selected = model.index(1, 0); // Three
        QSignalSpy sorted(&model, &ChannelListModel::Sorted);
        model.SortInBackground(0);
        model.SortInBackground(ChannelListModel::GroupColumn);
        QVERIFY(model.Sorting());
        QTRY_COMPARE_WITH_TIMEOUT(sorted.count(), 2, test::Limit(5000));
        QVERIFY(!model.Sorting());
        QCOMPARE(ids(model), (QStringList{QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("3")}));
        QVERIFY(selected.isValid());
        QCOMPARE(model.Row(selected.row()).id, std::string("3"));
        model.SetFilter(QString());
        QCOMPARE(ids(model), ids(inPlace));
        // Rows in file order whatever the order shown.
        QCOMPARE(model.Rows().front().id, std::string("1"));

        model.SortInBackground(0);
        model.SetRows({{"Second", "20", 0}, {"First", "10", 0}});
        QTRY_COMPARE_WITH_TIMEOUT(sorted.count(), 3, test::Limit(5000));
        QCOMPARE(ids(model), (QStringList{QStringLiteral("20"), QStringLiteral("10")}));
    }
};

QTEST_GUILESS_MAIN(ChannelSearchTest)
#include "test_channel_search.moc"
