#include "now_next_delegate.h"

#include "now_next_column.h"

#include <QPainter>

namespace zentavo {

void NowNextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const QVariant progress = index.data(NowNextColumn::ProgressRole);
    if (!progress.isValid())
        return;
    constexpr int kBarHeight = 2;
    const QRect cell = option.rect.adjusted(2, 0, -2, -1);
    const QRect track(cell.left(), cell.bottom() - kBarHeight + 1, cell.width(), kBarHeight);
    QRect done = track;
    done.setWidth(static_cast<int>(track.width() * progress.toDouble()));
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    painter->save();
    painter->fillRect(track, palette.color(selected ? QPalette::HighlightedText : QPalette::Mid).lighter(130));
    painter->fillRect(done, selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Highlight));
    painter->restore();
}

} // namespace zentavo
