#pragma once
// The rows of one channel list as a model: column 0 the caption with the row's icon, column 1 the
// channel id (kept out of sight by the view), column 2 the channel's number and column 3 its group
// (shown when the list has any). Rows are kept in the order they were given, so a catalogue of
// 100,000 channels costs one vector, not 100,000 widget items; a sort changes only the order in
// which they are shown, and can be made on a thread of its own. A filter narrows the rows shown to those
// whose caption (country and name) holds every word typed, and to one group when one is chosen. A
// row whose channel has a logo shows the logo in place of its icon once the logo cache holds it.

#include "channels/list_row.h"
#include "list_extra_column.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

class QThread;

namespace zentavo {

class LogoCache;

class ChannelListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { CaptionColumn = 0, IdColumn = 1, NumberColumn = 2, GroupColumn = 3 };

    // rowIcons[i] is the icon of rows whose icon index is i; other indexes show no icon.
    explicit ChannelListModel(QList<QIcon> rowIcons, QObject* parent = nullptr);
    // Waits for a sort still at work on its thread.
    ~ChannelListModel() override;

    // Without QAbstractTableModel's checks through the virtual row and column counts: indexes are
    // asked for often (every row on screen, every search that keeps a selection).
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Rows show the logos this cache holds (it must outlive the model); nullptr shows none. A logo
    // that arrives changes no row: the views that show it repaint (VisibleLogos), since a change of
    // every row would cost the views a pass over all of them.
    void SetLogos(LogoCache* logos);
    // Adds a column after the model's own that the given column fills (it must outlive the model);
    // nullptr takes it away. Its index is ExtraColumnIndex().
    void SetExtraColumn(const ListExtraColumn* column);
    int ExtraColumnIndex() const { return kOwnColumns; }

    // What the window asks of all the rows, shown or not: kept with them, so that a list of a
    // million rows is not gone through again for each question.
    struct RowFacts {
        bool hasNumbers = false;
        bool hasGroups = false;
        QStringList groups; // each once, sorted as the group column sorts them
    };
    // The facts of those rows; safe on any thread.
    static RowFacts FactsOf(const std::vector<ListRow>& rows);

    // Replaces every row; the filter stays and applies to the new rows.
    void SetRows(std::vector<ListRow> rows);
    // The same with the rows' captions folded already (FoldedCaptions), one a row.
    void SetRows(std::vector<ListRow> rows, std::vector<std::string> foldedCaptions);
    struct HeldRows {
        std::shared_ptr<const std::vector<ListRow>> rows; // a sort at work may hold them a little longer
        std::vector<std::string> foldedCaptions;
    };
    // As SetRows, handing back the rows the model held, for the caller to free where it suits:
    // freeing 100,000 rows holds a thread up for tens of milliseconds.
    HeldRows ReplaceRows(std::vector<ListRow> rows, std::vector<std::string> foldedCaptions);
    // The same with the facts of the rows made already (FactsOf).
    HeldRows ReplaceRows(std::vector<ListRow> rows, std::vector<std::string> foldedCaptions, RowFacts facts);
    // FoldForSearch of each row's caption as SetRows keeps them (empty for an ASCII caption, which
    // is compared as it is); safe on any thread.
    static std::vector<std::string> FoldedCaptions(const std::vector<ListRow>& rows);
    void Clear();
    // The row shown at that position (positions count the rows that pass the filter).
    const ListRow& Row(int row) const { return rows_->at(AllRowIndex(row)); }
    // Every row, shown or not, in the order they were given (not as sorted).
    const std::vector<ListRow>& Rows() const { return *rows_; }
    // Stable ascending sort of the rows as shown now by ListView1Compare on that column; the
    // selection follows its row.
    void SortByColumn(int sortColumn);
    // The same, the order made on a thread of its own (a million rows take the sort half a second)
    // and taken here once made: Sorted says so. Sorts asked for meanwhile follow in turn; rows
    // replaced meanwhile are not sorted.
    void SortInBackground(int sortColumn);
    // Whether a sort is still at work on its thread or waiting for its turn.
    bool Sorting() const { return sorter_ != nullptr; }

    // Shows only the rows whose caption holds every word of the text, ignoring case and accents;
    // an empty text shows every row. The view is reset, so selections are the caller's to restore.
    void SetFilter(const QString& text);
    const QString& Filter() const { return filter_; }
    // Shows only the rows of that group (compared exactly); an empty group shows every group.
    void SetGroupFilter(const QString& group);
    const QString& GroupFilter() const { return group_; }
    // The groups of the rows, shown or not, each once, sorted as the group column sorts them.
    const QStringList& Groups() const { return facts_.groups; }
    // Whether any row has a number; any row a group.
    bool HasNumbers() const { return facts_.hasNumbers; }
    bool HasGroups() const { return facts_.hasGroups; }
    // The position at which the row with that id is shown, or -1.
    int ShownRowOf(const std::string& id) const;
    // Of a row by its place among all rows as given (AllRowIndex): the position at which it is
    // shown, or -1. A pass over whole numbers, not over the rows.
    int ShownRowAt(std::size_t allRowIndex) const;
    // The place among all rows as given of the row shown at that position.
    std::size_t AllRowIndex(int shownRow) const
    {
        const auto at = static_cast<std::size_t>(shownRow);
        if (filtered_)
            return static_cast<std::size_t>(shown_.at(at));
        return order_.empty() ? at : static_cast<std::size_t>(order_.at(at));
    }

signals:
    // The rows were replaced (SetRows, ReplaceRows, Clear); filtering and sorting do not emit it.
    void RowsReplaced();
    // A sort asked for with SortInBackground was taken (or dropped, the rows having been replaced).
    void Sorted();

private:
    void ApplyFilter(bool narrowing);
    // Shows the rows in that order (indexes into rows_, every row once), the persistent indexes
    // following their rows.
    void ApplyOrder(std::vector<int> order);
    void StartSort(int sortColumn);
    void SortDone();

    static constexpr int kOwnColumns = 4;

    QList<QIcon> rowIcons_;
    LogoCache* logos_ = nullptr;
    const ListExtraColumn* extraColumn_ = nullptr;
    // Never written once made: a sort at work reads them on its thread.
    std::shared_ptr<const std::vector<ListRow>> rows_;
    std::uint64_t rowsSerial_ = 0; // changes with every replacement of rows_
    std::vector<int> order_; // indexes into rows_ in the order shown; empty: as given
    std::vector<std::string> foldedCaptions_; // FoldForSearch of each caption that is not ASCII
    RowFacts facts_;
    QString filter_;
    QString group_;
    std::string groupUtf8_; // group_ as the rows hold it
    bool filtered_ = false;
    std::vector<int> shown_; // indexes into rows_ of the rows that pass the filter, in the order shown
    // The sort at work, the order it makes, and the rows it sorts; sorts asked for meanwhile.
    std::unique_ptr<QThread> sorter_;
    std::shared_ptr<std::vector<int>> sorted_;
    std::uint64_t sortedRowsSerial_ = 0;
    std::vector<int> waitingSorts_;
};

} // namespace zentavo
