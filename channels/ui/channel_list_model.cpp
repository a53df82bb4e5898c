#include "channel_list_model.h"

#include "channels/list_compare.h"
#include "channels/search_text.h"

#include "channels/logos/logo_cache.h"

#include <QString>
#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string>

namespace zentavo {

ChannelListModel::ChannelListModel(QList<QIcon> rowIcons, QObject* parent)
    : QAbstractTableModel(parent), rowIcons_(std::move(rowIcons))
{}

int ChannelListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(filtered_ ? shown_.size() : rows_.size());
}

int ChannelListModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return extraColumn_ ? kOwnColumns + 1 : kOwnColumns;
}

QVariant ChannelListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ListRow& row = Row(index.row());
    if (extraColumn_ && index.column() == ExtraColumnIndex())
        return extraColumn_->Data(row, role);
    // Texts are converted only for the rows on screen.
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case CaptionColumn:
            return QString::fromUtf8(row.caption);
        case NumberColumn:
            return QString::fromUtf8(row.number);
        case GroupColumn:
            return QString::fromUtf8(row.group);
        default:
            return QString::fromUtf8(row.id);
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() == NumberColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::DecorationRole && index.column() == CaptionColumn) {
        if (logos_ && !row.logo.empty()) {
            const QIcon logo = logos_->Logo(QString::fromStdString(row.logo));
            if (!logo.isNull())
                return logo;
        }
        if (row.iconIndex >= 0 && row.iconIndex < rowIcons_.size())
            return rowIcons_.at(row.iconIndex);
    }
    return {};
}

QVariant ChannelListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (extraColumn_ && section == ExtraColumnIndex())
        return QStringLiteral("Now on");
    switch (section) {
    case CaptionColumn:
        return QStringLiteral("Channel");
    case NumberColumn:
        return QStringLiteral("No.");
    case GroupColumn:
        return QStringLiteral("Group");
    default:
        return {};
    }
}

bool ChannelListModel::HasNumbers() const
{
    return std::any_of(rows_.begin(), rows_.end(), [](const ListRow& row) { return !row.number.empty(); });
}

bool ChannelListModel::HasGroups() const
{
    return std::any_of(rows_.begin(), rows_.end(), [](const ListRow& row) { return !row.group.empty(); });
}

QStringList ChannelListModel::Groups() const
{
    return GroupsOf(rows_);
}

QStringList ChannelListModel::GroupsOf(const std::vector<ListRow>& rows)
{
    std::vector<std::string_view> groups;
    for (const ListRow& row : rows) {
        if (!row.group.empty())
            groups.push_back(row.group);
    }
    // Groups that differ only in case are two groups: ties of the list order go by their bytes.
    std::sort(groups.begin(), groups.end(), [](std::string_view a, std::string_view b) {
        const int order = CompareListText(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    groups.erase(std::unique(groups.begin(), groups.end()), groups.end());
    QStringList names;
    names.reserve(static_cast<qsizetype>(groups.size()));
    for (const std::string_view group : groups)
        names.append(QString::fromUtf8(group.data(), static_cast<qsizetype>(group.size())));
    return names;
}

void ChannelListModel::SetGroupFilter(const QString& group)
{
    if (group == group_)
        return;
    // Another group is no narrowing of the rows shown now.
    const bool narrowing = group_.isEmpty() && filtered_;
    beginResetModel();
    group_ = group;
    groupUtf8_ = group.toStdString();
    ApplyFilter(narrowing);
    endResetModel();
}

void ChannelListModel::SetLogos(LogoCache* logos)
{
    logos_ = logos;
}

void ChannelListModel::SetExtraColumn(const ListExtraColumn* column)
{
    if (column == extraColumn_)
        return;
    if (extraColumn_) {
        beginRemoveColumns({}, ExtraColumnIndex(), ExtraColumnIndex());
        extraColumn_ = nullptr;
        endRemoveColumns();
    }
    if (column) {
        beginInsertColumns({}, ExtraColumnIndex(), ExtraColumnIndex());
        extraColumn_ = column;
        endInsertColumns();
    }
}

Qt::ItemFlags ChannelListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

std::vector<std::string> ChannelListModel::FoldedCaptions(const std::vector<ListRow>& rows)
{
    std::vector<std::string> folded;
    folded.reserve(rows.size());
    for (const ListRow& row : rows)
        folded.push_back(FoldForSearch(row.caption));
    return folded;
}

void ChannelListModel::SetRows(std::vector<ListRow> rows)
{
    // Folded once here, so that every keystroke of a search only compares.
    std::vector<std::string> folded = FoldedCaptions(rows);
    SetRows(std::move(rows), std::move(folded));
}

void ChannelListModel::SetRows(std::vector<ListRow> rows, std::vector<std::string> foldedCaptions)
{
    ReplaceRows(std::move(rows), std::move(foldedCaptions));
}

ChannelListModel::HeldRows ChannelListModel::ReplaceRows(std::vector<ListRow> rows,
                                                         std::vector<std::string> foldedCaptions)
{
    if (foldedCaptions.size() != rows.size())
        throw std::invalid_argument("one folded caption a row is needed");
    HeldRows held{std::move(rows_), std::move(foldedCaptions_)};
    beginResetModel();
    rows_ = std::move(rows);
    foldedCaptions_ = std::move(foldedCaptions);
    if (filtered_)
        ApplyFilter(false);
    endResetModel();
    emit RowsReplaced();
    return held;
}

void ChannelListModel::SetFilter(const QString& text)
{
    const QString simplified = text.simplified();
    if (simplified == filter_)
        return;
    // Typing on at the end can only narrow what is shown: only the rows shown now are looked at.
    const bool narrowing = filtered_ && simplified.startsWith(filter_);
    beginResetModel();
    filter_ = simplified;
    ApplyFilter(narrowing);
    endResetModel();
}

void ChannelListModel::ApplyFilter(bool narrowing)
{
    const std::vector<std::string> words = SearchWords(filter_);
    filtered_ = !words.empty() || !group_.isEmpty();
    if (!filtered_) {
        shown_.clear();
        return;
    }
    std::vector<int> shown;
    const auto consider = [&](int index) {
        const auto at = static_cast<std::size_t>(index);
        if ((groupUtf8_.empty() || rows_[at].group == groupUtf8_) && HoldsEveryWord(foldedCaptions_[at], words))
            shown.push_back(index);
    };
    if (narrowing) {
        for (const int index : shown_)
            consider(index);
    } else {
        for (int index = 0; index < static_cast<int>(rows_.size()); ++index)
            consider(index);
    }
    shown_ = std::move(shown);
}

int ChannelListModel::ShownRowOf(const std::string& id) const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (Row(row).id == id)
            return row;
    }
    return -1;
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
    // Where each row shown now goes: its index among all rows, then its new shown position.
    const QModelIndexList before = persistentIndexList();
    std::vector<std::size_t> allIndexBefore;
    allIndexBefore.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before)
        allIndexBefore.push_back(AllRowIndex(index.row()));

    std::vector<ListRow> sorted;
    std::vector<std::string> sortedCaptions;
    sorted.reserve(rows_.size());
    sortedCaptions.reserve(rows_.size());
    std::vector<int> newIndexOf(rows_.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const auto from = static_cast<size_t>(order[i]);
        newIndexOf[from] = static_cast<int>(i);
        sorted.push_back(std::move(rows_[from]));
        sortedCaptions.push_back(std::move(foldedCaptions_[from]));
    }
    rows_ = std::move(sorted);
    foldedCaptions_ = std::move(sortedCaptions);

    std::vector<int> shownRowOf; // new index among all rows -> new shown position
    if (filtered_) {
        for (int& index : shown_)
            index = newIndexOf[static_cast<size_t>(index)];
        std::sort(shown_.begin(), shown_.end());
        shownRowOf.assign(rows_.size(), -1);
        for (size_t row = 0; row < shown_.size(); ++row)
            shownRowOf[static_cast<size_t>(shown_[row])] = static_cast<int>(row);
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int newIndex = newIndexOf[allIndexBefore[static_cast<size_t>(i)]];
        const int newRow = filtered_ ? shownRowOf[static_cast<size_t>(newIndex)] : newIndex;
        after.append(this->index(newRow, before.at(i).column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace zentavo
