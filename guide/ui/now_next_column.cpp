#include "now_next_column.h"

#include "programme_text.h"

#include "channels/ui/channel_list_model.h"
#include "guide/guide_store.h"

#include <QAbstractItemView>
#include <algorithm>
#include <limits>
#include <vector>

namespace zentavo {

namespace {
// More rows than any screen shows: a bound on what is kept while the user scrolls a long list.
constexpr std::size_t kMostKept = 4000;
// Rows asked for beyond the last one on screen, so a short scroll needs no new query.
constexpr int kRowsAhead = 8;
} // namespace

NowNextColumn::NowNextColumn(QAbstractItemView* view, ChannelListModel* model, const GuideStore& store,
                             GuideClock clock)
    : QObject(view), view_(view), model_(model), store_(store), clock_(std::move(clock))
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &NowNextColumn::Tick);
    model_->SetExtraColumn(this);
}

NowNextColumn::~NowNextColumn()
{
    model_->SetExtraColumn(nullptr);
}

QVariant NowNextColumn::Data(const ListRow& row, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != ProgressRole)
        return {};
    const GuideNowNext* nowNext = Lookup(row.id);
    if (!nowNext)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return nowNext->now ? QString::fromStdString(nowNext->now->title) : QString();
    case Qt::ToolTipRole: {
        const QString tip = NowNextTooltip(*nowNext);
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    default:
        return nowNext->now ? QVariant(ProgrammeProgress(*nowNext->now, clock_())) : QVariant();
    }
}

const GuideNowNext* NowNextColumn::Lookup(const std::string& key) const
{
    auto found = known_.find(key);
    if (found == known_.end()) {
        FetchShown(key);
        found = known_.find(key);
    }
    return found == known_.end() ? nullptr : &found->second;
}

void NowNextColumn::FetchShown(const std::string& missingKey) const
{
    if (known_.size() > kMostKept)
        known_.clear();
    // The rows on screen (and a few beyond) in one query; the row asked for always among them.
    std::vector<std::string> keys{missingKey};
    const int rows = model_->rowCount();
    // Asking the view where its rows are can lay it out, which asks for data again: that inner
    // question gets its own row only.
    const bool nested = fetching_;
    fetching_ = true;
    const QModelIndex top = nested ? QModelIndex() : view_->indexAt(QPoint(0, 0));
    if (top.isValid() && rows > 0) {
        const QModelIndex bottom = view_->indexAt(QPoint(0, view_->viewport()->height() - 1));
        const int last = std::min(rows - 1, (bottom.isValid() ? bottom.row() : rows - 1) + kRowsAhead);
        for (int row = top.row(); row <= last; ++row) {
            const std::string& id = model_->Row(row).id;
            if (id != missingKey && !known_.contains(id))
                keys.push_back(id);
        }
    }
    fetching_ = nested;
    const std::int64_t now = clock_();
    const std::vector<GuideNowNext> answers = store_.NowNext(keys, now);
    for (std::size_t i = 0; i < keys.size() && i < answers.size(); ++i) {
        const GuideNowNext& answer = answers[i];
        known_[keys[i]] = answer;
        // The first moment at which one of these rows shows something else.
        std::int64_t changeAt = std::numeric_limits<std::int64_t>::max();
        if (answer.now)
            changeAt = answer.now->stop;
        if (answer.next)
            changeAt = std::min(changeAt, answer.next->start);
        if (changeAt > now && changeAt != std::numeric_limits<std::int64_t>::max()
            && (nextChangeAt_ == 0 || changeAt < nextChangeAt_))
            nextChangeAt_ = changeAt;
    }
    Schedule();
}

void NowNextColumn::Schedule() const
{
    const std::int64_t now = clock_();
    std::int64_t wakeAt = now + kProgressEvery;
    if (nextChangeAt_ != 0)
        wakeAt = std::min(wakeAt, nextChangeAt_);
    const std::int64_t seconds = std::max<std::int64_t>(wakeAt - now, 0);
    // A little after the boundary, so that the clock has surely passed it when the timer fires.
    const auto interval = std::chrono::milliseconds(seconds * 1000 + 50);
    if (!timer_.isActive() || timer_.remainingTimeAsDuration() > interval)
        timer_.start(interval);
}

void NowNextColumn::Tick()
{
    if (nextChangeAt_ != 0 && clock_() >= nextChangeAt_) {
        known_.clear();
        nextChangeAt_ = 0;
    }
    // The rows on screen paint again: the bars move on, and rows whose programme changed ask anew.
    view_->viewport()->update();
    if (!known_.empty())
        Schedule();
}

void NowNextColumn::Reload()
{
    known_.clear();
    nextChangeAt_ = 0;
    timer_.stop();
    view_->viewport()->update();
}

} // namespace zentavo
