#pragma once
// The rows of one channel list as a two-column model: column 0 the caption with the row's icon,
// column 1 the channel id (kept out of sight by the view). Rows stay in the order they were given,
// so a catalogue of 100,000 channels costs one vector, not 100,000 widget items.

#include "channels/list_row.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <vector>

namespace zentavo {

class ChannelListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { CaptionColumn = 0, IdColumn = 1 };

    // rowIcons[i] is the icon of rows whose icon index is i; other indexes show no icon.
    explicit ChannelListModel(QList<QIcon> rowIcons, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void SetRows(std::vector<ListRow> rows);
    void Clear();
    const ListRow& Row(int row) const { return rows_.at(static_cast<size_t>(row)); }
    const std::vector<ListRow>& Rows() const { return rows_; }
    // Stable ascending sort by ListView1Compare on that column; the selection follows its row.
    void SortByColumn(int sortColumn);

private:
    QList<QIcon> rowIcons_;
    std::vector<ListRow> rows_;
};

} // namespace zentavo
