#pragma once
// The channel list window: TV, radio, webcam and favourites lists, the video size choice,
// the play commands and the favourites commands.

#include "channel_list_view.h"
#include "channel_tab.h"

#include "channels/list_row.h"

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QKeyEvent;
class QMenu;
class QToolButton;

namespace Ui {
class TListForm;
}

namespace zentavo {

struct AppContext;
class ChannelListModel;
class FavouritesPrompts;
class GroupChoice;
class OwnPlaylists;
class PlaylistsDialog;

class TListForm : public QDialog {
    Q_OBJECT
public:
    // Asks its questions with the real dialogs.
    explicit TListForm(AppContext& context, QWidget* parent = nullptr);
    // Asks its questions through prompts, which must outlive the window.
    TListForm(AppContext& context, FavouritesPrompts& prompts, QWidget* parent = nullptr);
    ~TListForm() override;

    // Fills the TV, radio and webcam lists from the catalogue, replacing their rows. A catalogue
    // that cannot be loaded is reported with the list-file message and leaves the lists as they were.
    void LoadChannelLists();
    // Rebuilds the "My Favorites" list from the favourites file (created empty when missing).
    void LoadFavourites();
    // Both of the above on a thread of their own, the rows shown once read (start-up): the window
    // stays responsive with lists of any size. A catalogue that cannot be loaded is reported as
    // LoadChannelLists reports it.
    void LoadListsInBackground();
    // "Channels > Add playlist...": asks for a file or an address, imports it behind a progress
    // dialog and shows what was imported and what was left out. The dialogs open over `over`, or
    // over this window.
    void AddPlaylist(QWidget* over = nullptr);
    // "Channels > Manage playlists...".
    void ManagePlaylists(QWidget* over = nullptr);
    // Reads again, quietly and one after another, the address playlists last read more than a day
    // ago; one that fails keeps its channels. Returns at once.
    void RefreshOldPlaylists();
    // Whether the quiet refresh is still at work.
    bool RefreshingPlaylists() const;
    // Sets the active tab and shows the window modally.
    void ShowOnTab(ChannelTab tab);
    // "Original size" (RadioButton1) is the chosen video size.
    bool OriginalSizeChosen() const;
    void EditFavourites(FavouritesCommand command);
    // The tab shown (or shown last).
    ChannelTab CurrentTab() const;
    // The rows a tab's list shows now, in its order and through its search filter.
    std::vector<ListRow> ShownRows(ChannelTab tab) const;
    // The row of the channel with that id in a tab's list, shown or not; none when it has none.
    std::optional<ListRow> FindRow(ChannelTab tab, const std::string& id) const;
    // Index of the column by which a list was sorted last; one value for all four lists.
    int SortColumn() const { return sortColumn_; }

    // For the parts that add to the lists (the programme guide): a tab's view and model, the
    // Channels menu, and commands added to the popup menus of the rows of every tab.
    ChannelListView* ListView(ChannelTab tab) const { return lists_.at(static_cast<std::size_t>(tab)); }
    ChannelListModel* Model(ChannelTab tab) const { return models_.at(static_cast<std::size_t>(tab)); }
    QMenu* ChannelsMenu() const;
    void AddChannelCommand(QAction* action);
    // Called with every Manage playlists dialog before it shows, to add parts of its own.
    void SetManagePlaylistsExtension(std::function<void(PlaylistsDialog&)> extend);

signals:
    // A play command for the channel selected last (CurrentChannelId, CurrentChannelName): the main
    // window plays it (direct connection) before this window closes.
    void PlayChannelRequested(const QString& id, const QString& name);
    // A playlist was added (added), read again or removed (it is listed no more): for the parts
    // that keep something of each playlist (the programme guide's sources).
    void PlaylistChanged(const QString& key, bool added);

private slots:
    void ListView1SelectItem(ChannelListView* list, int row, bool selected);
    void ListView1DblClick(ChannelListView* list);
    void ListView1ColumnClick(ChannelListView* list, int column);
    void Popup_PlayClick();
    void Popup_AddthischanneltomyfavoritesClick();
    void MenuItem1Click();
    void Popup_RemovethischannelfrommyfavoritesClick();
    void Popup_AddcommentClick();
    void Button3Click();
    void Button1Click();
    void Button2Click();
    void Edit_searchChange(const QString& text);
    void GroupFilterChange(int choice);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Init();
    void SetUpList(int index);
    // Shows the number and group columns, and the header to sort by them, when the list has any.
    void UpdateColumns(int index);
    // Fills the group choice with the groups of the tab shown; hidden when its list has none.
    void RefreshGroupChoice();
    // Runs change on the tab's model and keeps the selected row selected while it is shown.
    void KeepSelection(int tab, const std::function<void(ChannelListModel&)>& change);
    void ConnectHandlers();
    void SetCommandsEnabled(bool enabled);
    void OpenPopup(ChannelListView* list, const QPoint& globalPos);
    void PlayAndClose();
    static bool IsTypedText(const QKeyEvent& event);
    bool SearchFieldKey(QKeyEvent* event);
    std::optional<QString> SelectedFavouriteId() const;
    ChannelListModel* ModelOf(const ChannelListView* list) const;

    std::unique_ptr<Ui::TListForm> ui;
    AppContext& context_;
    std::unique_ptr<FavouritesPrompts> ownPrompts_;
    FavouritesPrompts* prompts_;
    std::array<ChannelListView*, 4> lists_{};
    std::array<ChannelListModel*, 4> models_{};
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    int sortColumn_ = 0;
    QToolButton* channelsButton_ = nullptr;
    GroupChoice* groupChoice_ = nullptr;
    OwnPlaylists* ownPlaylists_ = nullptr;
};

} // namespace zentavo
