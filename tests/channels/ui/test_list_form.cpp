// The channel list window: filling, selection, play commands, tabs, popups and favourites commands.
#include "channels/ui/channel_list_model.h"
#include "channels/ui/channel_list_view.h"
#include "list_fixture.h"
#include "scripted_prompts.h"

#include "channels/ui/list_form.h"
#include "tests/support/waits.h"

#include <stdexcept>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>

using namespace zentavo;

namespace {

ChannelListView* List(TListForm& form, int number)
{
    return form.findChild<ChannelListView*>(QStringLiteral("ListView%1").arg(number));
}

QStringList Captions(ChannelListView* list)
{
    QStringList captions;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        captions << list->model()->index(row, 0).data().toString();
    return captions;
}

QStringList Ids(ChannelListView* list)
{
    QStringList ids;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        ids << list->model()->index(row, 1).data().toString();
    return ids;
}

// Clicks the header over a column and waits for the rows to be sorted, which is done on a thread.
bool SortBy(ChannelListView* list, int column)
{
    emit list->header()->sectionClicked(column);
    const auto* model = qobject_cast<const ChannelListModel*>(list->model());
    return model && QTest::qWaitFor([model] { return !model->Sorting(); }, test::Limit(5000));
}

void ClickRow(ChannelListView* list, int row)
{
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

int CurrentTab(TListForm& form)
{
    return form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->currentIndex();
}

// The seven controls whose enabled state follows the selection.
QList<bool> CommandStates(TListForm& form)
{
    QList<bool> states;
    for (const char* name : {"Popup_Play", "Popup_Addthischanneltomyfavorites", "MenuItem1", "MenuItem4", "MenuItem5"})
        states << form.findChild<QAction*>(QLatin1String(name))->isEnabled();
    for (const char* name : {"Button3", "Button1"})
        states << form.findChild<QPushButton*>(QLatin1String(name))->isEnabled();
    return states;
}

const QList<bool> kAllEnabled(7, true);
const QList<bool> kAllDisabled(7, false);

const QByteArray kTwoFavourites = R"(<?xml version="1.0" encoding="UTF-8"?>
<items><item id="21" comment=""/><item id="3" comment="evening" bandwidth="128k"/></items>
)";

} // namespace

class ListFormTest : public QObject {
    Q_OBJECT
private slots:
    void listsShowCatalogueRowsInFileOrder();
    void rowIconsFollowImgindex();
    void loadingAgainReplacesRowsAndBrokenCatalogueKeepsThem();
    void favouritesRowsCarryBandwidthAndComment();
    void brokenFavouritesFileIsReportedAndListStaysEmpty();
    void selectionSetsCurrentChannelAndEnablesEveryCommand();
    void clickBelowRowsDisablesCommandsButKeepsCurrentChannel();
    void playCommandsRequestPlayThenClose_data();
    void playCommandsRequestPlayThenClose();
    void doubleClickBelowRowsDoesNothing();
    void listTakesTheKeyboardWhenOpened();
    void keysMoveBetweenRowsAsInAList_data();
    void keysMoveBetweenRowsAsInAList();
    void searchNarrowsTheCurrentTab_data();
    void searchNarrowsTheCurrentTab();
    void typingInTheListSearchesAndEscClearsFirst();
    void searchKeepsTheSelectedRowAndArrowsLeadToTheRowsFound();
    void windowClosesEvenWhenPlayFails();
    void opensOnRequestedTabAndKeepsVideoSize();
    void columnClickSortsAscendingEveryTime();
    void numbersSortAsNumbersAndGroupsFilterTheList();
    void popupOpensOnRightReleaseAndMenuKey();
    void addAsksThenAppendsAndShowsFavourites();
    void addAnsweredNoChangesNothing();
    void failedSaveLeavesRowsAndTabAsTheyWere();
    void reopeningKeepsEachTabsSelection();
    void addOfExistingFavouriteIsSilent();
    void removeDeletesSelectedFavouriteWithoutAsking();
    void addCommentSavesEditedTextOrKeepsOldOnCancel_data();
    void addCommentSavesEditedTextOrKeepsOldOnCancel();
    void removeAndCommentNeedSelectedFavourite();
    void commandOnBrokenFavouritesFileLeavesItAlone();
    void missingFavouritesFileIsCreatedEmpty();
    void maintenanceButtonsWriteCopiesBesideCatalogue();
    void addOfAnIdThatIsNotANumberIsRefusedBeforeAsking_data();
    void addOfAnIdThatIsNotANumberIsRefusedBeforeAsking();
    void laterRowsWithAnEarlierRowsIdAreLeftOutInWords();
    void leftOutRowsAreNamedInAWarningBox();
    void listsReadOnAThreadShowTheRowsAndNameLeftOutOnes();
};

void ListFormTest::listsShowCatalogueRowsInFileOrder()
{
    ListFixture fixture;
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();

    QCOMPARE(Captions(List(form, 1)),
             QStringList({QStringLiteral(" France - News One  (300k)"),
                          QString::fromUtf8(" Andorra - \xc3\x87"
                                            "anal Sud")}));
    QCOMPARE(Ids(List(form, 1)), QStringList({QStringLiteral("17"), QStringLiteral("8")}));
    QCOMPARE(Captions(List(form, 2)).first(), QStringLiteral(" Italy - Music Radio  (64k)"));
    QCOMPARE(Captions(List(form, 3)), QStringList({QStringLiteral(" Norway - Harbour Cam")}));
    QCOMPARE(prompts.listFileErrors, 0);
    QCOMPARE(prompts.leftOutMessages, QStringList());

    // The id column is there but never visible, and there are no headers: a catalogue without
    // groups and numbers shows no column for them either.
    ChannelListView* list = List(form, 1);
    QCOMPARE(list->model()->columnCount(), 4);
    QVERIFY(list->isColumnHidden(1));
    QVERIFY(list->isColumnHidden(2));
    QVERIFY(list->isColumnHidden(3));
    QVERIFY(form.findChild<QComboBox*>(QStringLiteral("GroupFilter"))->isHidden());
    QVERIFY(list->isHeaderHidden());
    QCOMPARE(list->columnWidth(0), 360);
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
}

void ListFormTest::rowIconsFollowImgindex()
{
    ListFixture fixture;
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();

    const auto iconOf = [](ChannelListView* list, int row) {
        return list->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>();
    };
    const QIcon windowsMedia = iconOf(List(form, 1), 0);
    const QIcon real = iconOf(List(form, 1), 1);
    const QIcon snapshot = iconOf(List(form, 3), 0);
    for (const QIcon& icon : {windowsMedia, real, snapshot})
        QVERIFY(!icon.isNull());
    QCOMPARE(iconOf(List(form, 2), 0).cacheKey(), real.cacheKey());
    // An imgindex that is no number leaves its row without an icon, and the row is still listed.
    QCOMPARE(Captions(List(form, 2)).last(), QStringLiteral(" Malta - Odd Icon  (56k)"));
    QVERIFY(iconOf(List(form, 2), 1).isNull());
    QVERIFY(windowsMedia.cacheKey() != real.cacheKey() && real.cacheKey() != snapshot.cacheKey());
}

void ListFormTest::loadingAgainReplacesRowsAndBrokenCatalogueKeepsThem()
{
    ListFixture fixture;
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.LoadChannelLists();
    QCOMPARE(List(form, 1)->model()->rowCount(), 2);

    ListFixture::WriteFile(fixture.context.CataloguePath(), "<items><item>");
    form.LoadChannelLists();
    QCOMPARE(prompts.listFileErrors, 1);
    QCOMPARE(List(form, 1)->model()->rowCount(), 2);
    QCOMPARE(List(form, 3)->model()->rowCount(), 1);
}

void ListFormTest::favouritesRowsCarryBandwidthAndComment()
{
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadFavourites();

    QCOMPARE(Captions(List(form, 4)),
             QStringList(
                 {QStringLiteral("Norway - Harbour Cam"), QStringLiteral("Italy - Music Radio  (128k)  [ evening ]")}));
    QCOMPARE(Ids(List(form, 4)), QStringList({QStringLiteral("21"), QStringLiteral("3")}));
}

void ListFormTest::brokenFavouritesFileIsReportedAndListStaysEmpty()
{
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadFavourites();
    QCOMPARE(List(form, 4)->model()->rowCount(), 2);

    fixture.WriteFavourites("<items><item id=");
    form.LoadFavourites();
    QCOMPARE(prompts.listFileErrors, 1);
    QCOMPARE(List(form, 4)->model()->rowCount(), 0);
}

void ListFormTest::selectionSetsCurrentChannelAndEnablesEveryCommand()
{
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.LoadFavourites();
    form.show();
    // Everything the user can reach starts disabled (the maintenance button is out of reach).
    QCOMPARE(CommandStates(form).mid(0, 6), kAllDisabled.mid(0, 6));

    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    ClickRow(List(form, 2), 0);
    QCOMPARE(fixture.context.CurrentChannelId, QStringLiteral("3"));
    QCOMPARE(fixture.context.CurrentChannelName, QStringLiteral(" Italy - Music Radio  (64k)"));
    // One state for the whole window: the favourites popup is enabled by the radio list.
    QCOMPARE(CommandStates(form), kAllEnabled);

    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(3);
    ClickRow(List(form, 4), 1);
    QCOMPARE(fixture.context.CurrentChannelId, QStringLiteral("3"));
    QCOMPARE(fixture.context.CurrentChannelName, QStringLiteral("Italy - Music Radio  (128k)  [ evening ]"));
}

void ListFormTest::clickBelowRowsDisablesCommandsButKeepsCurrentChannel()
{
    ListFixture fixture;
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.show();
    ClickRow(List(form, 1), 1);
    QCOMPARE(CommandStates(form), kAllEnabled);

    QTest::mouseClick(List(form, 1)->viewport(), Qt::LeftButton, {},
                      QPoint(20, List(form, 1)->viewport()->height() - 5));
    QVERIFY(!List(form, 1)->selectionModel()->hasSelection());
    QCOMPARE(CommandStates(form), kAllDisabled);
    QCOMPARE(fixture.context.CurrentChannelId, QStringLiteral("8"));
}

void ListFormTest::playCommandsRequestPlayThenClose_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("Play seleted channel") << "Button3";
    QTest::newRow("list popup Play") << "Popup_Play";
    QTest::newRow("favourites popup Play") << "MenuItem1";
    QTest::newRow("double click") << "double click";
    QTest::newRow("Return key") << "Return";
    QTest::newRow("Enter key") << "Enter";
}

void ListFormTest::playCommandsRequestPlayThenClose()
{
    QFETCH(QString, command);
    ListFixture fixture;
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();

    QStringList seen; // the window's state when the main window's PlayChannel runs
    connect(&form, &TListForm::PlayChannelRequested, this, [&] {
        seen << fixture.context.CurrentChannelId
             << (form.isVisible() ? QStringLiteral("open") : QStringLiteral("closed"));
    });
    QTimer::singleShot(0, &form, [&] {
        ClickRow(List(form, 1), 0);
        if (command == QLatin1String("double click")) {
            const QRect rect = List(form, 1)->visualRect(List(form, 1)->model()->index(0, 0));
            QTest::mouseDClick(List(form, 1)->viewport(), Qt::LeftButton, {}, rect.center());
        } else if (command == QLatin1String("Return") || command == QLatin1String("Enter")) {
            QTest::keyClick(List(form, 1), command == QLatin1String("Return") ? Qt::Key_Return : Qt::Key_Enter);
        } else if (auto* button = form.findChild<QPushButton*>(command)) {
            button->click();
        } else {
            form.findChild<QAction*>(command)->trigger();
        }
    });
    QTimer::singleShot(5000, &form, [&] { form.close(); }); // a failing test must not hang
    form.ShowOnTab(ChannelTab::Tv);

    QCOMPARE(seen, QStringList({QStringLiteral("17"), QStringLiteral("open")}));
    QVERIFY(!form.isVisible());
}

void ListFormTest::doubleClickBelowRowsDoesNothing()
{
    ListFixture fixture;
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.show();
    QSignalSpy play(&form, &TListForm::PlayChannelRequested);
    ClickRow(List(form, 1), 0);
    const QPoint below(20, List(form, 1)->viewport()->height() - 5);
    QTest::mouseClick(List(form, 1)->viewport(), Qt::LeftButton, {}, below);
    QTest::mouseDClick(List(form, 1)->viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(play.count(), 0);
    QVERIFY(form.isVisible());
}

void ListFormTest::listTakesTheKeyboardWhenOpened()
{
    ListFixture fixture;
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    QStringList seen;
    // The request carries the channel that the window selected last.
    connect(&form, &TListForm::PlayChannelRequested, this, [&](const QString& id, const QString&) {
        QCOMPARE(id, fixture.context.CurrentChannelId);
        seen << id;
    });
    QWidget* focused = nullptr;
    QTimer::singleShot(0, &form, [&] {
        focused = form.focusWidget();
        // The arrows select the first row, Enter plays it: no mouse needed.
        QTest::keyClick(focused, Qt::Key_Down);
        QTest::keyClick(focused, Qt::Key_Up);
        QTest::keyClick(focused, Qt::Key_Return);
    });
    QTimer::singleShot(5000, &form, [&] { form.close(); }); // a failing test must not hang
    form.ShowOnTab(ChannelTab::Radio);
    QCOMPARE(focused, static_cast<QWidget*>(List(form, 2)));
    QCOMPARE(seen, QStringList{QStringLiteral("3")});

    // Enter with no row selected plays nothing and leaves the window open.
    QSignalSpy play(&form, &TListForm::PlayChannelRequested);
    form.show();
    List(form, 1)->clearSelection();
    QTest::keyClick(List(form, 1), Qt::Key_Return);
    QCOMPARE(play.count(), 0);
    QVERIFY(form.isVisible());
}

void ListFormTest::keysMoveBetweenRowsAsInAList_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("row"); // the row selected after the key, from the second of four; -1: the last
    QTest::newRow("End goes to the last row") << static_cast<int>(Qt::Key_End) << -1;
    QTest::newRow("Home goes to the first row") << static_cast<int>(Qt::Key_Home) << 0;
    QTest::newRow("Right stays on the row") << static_cast<int>(Qt::Key_Right) << 1;
    QTest::newRow("Left stays on the row") << static_cast<int>(Qt::Key_Left) << 1;
    QTest::newRow("Down goes to the next row") << static_cast<int>(Qt::Key_Down) << 2;
}

void ListFormTest::keysMoveBetweenRowsAsInAList()
{
    QFETCH(int, key);
    QFETCH(int, row);
    ListFixture fixture(R"(<items>
<item><id>1</id><name>One</name><country>A</country><type2>tv</type2><imgindex>0</imgindex><number>1</number></item>
<item><id>2</id><name>Two</name><country>A</country><type2>tv</type2><imgindex>0</imgindex><number>2</number></item>
<item><id>3</id><name>Three</name><country>A</country><type2>tv</type2><imgindex>0</imgindex><number>3</number></item>
<item><id>4</id><name>Four</name><country>A</country><type2>tv</type2><imgindex>0</imgindex><number>4</number></item>
</items>)");
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    ChannelListView* list = List(form, 1); // with the number column before the caption
    ClickRow(list, 1);
    list->setFocus();
    QTest::keyClick(list, static_cast<Qt::Key>(key));
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), row < 0 ? list->model()->rowCount() - 1 : row);

    // Tab leaves the list for the next control, as it leaves any list.
    QTest::keyClick(list, Qt::Key_Tab);
    QVERIFY(!list->hasFocus());
}

void ListFormTest::searchNarrowsTheCurrentTab_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("ids");
    const QString newsOne = QStringLiteral("17"); // France - News One
    const QString canalSud = QStringLiteral("8"); // Andorra - Çanal Sud
    QTest::newRow("name, other case") << 0 << "NEWS" << QStringList{newsOne};
    QTest::newRow("accent not typed") << 0 << "canal" << QStringList{canalSud};
    QTest::newRow("accent typed where there is none") << 0 << "àndorra" << QStringList{canalSud};
    QTest::newRow("country") << 0 << "france" << QStringList{newsOne};
    QTest::newRow("two words, any order") << 0 << "sud andorra" << QStringList{canalSud};
    QTest::newRow("a word not found") << 0 << "news andorra" << QStringList{};
    QTest::newRow("blanks only") << 0 << "   " << QStringList{newsOne, canalSud};
    QTest::newRow("radio tab") << 1 << "ital" << QStringList{QStringLiteral("3")};
    QTest::newRow("favourites tab") << 3 << "norway" << QStringList{QStringLiteral("21")};
}

void ListFormTest::searchNarrowsTheCurrentTab()
{
    QFETCH(int, tab);
    QFETCH(QString, typed);
    QFETCH(QStringList, ids);
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.LoadFavourites();
    form.show();
    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(tab);
    auto* search = form.findChild<QLineEdit*>(QStringLiteral("Edit_search"));
    search->insert(typed);
    QCOMPARE(Ids(List(form, tab + 1)), ids);
    // Clearing the field shows every row again.
    search->clear();
    QCOMPARE(Ids(List(form, 1)), (QStringList{QStringLiteral("17"), QStringLiteral("8")}));
}

void ListFormTest::typingInTheListSearchesAndEscClearsFirst()
{
    ListFixture fixture;
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    auto* search = form.findChild<QLineEdit*>(QStringLiteral("Edit_search"));
    QStringList seen;
    bool openAfterEsc = false;
    QTimer::singleShot(0, &form, [&] {
        QTest::keyClicks(form.focusWidget(), QStringLiteral("Sud"));
        seen << search->text() << Ids(List(form, 1));
        QTest::keyClick(search, Qt::Key_Escape); // clears the field, the window stays
        openAfterEsc = form.isVisible();
        seen << search->text() << QString::number(List(form, 1)->model()->rowCount());
        QTest::keyClick(search, Qt::Key_Escape); // nothing typed: Esc closes as usual
    });
    QTimer::singleShot(5000, &form, [&] { form.close(); }); // a failing test must not hang
    form.ShowOnTab(ChannelTab::Tv);
    QVERIFY(openAfterEsc);
    QCOMPARE(seen, (QStringList{QStringLiteral("Sud"), QStringLiteral("8"), QString(), QStringLiteral("2")}));
    QVERIFY(!form.isVisible());
}

void ListFormTest::searchKeepsTheSelectedRowAndArrowsLeadToTheRowsFound()
{
    ListFixture fixture;
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.show();
    ClickRow(List(form, 1), 1); // Çanal Sud
    auto* search = form.findChild<QLineEdit*>(QStringLiteral("Edit_search"));
    QTest::keyClicks(search, QStringLiteral("a"));
    QCOMPARE(Captions(List(form, 1)).size(), 2);
    const QModelIndexList selected = List(form, 1)->selectionModel()->selectedRows(1);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().data().toString(), QStringLiteral("8"));

    // Down from the field selects the first row found; Enter plays it.
    QStringList played;
    connect(&form, &TListForm::PlayChannelRequested, this, [&](const QString& id, const QString&) { played << id; });
    search->clear();
    QTest::keyClicks(search, QStringLiteral("o"));
    List(form, 1)->clearSelection();
    QTest::keyClick(search, Qt::Key_Down);
    QTest::keyClick(form.focusWidget(), Qt::Key_Return);
    QCOMPARE(played, QStringList{QStringLiteral("17")});
}

void ListFormTest::windowClosesEvenWhenPlayFails()
{
    ListFixture fixture;
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.show();
    ClickRow(List(form, 1), 0);
    connect(&form, &TListForm::PlayChannelRequested, this, [] { throw std::runtime_error("no page"); });
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, form.findChild<QPushButton*>(QStringLiteral("Button3"))->click());
    QVERIFY(!form.isVisible());
}

void ListFormTest::opensOnRequestedTabAndKeepsVideoSize()
{
    ListFixture fixture;
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    QVERIFY(form.OriginalSizeChosen());

    QList<int> tabs;
    QTimer::singleShot(0, &form, [&] {
        tabs << CurrentTab(form);
        form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(3);
        form.findChild<QRadioButton*>(QStringLiteral("RadioButton2"))->click();
        form.close();
    });
    form.ShowOnTab(ChannelTab::Webcams);
    QVERIFY(!form.OriginalSizeChosen());

    QTimer::singleShot(0, &form, [&] {
        tabs << CurrentTab(form);
        form.close();
    });
    form.ShowOnTab(ChannelTab::Radio);
    QCOMPARE(tabs, QList<int>({2, 1}));
    QVERIFY(!form.OriginalSizeChosen());
    QVERIFY(TListForm(fixture.context, prompts).OriginalSizeChosen());
}

void ListFormTest::columnClickSortsAscendingEveryTime()
{
    const char* catalogue = R"(<items>
<item><id>9</id><name>beta</name><country>B</country><type2>tv</type2><imgindex>0</imgindex></item>
<item><id>10</id><name>Alpha</name><country>b</country><type2>tv</type2><imgindex>0</imgindex></item>
<item><id>2</id><name>alpha</name><country>A</country><type2>tv</type2><imgindex>0</imgindex></item>
</items>)";
    ListFixture fixture(catalogue);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.show();
    ChannelListView* list = List(form, 1);
    QCOMPARE(Ids(list), QStringList({QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("2")}));
    ClickRow(list, 0);

    for (int click = 0; click < 2; ++click) {
        QVERIFY(SortBy(list, 1));
        QCOMPARE(form.SortColumn(), 1);
        QCOMPARE(Ids(list), QStringList({QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("9")}));
    }
    // The selection stays on its channel.
    QCOMPARE(list->selectionModel()->selectedRows().first().data().toString(), QStringLiteral(" B - beta"));

    QVERIFY(SortBy(list, 0));
    QCOMPARE(form.SortColumn(), 0);
    QCOMPARE(Ids(list).first(), QStringLiteral("2"));
}

void ListFormTest::numbersSortAsNumbersAndGroupsFilterTheList()
{
    const char* catalogue = R"(<items>
<item><id>1</id><name>Ten</name><country>A</country><type2>tv</type2><imgindex>0</imgindex><group>News</group><number>10</number></item>
<item><id>2</id><name>Two</name><country>A</country><type2>tv</type2><imgindex>0</imgindex><group>sport</group><number>2</number></item>
<item><id>3</id><name>None</name><country>A</country><type2>tv</type2><imgindex>0</imgindex></item>
<item><id>4</id><name>Hundred</name><country>B</country><type2>tv</type2><imgindex>0</imgindex><group>News</group><number>0100</number></item>
<item><id>5</id><name>Nine</name><country>B</country><type2>tv</type2><imgindex>0</imgindex><group>Kids</group><number>9x</number></item>
<item><id>6</id><name>Radio</name><country>C</country><type2>radio</type2><imgindex>1</imgindex></item>
</items>)";
    ListFixture fixture(catalogue);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.show();
    ChannelListView* list = List(form, 1);
    auto* groups = form.findChild<QComboBox*>(QStringLiteral("GroupFilter"));

    // A list with numbers and groups shows both columns, and the header to sort by them.
    QVERIFY(!list->isHeaderHidden());
    QVERIFY(!list->isColumnHidden(2));
    QVERIFY(!list->isColumnHidden(3));
    QCOMPARE(list->header()->visualIndex(2), 0);
    QCOMPARE(list->model()->index(3, 2).data().toString(), QStringLiteral("100"));
    QCOMPARE(list->model()->index(4, 2).data().toString(), QString()); // "9x" is no number

    // Numbers sort as numbers, and the rows without one go last in their order.
    QVERIFY(SortBy(list, 2));
    QCOMPARE(Ids(list),
             QStringList({QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("4"), QStringLiteral("3"),
                          QStringLiteral("5")}));
    QVERIFY(SortBy(list, 3));
    QCOMPARE(Ids(list),
             QStringList({QStringLiteral("5"), QStringLiteral("1"), QStringLiteral("4"), QStringLiteral("2"),
                          QStringLiteral("3")}));

    // The group choice beside the search field names each group once; a group narrows the list,
    // and the search narrows it further.
    QVERIFY(groups->isVisible());
    QStringList choices;
    for (int i = 0; i < groups->count(); ++i)
        choices << groups->itemText(i);
    QCOMPARE(choices,
             QStringList({QStringLiteral("All groups"), QStringLiteral("Kids"), QStringLiteral("News"),
                          QStringLiteral("sport")}));
    ClickRow(list, 2); // "Hundred"
    groups->setCurrentIndex(2);
    emit groups->activated(2);
    QCOMPARE(Ids(list), QStringList({QStringLiteral("1"), QStringLiteral("4")}));
    QCOMPARE(list->selectionModel()->selectedRows().first().data().toString(), QStringLiteral(" B - Hundred"));
    form.findChild<QLineEdit*>(QStringLiteral("Edit_search"))->setText(QStringLiteral("ten"));
    QCOMPARE(Ids(list), QStringList({QStringLiteral("1")}));
    form.findChild<QLineEdit*>(QStringLiteral("Edit_search"))->clear();

    // The radio list has no groups: no choice to make there, and its own list is whole.
    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    QVERIFY(groups->isHidden());
    QVERIFY(List(form, 2)->isHeaderHidden());
    QCOMPARE(Ids(List(form, 2)), QStringList({QStringLiteral("6")}));

    // Back on TV the group chosen there still holds; "All groups" shows every row again.
    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    QVERIFY(groups->isVisible());
    QCOMPARE(groups->currentText(), QStringLiteral("News"));
    QCOMPARE(Ids(list).size(), 2);
    groups->setCurrentIndex(0);
    emit groups->activated(0);
    QCOMPARE(Ids(list).size(), 5);
}

void ListFormTest::popupOpensOnRightReleaseAndMenuKey()
{
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.LoadFavourites();
    form.show();
    auto* tvMenu = form.findChild<QMenu*>(QStringLiteral("PopupMenu1"));
    auto* favouritesMenu = form.findChild<QMenu*>(QStringLiteral("PopupMenu2"));
    QVERIFY(tvMenu && favouritesMenu);
    QCOMPARE(tvMenu->actions().size(), 3);
    QCOMPARE(favouritesMenu->actions().size(), 4);
    QVERIFY(tvMenu->actions().at(1)->isSeparator());

    // The press alone opens nothing (the program drops right-button presses); the release does,
    // and leaves the selection as it was.
    ChannelListView* list = List(form, 1);
    const QPoint onRow = list->visualRect(list->model()->index(0, 0)).center();
    QContextMenuEvent pressRequest(QContextMenuEvent::Mouse, onRow, list->viewport()->mapToGlobal(onRow));
    QApplication::sendEvent(list->viewport(), &pressRequest);
    QVERIFY(!tvMenu->isVisible());
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, onRow);
    QTRY_VERIFY_WITH_TIMEOUT(tvMenu->isVisible(), test::Limit(5000));
    QVERIFY(!list->selectionModel()->hasSelection());
    tvMenu->close();

    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(3);
    List(form, 4)->setFocus();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5), List(form, 4)->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(List(form, 4), &menuKey);
    QTRY_VERIFY_WITH_TIMEOUT(favouritesMenu->isVisible(), test::Limit(5000));
    QVERIFY(!tvMenu->isVisible());
    favouritesMenu->close();
}

void ListFormTest::addAsksThenAppendsAndShowsFavourites()
{
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.LoadFavourites();
    form.show();
    ClickRow(List(form, 1), 0);
    form.findChild<QAction*>(QStringLiteral("Popup_Addthischanneltomyfavorites"))->trigger();

    QCOMPARE(prompts.questions, 1);
    QVERIFY(fixture.Favourites().contains(R"(<item id="17" comment=""/>)"));
    QCOMPARE(Ids(List(form, 4)), QStringList({QStringLiteral("21"), QStringLiteral("3"), QStringLiteral("17")}));
    QCOMPARE(Captions(List(form, 4)).last(), QStringLiteral("France - News One"));
    QCOMPARE(CurrentTab(form), 3);
}

void ListFormTest::addAnsweredNoChangesNothing()
{
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    prompts.answerYes = false;
    TListForm form(fixture.context, prompts);
    form.LoadFavourites();
    fixture.context.CurrentChannelId = QStringLiteral("17");
    form.EditFavourites(FavouritesCommand::Add);
    QCOMPARE(prompts.questions, 1);
    QCOMPARE(fixture.Favourites(), kTwoFavourites);
    QCOMPARE(CurrentTab(form), 0);
}

void ListFormTest::failedSaveLeavesRowsAndTabAsTheyWere()
{
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.LoadFavourites();
    form.show();
    ClickRow(List(form, 1), 0);

    // The file system takes no byte more than the favourites file holds now: the save fails,
    // whoever runs the test.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit tiny = previous;
    tiny.rlim_cur = static_cast<rlim_t>(kTwoFavourites.size());
    setrlimit(RLIMIT_FSIZE, &tiny);
    bool failed = false;
    try {
        form.findChild<QAction*>(QStringLiteral("Popup_Addthischanneltomyfavorites"))->trigger();
    } catch (const std::exception&) {
        failed = true;
    }
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(failed);
    QCOMPARE(prompts.questions, 1);
    QCOMPARE(fixture.Favourites(), kTwoFavourites);
    QCOMPARE(Ids(List(form, 4)), QStringList({QStringLiteral("21"), QStringLiteral("3")}));
    QCOMPARE(CurrentTab(form), 0);
}

void ListFormTest::reopeningKeepsEachTabsSelection()
{
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.LoadFavourites();
    QTimer::singleShot(0, &form, [&] {
        ClickRow(List(form, 1), 1);
        form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
        ClickRow(List(form, 2), 1);
        form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(3);
        ClickRow(List(form, 4), 0);
        form.close();
    });
    form.ShowOnTab(ChannelTab::Tv);

    QStringList selected;
    QTimer::singleShot(0, &form, [&] {
        for (int number = 1; number <= 4; ++number) {
            const QModelIndexList rows = List(form, number)->selectionModel()->selectedRows(1);
            selected << (rows.isEmpty() ? QStringLiteral("-") : rows.first().data().toString());
        }
        form.close();
    });
    form.ShowOnTab(ChannelTab::Webcams);
    QCOMPARE(selected,
             QStringList({QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("-"), QStringLiteral("21")}));
}

void ListFormTest::addOfExistingFavouriteIsSilent()
{
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    fixture.context.CurrentChannelId = QStringLiteral("3");
    form.EditFavourites(FavouritesCommand::Add);
    QCOMPARE(prompts.questions, 1);
    QCOMPARE(fixture.Favourites(), kTwoFavourites);
    QCOMPARE(CurrentTab(form), 0);
    QCOMPARE(prompts.listFileErrors, 0);
}

void ListFormTest::removeDeletesSelectedFavouriteWithoutAsking()
{
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadFavourites();
    form.show();
    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(3);
    ClickRow(List(form, 4), 0);
    form.findChild<QAction*>(QStringLiteral("MenuItem4"))->trigger();

    QCOMPARE(prompts.questions, 0);
    QVERIFY(!fixture.Favourites().contains(R"(id="21")"));
    QCOMPARE(Ids(List(form, 4)), QStringList({QStringLiteral("3")}));
    QCOMPARE(CurrentTab(form), 3);
    QVERIFY(!List(form, 4)->selectionModel()->hasSelection());
}

void ListFormTest::addCommentSavesEditedTextOrKeepsOldOnCancel_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("expectedCaption");
    QTest::newRow("OK") << true << QString::fromUtf8("Italy - Music Radio  (128k)  [ late \xc3\xa9t\xc3\xa9 <news> ]");
    QTest::newRow("Cancel") << false << "Italy - Music Radio  (128k)  [ evening ]";
}

void ListFormTest::addCommentSavesEditedTextOrKeepsOldOnCancel()
{
    QFETCH(bool, ok);
    QFETCH(QString, expectedCaption);
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    if (ok)
        prompts.commentAnswer = QString::fromUtf8("late \xc3\xa9t\xc3\xa9 <news>");
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.LoadFavourites();
    form.show();
    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(3);
    ClickRow(List(form, 4), 1);
    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    form.findChild<QAction*>(QStringLiteral("MenuItem5"))->trigger();

    QCOMPARE(prompts.commentDialogs, 1);
    QCOMPARE(prompts.shownComment, QStringLiteral("evening"));
    QCOMPARE(Captions(List(form, 4)).last(), expectedCaption);
    // Saved and rebuilt in both cases.
    QCOMPARE(CurrentTab(form), 3);
    QVERIFY(!List(form, 4)->selectionModel()->hasSelection());
}

void ListFormTest::removeAndCommentNeedSelectedFavourite()
{
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    prompts.commentAnswer = QStringLiteral("x");
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    form.LoadFavourites();
    form.show();
    // A TV row enables the favourites popup too, but no favourite is selected.
    ClickRow(List(form, 1), 0);
    form.findChild<QAction*>(QStringLiteral("MenuItem4"))->trigger();
    form.findChild<QAction*>(QStringLiteral("MenuItem5"))->trigger();
    QCOMPARE(prompts.commentDialogs, 0);
    QCOMPARE(fixture.Favourites(), kTwoFavourites);
    QCOMPARE(CurrentTab(form), 0);
}

void ListFormTest::commandOnBrokenFavouritesFileLeavesItAlone()
{
    ListFixture fixture;
    const QByteArray broken = "<items><item id=\"3\" comment=\"\"/>";
    fixture.WriteFavourites(broken);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    fixture.context.CurrentChannelId = QStringLiteral("17");
    form.EditFavourites(FavouritesCommand::Add);
    QCOMPARE(prompts.listFileErrors, 1);
    QCOMPARE(prompts.questions, 0);
    QCOMPARE(fixture.Favourites(), broken);
    QCOMPARE(CurrentTab(form), 0);
}

void ListFormTest::missingFavouritesFileIsCreatedEmpty()
{
    ListFixture fixture;
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadFavourites();
    QCOMPARE(prompts.listFileErrors, 0);
    QCOMPARE(List(form, 4)->model()->rowCount(), 0);
    QVERIFY(fixture.Favourites().contains("<items/>"));

    QFile::remove(fixture.context.FavouritesPath());
    fixture.context.CurrentChannelId = QStringLiteral("21");
    form.EditFavourites(FavouritesCommand::Add);
    QCOMPARE(Ids(List(form, 4)), QStringList({QStringLiteral("21")}));
}

void ListFormTest::maintenanceButtonsWriteCopiesBesideCatalogue()
{
    const char* catalogue = R"(<items><item><id>1</id><url>rtsp://media.example/a</url></item></items>)";
    ListFixture fixture(catalogue);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    auto* annotate = form.findChild<QPushButton*>(QStringLiteral("Button1"));
    // Outside the 400-pixel client area and out of the keyboard's reach.
    QVERIFY(annotate->x() >= 400);
    QCOMPARE(annotate->focusPolicy(), Qt::NoFocus);
    annotate->setEnabled(true);
    annotate->click();
    const QByteArray annotated =
        ListFixture::ReadFile(fixture.context.AppFolder + QStringLiteral("data/tv-all.annotated.xml"));
    QVERIFY(annotated.contains("<imgindex>1</imgindex>"));
    QVERIFY(!ListFixture::ReadFile(fixture.context.CataloguePath()).contains("imgindex"));

    // Protecting the addresses needs the stream passphrase; the copy goes beside the catalogue.
    auto* encipher = form.findChild<QPushButton*>(QStringLiteral("Button2"));
    const QString enciphered = fixture.context.AppFolder + QStringLiteral("data/tv-all.enciphered.xml");
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, encipher->click());
    QVERIFY(!QFile::exists(enciphered));
    fixture.context.StreamPassphrase = "passphrase";
    encipher->click();
    const QByteArray protectedCopy = ListFixture::ReadFile(enciphered);
    QVERIFY(!protectedCopy.isEmpty() && !protectedCopy.contains("rtsp://"));
}

void ListFormTest::addOfAnIdThatIsNotANumberIsRefusedBeforeAsking_data()
{
    QTest::addColumn<QString>("id");
    QTest::newRow("word") << QStringLiteral("abc");
    QTest::newRow("expression") << QStringLiteral("1 or 1=1");
    QTest::newRow("sign") << QStringLiteral("-1");
    QTest::newRow("path") << QStringLiteral("1]|/items/item[1");
}

void ListFormTest::addOfAnIdThatIsNotANumberIsRefusedBeforeAsking()
{
    QFETCH(QString, id);
    ListFixture fixture;
    fixture.WriteFavourites(kTwoFavourites);
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    fixture.context.CurrentChannelId = id;
    try {
        form.EditFavourites(FavouritesCommand::Add);
        QFAIL("the id was not refused");
    } catch (const std::invalid_argument& error) {
        QCOMPARE(QString::fromUtf8(error.what()), QLatin1Char('\'') + id + QStringLiteral("' is not a channel id"));
    }
    QCOMPARE(prompts.questions, 0);
    QCOMPARE(fixture.Favourites(), kTwoFavourites);
    QCOMPARE(CurrentTab(form), 0);
}

// A row whose id an earlier item has would play that item: the window leaves it out and says so.
void ListFormTest::laterRowsWithAnEarlierRowsIdAreLeftOutInWords()
{
    ListFixture fixture(R"(<?xml version="1.0" encoding="UTF-8"?>
<items>
  <item><id>17</id><name>News One</name><country>France</country><bandwidth>300k</bandwidth><type2>tv</type2><imgindex>0</imgindex><url>00</url></item>
  <item><id>3</id><name>Music Radio</name><country>Italy</country><bandwidth></bandwidth><type2>radio</type2><imgindex>1</imgindex><url>00</url></item>
  <item><id>17</id><name>Copy Cat</name><country>Spain</country><bandwidth></bandwidth><type2>webcam</type2><imgindex>2</imgindex><url>00</url></item>
  <item><id>
    3
  </id><name>Echo</name><country>Peru</country><bandwidth>64k</bandwidth><type2>radio</type2><imgindex>1</imgindex><url>00</url></item>
</items>
)");
    ScriptedPrompts prompts;
    TListForm form(fixture.context, prompts);
    form.LoadChannelLists();
    QCOMPARE(Ids(List(form, 1)), QStringList{QStringLiteral("17")});
    QCOMPARE(Ids(List(form, 2)), QStringList{QStringLiteral("3")});
    QCOMPARE(List(form, 3)->model()->rowCount(), 0);
    QCOMPARE(
        prompts.leftOutMessages,
        QStringList{QStringLiteral("2 channels in the channel list have the same id as a channel before them. They "
                                   "would play the earlier channel, so they are left out of the lists:\n"
                                   "\nSpain - Copy Cat (id 17)\nPeru - Echo  (64k) (id 3)")});
    QCOMPARE(prompts.listFileErrors, 0);
}

// The window's own dialogs: the warning box, over the window, with its words.
void ListFormTest::leftOutRowsAreNamedInAWarningBox()
{
    ListFixture fixture(R"(<items>
  <item><id>4</id><name>Four</name><country>Chad</country><type2>radio</type2><imgindex>1</imgindex></item>
  <item><id>4</id><name>Other Four</name><country>Fiji</country><type2>tv</type2><imgindex>0</imgindex></item>
</items>)");
    TListForm form(fixture.context);
    QString shown;
    QTimer closer;
    connect(&closer, &QTimer::timeout, &form, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->windowTitle() + QLatin1Char('|') + box->text() + QLatin1Char('|')
                + QString::number(box->icon()) + QLatin1Char('|') + QString::number(box->buttons().size());
            box->close();
        }
    });
    closer.start(50);
    form.LoadChannelLists();
    QCOMPARE(shown,
             QStringLiteral("Zentavo Player|One channel in the channel list has the same id as a channel before it. "
                            "It would play the earlier channel, so it is left out of the lists:\n\n"
                            "Fiji - Other Four (id 4)|%1|1")
                 .arg(int(QMessageBox::Warning)));
    QCOMPARE(Ids(List(form, 2)), QStringList{QStringLiteral("4")});
    QCOMPARE(List(form, 1)->model()->rowCount(), 0);
}

void ListFormTest::listsReadOnAThreadShowTheRowsAndNameLeftOutOnes()
{
    {
        ListFixture fixture;
        fixture.WriteFavourites(R"(<items><item id="17" comment=""/></items>)");
        ScriptedPrompts prompts;
        TListForm form(fixture.context, prompts);
        form.LoadListsInBackground();
        QTRY_COMPARE_WITH_TIMEOUT(Ids(List(form, 4)), QStringList{QStringLiteral("17")}, test::Limit(5000));
        QCOMPARE(Ids(List(form, 1)), QStringList({QStringLiteral("17"), QStringLiteral("8")}));
        QCOMPARE(Captions(List(form, 3)), QStringList({QStringLiteral(" Norway - Harbour Cam")}));
        QCOMPARE(prompts.listFileErrors, 0);
        QCOMPARE(prompts.leftOutMessages, QStringList());
    }
    {
        ListFixture fixture(R"(<items>
  <item><id>4</id><name>Four</name><country>Chad</country><type2>radio</type2><imgindex>1</imgindex></item>
  <item><id>4</id><name>Other Four</name><country>Fiji</country><type2>tv</type2><imgindex>0</imgindex></item>
</items>)");
        ScriptedPrompts prompts;
        TListForm form(fixture.context, prompts);
        form.LoadListsInBackground();
        QTRY_COMPARE_WITH_TIMEOUT(prompts.leftOutMessages.size(), 1, test::Limit(5000));
        QVERIFY(prompts.leftOutMessages.first().contains(QStringLiteral("Fiji - Other Four (id 4)")));
        QCOMPARE(Ids(List(form, 2)), QStringList{QStringLiteral("4")});
        QCOMPARE(List(form, 1)->model()->rowCount(), 0);
    }
    {
        ListFixture fixture("<items><item>");
        ScriptedPrompts prompts;
        TListForm form(fixture.context, prompts);
        form.LoadListsInBackground();
        // Reported by the lists and by the favourites, as LoadChannelLists and LoadFavourites do.
        QTRY_COMPARE_WITH_TIMEOUT(prompts.listFileErrors, 2, test::Limit(5000));
    }
}

QTEST_MAIN(ListFormTest)
#include "test_list_form.moc"
