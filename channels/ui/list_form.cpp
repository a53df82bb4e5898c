#include "list_form.h"
#include "ui_list_form.h"

#include "channel_list_model.h"
#include "compact_tab_style.h"
#include "dialog_prompts.h"
#include "favourites_commands.h"
#include "group_choice.h"
#include "list_icons.h"
#include "visible_logos.h"

#include "own_playlists.h"

#include "channels/app_context.h"
#include "channels/catalogue.h"
#include "channels/channel_lists.h"
#include "channels/favourites_store.h"
#include "channels/logos/logo_cache.h"
#include "channels/playlists/combined_lists.h"
#include "channels/playlists/playlist_store.h"
#include "channels/preparation.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace zentavo {

namespace {
std::filesystem::path ToPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// The widths of the lists' columns: the caption alone fills the row; the number and group
// columns, when a list has them, take their room from it.
constexpr int kCaptionWidth = 360;
constexpr int kNumberWidth = 44;
constexpr int kGroupWidth = 110;
// The search field, and the group choice beside it when the tab's list has groups.
constexpr QRect kSearchAlone(5, 6, 388, 22);
constexpr QRect kSearchBesideGroups(5, 6, 258, 22);
constexpr QRect kGroupChoice(268, 6, 125, 22);

} // namespace

TListForm::TListForm(AppContext& context, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TListForm>()), context_(context),
      ownPrompts_(std::make_unique<DialogPrompts>()), prompts_(ownPrompts_.get())
{
    Init();
}

TListForm::TListForm(AppContext& context, FavouritesPrompts& prompts, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TListForm>()), context_(context), prompts_(&prompts)
{
    Init();
}

TListForm::~TListForm() = default;

void TListForm::Init()
{
    ui->setupUi(this);
    // A tool window of fixed size: small caption bar, no minimise or maximise box.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(400, 531);
    // Tahoma 8 pt is 11 pixels high; where Tahoma is missing a narrow sans face keeps the four
    // tabs and the rows within the window's width.
    QFont windowFont = font();
    windowFont.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                            QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    windowFont.setPixelSize(11);
    setFont(windowFont);

    auto* tabStyle = new CompactTabStyle(QApplication::style()->name());
    tabStyle->setParent(this);
    ui->PageControl1->tabBar()->setStyle(tabStyle);
    const QList<QIcon> tabIcons = TabIcons();
    for (int i = 0; i < ui->PageControl1->count() && i < tabIcons.size(); ++i)
        ui->PageControl1->setTabIcon(i, tabIcons.at(i));

    lists_ = {ui->ListView1, ui->ListView2, ui->ListView3, ui->ListView4};
    const QList<QIcon> rowIcons = RowIcons();
    // Channel logos, fetched for the rows on screen and kept in the user's cache folder.
    auto* logos = new LogoCache(LogoCacheOptions{}, this);
    for (int i = 0; i < 4; ++i) {
        models_[static_cast<size_t>(i)] = new ChannelListModel(rowIcons, this);
        models_[static_cast<size_t>(i)]->SetLogos(logos);
        SetUpList(i);
        new VisibleLogos(lists_[static_cast<size_t>(i)], models_[static_cast<size_t>(i)], logos);
    }

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(ui->Popup_Play);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ui->Popup_Addthischanneltomyfavorites);
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->addAction(ui->MenuItem1);
    PopupMenu2->addSeparator();
    PopupMenu2->addAction(ui->MenuItem4);
    PopupMenu2->addAction(ui->MenuItem5);

    // "Channels": the user's own playlists.
    channelsButton_ = new QToolButton(this);
    channelsButton_->setObjectName(QStringLiteral("ChannelsButton"));
    channelsButton_->setText(QStringLiteral("Channels"));
    channelsButton_->setPopupMode(QToolButton::InstantPopup);
    channelsButton_->setGeometry(340, 484, 54, 33);
    auto* channelsMenu = new QMenu(channelsButton_);
    channelsMenu->setObjectName(QStringLiteral("ChannelsMenu"));
    QAction* addPlaylist = channelsMenu->addAction(QStringLiteral("Add playlist..."));
    addPlaylist->setObjectName(QStringLiteral("AddPlaylistAction"));
    QAction* managePlaylists = channelsMenu->addAction(QStringLiteral("Manage playlists..."));
    managePlaylists->setObjectName(QStringLiteral("ManagePlaylistsAction"));
    channelsButton_->setMenu(channelsMenu);
    connect(addPlaylist, &QAction::triggered, this, [this] { AddPlaylist(); });
    connect(managePlaylists, &QAction::triggered, this, [this] { ManagePlaylists(); });
    ownPlaylists_ = new OwnPlaylists(
        context_, models_, [this] { LoadChannelLists(); }, [this] { LoadFavourites(); }, this);
    connect(ownPlaylists_, &OwnPlaylists::PlaylistChanged, this, &TListForm::PlaylistChanged);

    // The group filter: every group, or the channels of one.
    groupChoice_ = new GroupChoice(this);
    groupChoice_->setGeometry(kGroupChoice);

    // Tab goes round in reading order: the search field, the group filter (when shown), the tabs,
    // the list of the tab shown, the video size choice, the play button and the Channels button.
    // Set here, after every control exists, on the tab bar itself: the order of the .ui file, given
    // on the tab widget, left Tab going from the tabs straight back to the search field.
    QList<QWidget*> order{ui->Edit_search, groupChoice_, ui->PageControl1->tabBar()};
    for (ChannelListView* list : lists_)
        order << list;
    order << ui->RadioButton1 << ui->RadioButton2 << ui->Button3 << channelsButton_ << ui->Edit_search;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    ui->Edit_search->installEventFilter(this);
    ConnectHandlers();
}

void TListForm::SetUpList(int index)
{
    ChannelListView* list = lists_[static_cast<size_t>(index)];
    list->setModel(models_[static_cast<size_t>(index)]);
    list->setColumnWidth(0, kCaptionWidth);
    // The id column has no width: the id is never visible.
    list->setColumnHidden(1, true);
    // The number goes before the caption, the group after it; both only for lists that have them.
    list->header()->moveSection(ChannelListModel::NumberColumn, 0);
    list->setColumnWidth(ChannelListModel::NumberColumn, kNumberWidth);
    list->setColumnWidth(ChannelListModel::GroupColumn, kGroupWidth);
    list->setColumnHidden(ChannelListModel::NumberColumn, true);
    list->setColumnHidden(ChannelListModel::GroupColumn, true);
    // No header until the list has a column to sort by (UpdateColumns).
    list->setHeaderHidden(true);
    connect(models_[static_cast<size_t>(index)], &ChannelListModel::RowsReplaced, this, [this, index] {
        UpdateColumns(index);
        if (ui->PageControl1->currentIndex() == index)
            RefreshGroupChoice();
    });
    list->header()->setSectionsClickable(true);
    list->viewport()->installEventFilter(this);
    list->installEventFilter(this); // Enter plays the selected row
}

void TListForm::ConnectHandlers()
{
    for (ChannelListView* list : lists_) {
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, list](const QItemSelection&, const QItemSelection&) {
                    const QModelIndexList rows = list->selectionModel()->selectedRows();
                    if (rows.isEmpty())
                        ListView1SelectItem(list, -1, false);
                    else
                        ListView1SelectItem(list, rows.first().row(), true);
                });
        connect(list, &QAbstractItemView::doubleClicked, this,
                [this, list](const QModelIndex&) { ListView1DblClick(list); });
        connect(list->header(), &QHeaderView::sectionClicked, this,
                [this, list](int column) { ListView1ColumnClick(list, column); });
        // Mouse requests are turned into releases by eventFilter; this one comes from the Menu key.
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint&) {
            const QModelIndexList rows = list->selectionModel()->selectedRows();
            const QRect rowRect = rows.isEmpty() ? QRect() : list->visualRect(rows.first());
            const QPoint at =
                rowRect.isValid() && list->viewport()->rect().intersects(rowRect) ? rowRect.bottomLeft() : QPoint(0, 0);
            OpenPopup(list, list->viewport()->mapToGlobal(at));
        });
    }
    connect(ui->Edit_search, &QLineEdit::textChanged, this, &TListForm::Edit_searchChange);
    connect(ui->PageControl1, &QTabWidget::currentChanged, this, [this](int) {
        RefreshGroupChoice();
        Edit_searchChange(ui->Edit_search->text());
    });
    connect(groupChoice_, &QComboBox::activated, this, &TListForm::GroupFilterChange);
    connect(ui->Popup_Play, &QAction::triggered, this, &TListForm::Popup_PlayClick);
    connect(ui->Popup_Addthischanneltomyfavorites, &QAction::triggered, this,
            &TListForm::Popup_AddthischanneltomyfavoritesClick);
    connect(ui->MenuItem1, &QAction::triggered, this, &TListForm::MenuItem1Click);
    connect(ui->MenuItem4, &QAction::triggered, this, &TListForm::Popup_RemovethischannelfrommyfavoritesClick);
    connect(ui->MenuItem5, &QAction::triggered, this, &TListForm::Popup_AddcommentClick);
    connect(ui->Button3, &QPushButton::clicked, this, &TListForm::Button3Click);
    connect(ui->Button1, &QPushButton::clicked, this, &TListForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TListForm::Button2Click);
}

bool TListForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        const int key = keyEvent->key();
        if (watched == ui->Edit_search)
            return SearchFieldKey(keyEvent);
        auto* keyList = qobject_cast<ChannelListView*>(watched);
        if (keyList && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            // Enter on a row plays it, as a double click does.
            ListView1DblClick(keyList);
            return true;
        }
        if (keyList && IsTypedText(*keyEvent)) {
            // Typing in a list searches: the keys go to the search field.
            ui->Edit_search->setFocus(Qt::ShortcutFocusReason);
            QCoreApplication::sendEvent(ui->Edit_search, keyEvent);
            return true;
        }
    }
    ChannelListView* list = nullptr;
    for (ChannelListView* candidate : lists_) {
        if (candidate->viewport() == watched)
            list = candidate;
    }
    if (!list)
        return QDialog::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        // A click below the rows unselects, as in any list of the desktop.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && !list->indexAt(mouse->position().toPoint()).isValid())
            list->clearSelection();
        break;
    }
    case QEvent::ContextMenu:
        // The popup opens when the right button is released (right-button presses never reach the
        // windows), so a request made by the press is dropped here.
        if (static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse)
            return true;
        break;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            OpenPopup(list, mouse->globalPosition().toPoint());
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TListForm::OpenPopup(ChannelListView* list, const QPoint& globalPos)
{
    QMenu* menu = list == ui->ListView4 ? PopupMenu2 : PopupMenu1;
    menu->popup(globalPos);
}

QMenu* TListForm::ChannelsMenu() const
{
    return channelsButton_->menu();
}

void TListForm::SetManagePlaylistsExtension(std::function<void(PlaylistsDialog&)> extend)
{
    ownPlaylists_->SetManageExtension(std::move(extend));
}

void TListForm::AddChannelCommand(QAction* action)
{
    for (QMenu* menu : {PopupMenu1, PopupMenu2}) {
        menu->addSeparator();
        menu->addAction(action);
    }
}

ChannelListModel* TListForm::ModelOf(const ChannelListView* list) const
{
    for (size_t i = 0; i < lists_.size(); ++i) {
        if (lists_[i] == list)
            return models_[i];
    }
    throw std::logic_error("not a list of the channel list window");
}

void TListForm::LoadChannelLists()
{
    ownPlaylists_->ListsRead();
    ChannelLists lists;
    try {
        lists = BuildAllChannelLists(ToPath(context_.CataloguePath()),
                                     PlaylistStore(ToPath(context_.PlaylistsFolder())), context_.CataloguePlaces.get());
    } catch (const ListFileError&) {
        prompts_->ShowListFileError();
        return;
    }
    models_[0]->SetRows(std::move(lists.tv));
    models_[1]->SetRows(std::move(lists.radio));
    models_[2]->SetRows(std::move(lists.webcam));
    if (!lists.leftOut.empty())
        prompts_->ShowLeftOutRows(QString::fromStdString(LeftOutRowsMessage(lists.leftOut)));
}

void TListForm::LoadFavourites()
{
    models_[3]->Clear();
    std::vector<ListRow> rows;
    try {
        rows = BuildFavouriteRows(
            ToPath(context_.FavouritesPath()),
            AllCataloguePaths(ToPath(context_.CataloguePath()), PlaylistStore(ToPath(context_.PlaylistsFolder()))));
    } catch (const ListFileError&) {
        prompts_->ShowListFileError();
        return;
    }
    models_[3]->SetRows(std::move(rows));
}

void TListForm::LoadListsInBackground()
{
    ownPlaylists_->LoadInBackground();
}

void TListForm::AddPlaylist(QWidget* over)
{
    // The dialogs open over the window the user is looking at: the main window's menu reaches
    // here while this window is hidden.
    ownPlaylists_->Add(over ? over : this);
}

void TListForm::ManagePlaylists(QWidget* over)
{
    ownPlaylists_->Manage(over ? over : this);
}

void TListForm::RefreshOldPlaylists()
{
    ownPlaylists_->RefreshOld();
}

bool TListForm::RefreshingPlaylists() const
{
    return ownPlaylists_->Refreshing();
}

void TListForm::ShowOnTab(ChannelTab tab)
{
    const int tabIndex = static_cast<int>(tab);
    ui->PageControl1->setCurrentIndex(tabIndex);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    // The list of the tab takes the keyboard, so arrows and Enter work at once.
    lists_[static_cast<std::size_t>(tabIndex)]->setFocus(Qt::OtherFocusReason);
    exec();
}

ChannelTab TListForm::CurrentTab() const
{
    return static_cast<ChannelTab>(std::clamp(ui->PageControl1->currentIndex(), 0, 3));
}

std::vector<ListRow> TListForm::ShownRows(ChannelTab tab) const
{
    const ChannelListModel* model = models_.at(static_cast<std::size_t>(tab));
    std::vector<ListRow> rows;
    rows.reserve(static_cast<std::size_t>(model->rowCount()));
    for (int row = 0; row < model->rowCount(); ++row)
        rows.push_back(model->Row(row));
    return rows;
}

std::optional<ListRow> TListForm::FindRow(ChannelTab tab, const std::string& id) const
{
    for (const ListRow& row : models_.at(static_cast<std::size_t>(tab))->Rows()) {
        if (row.id == id)
            return row;
    }
    return std::nullopt;
}

bool TListForm::OriginalSizeChosen() const
{
    return ui->RadioButton1->isChecked();
}

std::optional<QString> TListForm::SelectedFavouriteId() const
{
    const QModelIndexList rows = ui->ListView4->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return QString::fromStdString(models_[3]->Row(rows.first().row()).id);
}

void TListForm::EditFavourites(FavouritesCommand command)
{
    FavouritesCommands commands(ToPath(context_.FavouritesPath()), *prompts_);
    if (!commands.Run(command, context_.CurrentChannelId, SelectedFavouriteId()))
        return;
    LoadFavourites();
    ui->PageControl1->setCurrentIndex(static_cast<int>(ChannelTab::Favourites));
}

bool TListForm::IsTypedText(const QKeyEvent& event)
{
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event.text();
    return !text.isEmpty() && text.at(0).isPrint() && !(text.size() == 1 && text.at(0) == QLatin1Char(' '));
}

bool TListForm::SearchFieldKey(QKeyEvent* event)
{
    ChannelListView* list = lists_[static_cast<std::size_t>(ui->PageControl1->currentIndex())];
    switch (event->key()) {
    case Qt::Key_Escape:
        // Esc clears the search first; with nothing typed it closes the window as usual.
        if (ui->Edit_search->text().isEmpty())
            return false;
        ui->Edit_search->clear();
        return true;
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // From the search field straight to the rows found: the first one is selected.
        list->setFocus(Qt::OtherFocusReason);
        if (!list->selectionModel()->hasSelection() && list->model()->rowCount() > 0)
            list->setCurrentIndex(list->model()->index(0, 0));
        return true;
    default:
        return false;
    }
}

void TListForm::Edit_searchChange(const QString& text)
{
    // The current tab shows what the search field holds; the row selected before stays selected
    // while it is among the rows found.
    const int tab = ui->PageControl1->currentIndex();
    if (tab < 0 || tab >= static_cast<int>(lists_.size()))
        return;
    if (models_[static_cast<std::size_t>(tab)]->Filter() == text.simplified())
        return;
    KeepSelection(tab, [&text](ChannelListModel& model) { model.SetFilter(text); });
}

void TListForm::GroupFilterChange(int choice)
{
    const int tab = ui->PageControl1->currentIndex();
    if (tab < 0 || tab >= static_cast<int>(lists_.size()))
        return;
    // The first choice is every group; the others hold their group's name as data.
    const QString group = choice <= 0 ? QString() : groupChoice_->itemData(choice).toString();
    KeepSelection(tab, [&group](ChannelListModel& model) { model.SetGroupFilter(group); });
}

void TListForm::KeepSelection(int tab, const std::function<void(ChannelListModel&)>& change)
{
    ChannelListView* list = lists_[static_cast<std::size_t>(tab)];
    ChannelListModel* model = models_[static_cast<std::size_t>(tab)];
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    // The change keeps the rows: the selected one is found again by its place among them, not by
    // comparing the ids of up to a million rows.
    const std::optional<std::size_t> selectedRow =
        selected.isEmpty() ? std::nullopt : std::optional<std::size_t>(model->AllRowIndex(selected.first().row()));
    change(*model);
    const int row = selectedRow ? model->ShownRowAt(*selectedRow) : -1;
    if (row >= 0)
        list->setCurrentIndex(model->index(row, 0));
}

void TListForm::UpdateColumns(int index)
{
    ChannelListView* list = lists_[static_cast<std::size_t>(index)];
    const ChannelListModel* model = models_[static_cast<std::size_t>(index)];
    const bool numbers = model->HasNumbers();
    const bool groups = model->HasGroups();
    list->setColumnHidden(ChannelListModel::NumberColumn, !numbers);
    list->setColumnHidden(ChannelListModel::GroupColumn, !groups);
    // The header is what a click sorts by; a list of captions alone keeps its file order.
    list->setHeaderHidden(!numbers && !groups);
    list->setColumnWidth(ChannelListModel::CaptionColumn,
                         kCaptionWidth - (numbers ? kNumberWidth : 0) - (groups ? kGroupWidth : 0));
}

void TListForm::RefreshGroupChoice()
{
    const int tab = ui->PageControl1->currentIndex();
    if (tab < 0 || tab >= static_cast<int>(lists_.size()))
        return;
    ChannelListModel* model = models_[static_cast<std::size_t>(tab)];
    const QStringList groups = model->Groups();
    // A group that the new rows no longer have would show no row at all.
    if (!model->GroupFilter().isEmpty() && !groups.contains(model->GroupFilter()))
        KeepSelection(tab, [](ChannelListModel& changed) { changed.SetGroupFilter(QString()); });
    groupChoice_->SetGroups(groups, model->GroupFilter());
    ui->Edit_search->setGeometry(groups.isEmpty() ? kSearchAlone : kSearchBesideGroups);
}

void TListForm::ListView1SelectItem(ChannelListView* list, int row, bool selected)
{
    if (selected) {
        const ListRow& selectedRow = ModelOf(list)->Row(row);
        context_.CurrentChannelId = QString::fromStdString(selectedRow.id);
        context_.CurrentChannelName = QString::fromStdString(selectedRow.caption);
    }
    // One state for the whole window: a selection in any list enables every command.
    SetCommandsEnabled(selected);
}

void TListForm::SetCommandsEnabled(bool enabled)
{
    ui->Popup_Play->setEnabled(enabled);
    ui->Popup_Addthischanneltomyfavorites->setEnabled(enabled);
    ui->MenuItem1->setEnabled(enabled);
    ui->MenuItem4->setEnabled(enabled);
    ui->MenuItem5->setEnabled(enabled);
    ui->Button3->setEnabled(enabled);
    ui->Button1->setEnabled(enabled);
}

void TListForm::ListView1DblClick(ChannelListView* list)
{
    if (list->selectionModel()->hasSelection())
        PlayAndClose();
}

void TListForm::ListView1ColumnClick(ChannelListView* list, int column)
{
    sortColumn_ = column;
    // A million rows take the sort half a second: it is made on a thread of its own.
    ModelOf(list)->SortInBackground(sortColumn_);
}

void TListForm::PlayAndClose()
{
    // The window closes after the play request, whether or not the channel could be played.
    struct Closer {
        TListForm* form;
        ~Closer() { form->close(); }
    } closer{this};
    emit PlayChannelRequested(context_.CurrentChannelId, context_.CurrentChannelName);
}

void TListForm::Popup_PlayClick()
{
    PlayAndClose();
}

void TListForm::MenuItem1Click()
{
    PlayAndClose();
}

void TListForm::Button3Click()
{
    PlayAndClose();
}

void TListForm::Popup_AddthischanneltomyfavoritesClick()
{
    EditFavourites(FavouritesCommand::Add);
}

void TListForm::Popup_RemovethischannelfrommyfavoritesClick()
{
    EditFavourites(FavouritesCommand::Remove);
}

void TListForm::Popup_AddcommentClick()
{
    EditFavourites(FavouritesCommand::AddComment);
}

void TListForm::Button1Click()
{
    // Catalogue maintenance: writes a copy of the catalogue with each item's media kind.
    AnnotateMediaKinds(ToPath(context_.CataloguePath()),
                       ToPath(context_.AppFolder + QStringLiteral("data/tv-all.annotated.xml")));
}

void TListForm::Button2Click()
{
    // Catalogue maintenance: writes a copy of the catalogue with every address protected.
    if (context_.StreamPassphrase.empty())
        throw std::runtime_error("The stream passphrase has not been built yet");
    EncipherCatalogueAddresses(ToPath(context_.CataloguePath()),
                               ToPath(context_.AppFolder + QStringLiteral("data/tv-all.enciphered.xml")),
                               context_.StreamPassphrase);
}

} // namespace zentavo
