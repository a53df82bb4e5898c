#pragma once
// The view of one channel list: rows of equal height, whole rows selected, no grid, a header over the
// columns that is shown only when a click on it sorts something. A table view underneath: it keeps one
// small record per row, where a tree view builds a record of every row through the model each time
// the rows change (tens of milliseconds of the window's thread with a million rows). Keys move
// between rows as in a list (Home and End go to the first and last row); Tab leaves the list.

#include <QTableView>

class QHeaderView;

namespace zentavo {

class ChannelListView : public QTableView {
    Q_OBJECT
public:
    explicit ChannelListView(QWidget* parent = nullptr);

    // The header over the columns.
    QHeaderView* header() const { return horizontalHeader(); }
    void setHeaderHidden(bool hidden);
    bool isHeaderHidden() const;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void changeEvent(QEvent* event) override;

private:
    // Rows as high as the item delegate makes a row of text with an icon of iconSize().
    void UpdateRowHeight();
};

} // namespace zentavo
