#include "channel_list_model.h"

#include "channels/list_compare.h"
#include "channels/search_text.h"

#include "channels/logos/logo_cache.h"

#include <QString>
#include <QThread>
#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string>
#include <unordered_set>

namespace zentavo {

namespace {

// The rows in that order (empty: as given) sorted stably by ListView1Compare on the column, as
// indexes into rows.
std::vector<int> SortedOrder(const std::vector<ListRow>& rows, std::vector<int> order, int sortColumn)
{
    if (order.empty()) {
        order.resize(rows.size());
        std::iota(order.begin(), order.end(), 0);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return ListView1Compare(rows[static_cast<std::size_t>(a)], rows[static_cast<std::size_t>(b)], sortColumn) < 0;
    });
    return order;
}

} // namespace

ChannelListModel::ChannelListModel(QList<QIcon> rowIcons, QObject* parent)
    : QAbstractTableModel(parent), rowIcons_(std::move(rowIcons)), rows_(std::make_shared<const std::vector<ListRow>>())
{}

ChannelListModel::~ChannelListModel()
{
    if (sorter_)
        sorter_->wait();
}

QModelIndex ChannelListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= ChannelListModel::rowCount()
        || column >= ChannelListModel::columnCount())
        return {};
    return createIndex(row, column);
}

int ChannelListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(filtered_ ? shown_.size() : rows_->size());
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

ChannelListModel::RowFacts ChannelListModel::FactsOf(const std::vector<ListRow>& rows)
{
    RowFacts facts;
    // Each group once before sorting: a list of a million rows has a few hundred groups at most.
    std::unordered_set<std::string_view> distinct;
    for (const ListRow& row : rows) {
        facts.hasNumbers = facts.hasNumbers || !row.number.empty();
        if (!row.group.empty())
            distinct.insert(row.group);
    }
    facts.hasGroups = !distinct.empty();
    std::vector<std::string_view> groups(distinct.begin(), distinct.end());
    // Groups that differ only in case are two groups: ties of the list order go by their bytes.
    std::sort(groups.begin(), groups.end(), [](std::string_view a, std::string_view b) {
        const int order = CompareListText(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    facts.groups.reserve(static_cast<qsizetype>(groups.size()));
    for (const std::string_view group : groups)
        facts.groups.append(QString::fromUtf8(group.data(), static_cast<qsizetype>(group.size())));
    return facts;
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
    // An ASCII caption is its own fold but for the case of its letters, which the search ignores
    // as it compares: it keeps no copy (a list of a million such rows saves tens of megabytes).
    for (const ListRow& row : rows)
        folded.push_back(IsAsciiText(row.caption) ? std::string() : FoldForSearch(row.caption));
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
    RowFacts facts = FactsOf(rows);
    return ReplaceRows(std::move(rows), std::move(foldedCaptions), std::move(facts));
}

ChannelListModel::HeldRows ChannelListModel::ReplaceRows(std::vector<ListRow> rows,
                                                         std::vector<std::string> foldedCaptions, RowFacts facts)
{
    if (foldedCaptions.size() != rows.size())
        throw std::invalid_argument("one folded caption a row is needed");
    HeldRows held{std::move(rows_), std::move(foldedCaptions_)};
    beginResetModel();
    rows_ = std::make_shared<const std::vector<ListRow>>(std::move(rows));
    ++rowsSerial_;
    order_.clear(); // new rows show as given
    foldedCaptions_ = std::move(foldedCaptions);
    facts_ = std::move(facts);
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
    shown.reserve(narrowing ? shown_.size() : rows_->size());
    const std::vector<ListRow>& rows = *rows_;
    const auto consider = [&](int index) {
        const auto at = static_cast<std::size_t>(index);
        if (!groupUtf8_.empty() && rows[at].group != groupUtf8_)
            return;
        // No fold kept: the caption is ASCII (FoldedCaptions), compared as it is.
        const std::string& folded = foldedCaptions_[at];
        if (folded.empty() ? AsciiTextHoldsEveryWord(rows[at].caption, words) : HoldsEveryWord(folded, words))
            shown.push_back(index);
    };
    if (narrowing) {
        for (const int index : shown_)
            consider(index);
    } else if (order_.empty()) {
        for (int index = 0; index < static_cast<int>(rows.size()); ++index)
            consider(index);
    } else {
        for (const int index : order_)
            consider(index);
    }
    shown_ = std::move(shown);
}

int ChannelListModel::ShownRowAt(std::size_t allRowIndex) const
{
    const auto index = static_cast<int>(allRowIndex);
    const std::vector<int>& positions = filtered_ ? shown_ : order_;
    if (!filtered_ && order_.empty())
        return allRowIndex < rows_->size() ? index : -1;
    const auto found = std::find(positions.begin(), positions.end(), index);
    return found == positions.end() ? -1 : static_cast<int>(found - positions.begin());
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
    ApplyOrder(SortedOrder(*rows_, order_, sortColumn));
}

void ChannelListModel::SortInBackground(int sortColumn)
{
    if (sorter_) {
        waitingSorts_.push_back(sortColumn);
        return;
    }
    StartSort(sortColumn);
}

void ChannelListModel::StartSort(int sortColumn)
{
    sorted_ = std::make_shared<std::vector<int>>();
    sortedRowsSerial_ = rowsSerial_;
    // The thread holds the rows while it sorts them; rows replaced meanwhile are freed there.
    sorter_.reset(QThread::create([rows = rows_, order = order_, sorted = sorted_, sortColumn]() mutable {
        *sorted = SortedOrder(*rows, std::move(order), sortColumn);
        rows.reset();
    }));
    connect(sorter_.get(), &QThread::finished, this, &ChannelListModel::SortDone);
    sorter_->start();
}

void ChannelListModel::SortDone()
{
    sorter_->wait();
    sorter_.reset();
    const std::shared_ptr<std::vector<int>> sorted = std::move(sorted_);
    if (sortedRowsSerial_ == rowsSerial_ && sorted->size() == rows_->size()) {
        ApplyOrder(std::move(*sorted));
    } else {
        waitingSorts_.clear(); // they were asked for the rows replaced
    }
    if (!waitingSorts_.empty()) {
        const int next = waitingSorts_.front();
        waitingSorts_.erase(waitingSorts_.begin());
        StartSort(next);
    }
    emit Sorted();
}

void ChannelListModel::ApplyOrder(std::vector<int> order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Each persistent index's row, by its index into rows_, then where that row is shown now.
    const QModelIndexList before = persistentIndexList();
    std::vector<std::size_t> rowOf;
    rowOf.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before)
        rowOf.push_back(AllRowIndex(index.row()));

    order_ = std::move(order);
    std::vector<int> shownAt(rows_->size(), -1);
    if (filtered_) {
        std::vector<char> passes(rows_->size(), 0);
        for (const int index : shown_)
            passes[static_cast<std::size_t>(index)] = 1;
        const std::size_t count = shown_.size();
        shown_.clear();
        shown_.reserve(count);
        for (const int index : order_) {
            if (passes[static_cast<std::size_t>(index)]) {
                shownAt[static_cast<std::size_t>(index)] = static_cast<int>(shown_.size());
                shown_.push_back(index);
            }
        }
    } else {
        for (std::size_t at = 0; at < order_.size(); ++at)
            shownAt[static_cast<std::size_t>(order_[at])] = static_cast<int>(at);
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(shownAt[rowOf[static_cast<std::size_t>(i)]], before.at(i).column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace zentavo
