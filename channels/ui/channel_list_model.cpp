#include "channel_list_model.h"

#include "list_compare.h"

#include <QString>
#include <algorithm>
#include <numeric>

namespace zentavo {

ChannelListModel::ChannelListModel(QList<QIcon> rowIcons, QObject* parent)
    : QAbstractTableModel(parent), rowIcons_(std::move(rowIcons))
{
}

int ChannelListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ChannelListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ChannelListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ListRow& row = Row(index.row());
    // Texts are converted only for the rows on screen.
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(index.column() == CaptionColumn ? row.caption : row.id);
    if (role == Qt::DecorationRole && index.column() == CaptionColumn) {
        if (row.iconIndex >= 0 && row.iconIndex < rowIcons_.size())
            return rowIcons_.at(row.iconIndex);
    }
    return {};
}

Qt::ItemFlags ChannelListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ChannelListModel::SetRows(std::vector<ListRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void ChannelListModel::Clear()
{
    SetRows({});
}

void ChannelListModel::SortByColumn(int sortColumn)
{
    std::vector<int> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return ListView1Compare(rows_[static_cast<size_t>(a)], rows_[static_cast<size_t>(b)], sortColumn) < 0;
    });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<ListRow> sorted;
    sorted.reserve(rows_.size());
    std::vector<int> newRowOf(rows_.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newRowOf[static_cast<size_t>(order[i])] = static_cast<int>(i);
        sorted.push_back(std::move(rows_[static_cast<size_t>(order[i])]));
    }
    rows_ = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(this->index(newRowOf[static_cast<size_t>(index.row())], index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace zentavo
