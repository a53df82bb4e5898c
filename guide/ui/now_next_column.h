#pragma once
// The "now on" column of a channel list: the title of the programme on now, how far it has run
// (ProgressRole, for NowNextDelegate) and the next one in the tooltip. The guide is asked only for
// the rows on screen, a screenful in one query, when the view first paints one of them; the answers
// are kept until the first of them runs out (a programme ends or the next one starts), when the view
// paints again and asks anew. The bar moves on with a repaint every minute.

#include "guide_clock.h"

#include "channels/ui/list_extra_column.h"
#include "guide/guide_types.h"

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <string>
#include <unordered_map>

class QAbstractItemView;

namespace zentavo {

class ChannelListModel;
class GuideStore;

class NowNextColumn : public QObject, public ListExtraColumn {
    Q_OBJECT
public:
    static constexpr int ProgressRole = Qt::UserRole + 40; // double 0..1, or nothing
    static constexpr int kProgressEvery = 60; // seconds between repaints of the bars

    // Adds the column to the view's model (a ChannelListModel) and becomes the view's child. The
    // store must outlive it.
    NowNextColumn(QAbstractItemView* view, ChannelListModel* model, const GuideStore& store, GuideClock clock);
    ~NowNextColumn() override;

    QVariant Data(const ListRow& row, int role) const override;
    // Forgets what it was told, after the guide changed; the rows on screen ask again.
    void Reload();
    // When the rows on screen next need asking again (seconds since 1970); 0 when not known.
    std::int64_t NextChangeAt() const { return nextChangeAt_; }

private:
    const GuideNowNext* Lookup(const std::string& key) const;
    void FetchShown(const std::string& missingKey) const;
    void Schedule() const;
    void Tick();

    QAbstractItemView* view_;
    ChannelListModel* model_;
    const GuideStore& store_;
    GuideClock clock_;
    // What the guide said of the rows asked for, by channel id; cleared when one runs out.
    mutable std::unordered_map<std::string, GuideNowNext> known_;
    mutable std::int64_t nextChangeAt_ = 0;
    mutable QTimer timer_;
    mutable bool fetching_ = false;
};

} // namespace zentavo
