#pragma once
// The channel list window: TV, radio, webcam and favourites lists, the video size choice,
// and the favourites commands.

#include <QDialog>
#include <memory>

namespace Ui { class TListForm; }

namespace zentavo {

struct AppContext;

class TListForm : public QDialog {
    Q_OBJECT
public:
    TListForm(AppContext& context, QWidget* parent = nullptr);
    ~TListForm() override;

    void LoadChannelLists();
    void LoadFavourites();
    // Sets the active tab (0 TV, 1 Radio, 2 Webcams, 3 My Favorites) and shows the window modally.
    void ShowOnTab(int tabIndex);
    // "Original size" (RadioButton1) is the chosen video size.
    bool OriginalSizeChosen() const;
    // "ADD", "DEL" or "ADDCOMMENT".
    void EditFavourites(const QString& command);

signals:
    // A play command: the main window's PlayChannel runs (direct connection) before the window closes.
    void PlayChannelRequested();

private:
    std::unique_ptr<Ui::TListForm> ui;
    AppContext& context_;
};

} // namespace zentavo
